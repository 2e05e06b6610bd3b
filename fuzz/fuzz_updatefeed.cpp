// SPDX-License-Identifier: GPL-3.0-or-later
// The update feed decoder; a document it accepts must survive its own encoding unchanged.
#include "skeppa/updatefeed.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto decoded
        = Skeppa::UpdateFeed::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (const auto *feed = std::get_if<Skeppa::UpdateFeed>(&decoded)) {
        const auto again = Skeppa::UpdateFeed::decode(feed->encode());
        const auto *reread = std::get_if<Skeppa::UpdateFeed>(&again);
        if (!reread)
            __builtin_trap();
    }
    return 0;
}

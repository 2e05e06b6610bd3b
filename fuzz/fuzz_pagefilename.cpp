// SPDX-License-Identifier: GPL-3.0-or-later
// The man-page file-name rule over any directory entry name.
#include "catalogue/manindex.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto page = Lectorin::ManIndex::parsePageFileName(fileName)) {
        if (page->name.isEmpty() || page->section.isEmpty())
            __builtin_trap();
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// parseManURL over URLs as the web engine hands them over: the input is taken as encoded URL bytes, or as
// text when its first byte is odd. A page the URL names must build a URL again.
#include "render/manurl.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const QUrl url = (data[0] & 1) ? QUrl(QString::fromUtf8(bytes)) : QUrl::fromEncoded(bytes);
    if (const auto reference = Lectorin::parseManURL(url)) {
        if (reference->name.isEmpty())
            __builtin_trap();
        (void)Lectorin::manURLString(reference->name, reference->section);
    }
    return 0;
}

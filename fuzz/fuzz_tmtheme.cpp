// SPDX-License-Identifier: GPL-3.0-or-later
// The theme reader over any bytes: XML and binary property lists alike reach libplist through it.
#include "themes/tmtheme.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto theme
        = Lectorin::TMTheme::fromData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (theme && theme->name.isNull())
        __builtin_trap(); // a read theme always has a name
    return 0;
}

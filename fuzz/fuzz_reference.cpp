// SPDX-License-Identifier: GPL-3.0-or-later
// parseReference over typed or selected text in any encoding the bytes make.
#include "catalogue/manpage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto reference = Lectorin::parseReference(text)) {
        if (reference->name.isEmpty())
            __builtin_trap();
    }
    (void)Lectorin::graphemeCount(text);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// parsePathList over whatever a login shell or manpath may print.
#include "catalogue/searchpaths.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto directories = Lectorin::SearchPaths::parsePathList(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (directories) {
        for (const QString &directory : *directories) {
            if (directory.isEmpty())
                __builtin_trap(); // empty entries are dropped
        }
    }
    return 0;
}

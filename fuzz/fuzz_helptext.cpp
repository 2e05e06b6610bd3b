// SPDX-License-Identifier: GPL-3.0-or-later
// cleanHelpText over any command output, and the help page body built from it.
#include "render/commandhelp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Lectorin;
    const QString text
        = CommandHelp::cleanHelpText(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    (void)CommandHelp::looksLikeUsage(text);
    const ManPage page { QStringLiteral("tool"), kHelpSection.toString(), QStringLiteral("/usr/bin/tool"),
        QStringLiteral("tool"), QStringLiteral("tool") };
    (void)CommandHelp::commandHelpBody(page, CommandHelp::Output { text, QStringLiteral("--help") });
    return 0;
}

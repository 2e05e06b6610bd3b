// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "render/manlint.h"
#include "render/pagesource.h"

#include <cstdio>

namespace Lectorin::Cli {

int lint(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli lint FILE\n", stderr);
        return 2;
    }
    const QString &path = arguments.positional.first();
    const auto printLine
        = [](const QString &text, FILE *stream) { std::fputs((text + u'\n').toUtf8().constData(), stream); };
    if (const std::optional<QString> problem = PageSource::problem(path)) {
        printLine(*problem, stderr);
        return 2;
    }
    const ManLint::Result result = ManLint::checkBlocking(path);
    if (result.failure) {
        printLine(u"lectorin-cli: mandoc could not check the file: " + *result.failure, stderr);
        return 2;
    }
    for (const ManLint::Message &message : result.messages)
        printLine(ManLint::formatted(message), stdout);
    return result.messages.isEmpty() ? 0 : 1;
}

} // namespace Lectorin::Cli

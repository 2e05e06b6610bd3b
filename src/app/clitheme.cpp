// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"

#include "themes/manpagepalette.h"
#include "themes/tmtheme.h"

#include <cstdio>

namespace Lectorin::Cli {

int theme(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli theme FILE\n", stderr);
        return 2;
    }
    const QString &path = arguments.positional.first();
    const std::optional<QByteArray> data = TMThemeReader::readFile(path);
    const std::optional<TMTheme> theme = data ? TMTheme::fromData(*data) : std::nullopt;
    if (!theme) {
        printText(u"\u201C" + path + u"\u201D isn\u2019t a readable .tmTheme file.\n", stderr);
        return 1;
    }
    const ManPagePalette palette = ManPagePalette::fromTheme(*theme);
    printText(palette.overlayCSS() + u"\nname " + theme->name + u"\ndark "
            + (palette.isDark ? QStringLiteral("true") : QStringLiteral("false")) + u'\n',
        stdout);
    return 0;
}

} // namespace Lectorin::Cli

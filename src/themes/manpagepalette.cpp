// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/manpagepalette.h"

#include <algorithm>
#include <cmath>

namespace Lectorin {

namespace {

constexpr double kOpaqueAlpha = 0.999;

int byteComponent(double component)
{
    // std::round rounds halves away from zero; the clamp keeps a stray value from widening the hex form.
    return int(std::clamp(std::round(component * 255.0), 0.0, 255.0));
}

} // namespace

ManPagePalette ManPagePalette::fromTheme(const TMTheme &theme)
{
    return {
        cssColour(theme.background),
        cssColour(theme.foreground),
        cssColour(theme.heading),
        cssColour(theme.link),
        cssColour(theme.nameColor),
        cssColour(theme.literal),
        cssColour(theme.muted),
        isDarkBackground(theme.background),
    };
}

QString ManPagePalette::cssColour(const Colour &colour)
{
    const int r = byteComponent(colour.red);
    const int g = byteComponent(colour.green);
    const int b = byteComponent(colour.blue);
    if (colour.alpha >= kOpaqueAlpha)
        return QString::asprintf("#%02X%02X%02X", r, g, b);
    return QString::asprintf("rgba(%d, %d, %d, %.3f)", r, g, b, std::clamp(colour.alpha, 0.0, 1.0));
}

bool ManPagePalette::isDarkBackground(const Colour &background)
{
    return 0.2126 * background.red + 0.7152 * background.green + 0.0722 * background.blue < 0.5;
}

QString ManPagePalette::overlayCSS() const
{
    return u"\n:root { color-scheme: " % (isDark ? QStringLiteral("dark") : QStringLiteral("light"))
        % u"; }\nhtml { background: " % background % u"; color: " % foreground
        % u"; }\ntable.head, table.foot, div.head, div.foot { color: " % muted
        % u"; }\nh1.Sh, h2.Sh, h2.Ss, h3.Ss { color: " % heading % u"; }\na { color: " % link
        % u"; }\na.permalink { color: inherit; }\ncode.Nm, code.Fl, code.Cm, code.Ic { color: " % name
        % u"; }\ncode.Ar, code.Ev, code.Pa, code.Dv, code.Er, var { color: " % literal
        % u"; }\n.lectorin-error { color: " % muted % u"; }\n.lectorin-help-note { color: " % muted % u"; }";
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "themes/tmtheme.h"

#include <QString>

namespace Lectorin {

// A theme's colours as CSS text, with whether its background is dark: what a rendered page is coloured with.
struct ManPagePalette
{
    QString background;
    QString foreground;
    QString heading;
    QString link;
    QString name;
    QString literal;
    QString muted;
    bool isDark = false;

    static ManPagePalette fromTheme(const TMTheme &theme);

    // "#RRGGBB" when opaque, else "rgba(r, g, b, a.aaa)".
    static QString cssColour(const Colour &colour);
    // Rec. 709 weights on the unlinearised components; exactly 0.5 is light.
    static bool isDarkBackground(const Colour &background);

    // The stylesheet a page appends after its base stylesheet to take these colours.
    QString overlayCSS() const;

    bool operator==(const ManPagePalette &) const = default;
};

} // namespace Lectorin

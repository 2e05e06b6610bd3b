// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>

// Toolbar icons drawn in the palette's own text colour, for desktops whose icon theme lacks one: the style's
// stand-ins are faint grey on grey. Enabled icons take the text colour, disabled ones a paler colour that
// still reads at 3:1 against the window.
namespace Lectorin::FallbackIcons {

enum class Shape
{
    back,
    forward,
    up,
    down,
    close,
    // Outlined; filled in the icon's On state.
    star
};

QIcon icon(Shape shape);
// The theme's icon of `name`, else the drawn one.
QIcon themed(const QString &name, Shape shape);

// The colour an icon of `mode` is drawn in on `palette`'s window.
QColor colour(const QPalette &palette, QIcon::Mode mode);
// The contrast ratio of two colours as the accessibility guidelines define it, from 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);

} // namespace Lectorin::FallbackIcons

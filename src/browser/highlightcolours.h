// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QColor>
#include <QList>
#include <QString>

// The four highlight colours by name: the page's stylesheet draws them (translucent, so they read on every
// theme); the window's swatches and the rich-text export use the opaque stand-ins.
namespace Lectorin::HighlightColours {

inline const QList<HighlightColour> kAll { HighlightColour::yellow, HighlightColour::green,
    HighlightColour::blue, HighlightColour::pink };

// "yellow", as the marks' data-colour attribute says it.
QString key(HighlightColour colour);
// "Yellow", for menus.
QString title(HighlightColour colour);
// The colour on a white page, opaque.
QColor swatch(HighlightColour colour);

} // namespace Lectorin::HighlightColours

// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/highlightcolours.h"

#include <QObject>

namespace Lectorin::HighlightColours {

QString key(HighlightColour colour)
{
    switch (colour) {
    case HighlightColour::yellow:
        return QStringLiteral("yellow");
    case HighlightColour::green:
        return QStringLiteral("green");
    case HighlightColour::blue:
        return QStringLiteral("blue");
    case HighlightColour::pink:
        return QStringLiteral("pink");
    }
    return QStringLiteral("yellow");
}

QString title(HighlightColour colour)
{
    switch (colour) {
    case HighlightColour::yellow:
        return QObject::tr("Yellow");
    case HighlightColour::green:
        return QObject::tr("Green");
    case HighlightColour::blue:
        return QObject::tr("Blue");
    case HighlightColour::pink:
        return QObject::tr("Pink");
    }
    return QString();
}

QColor swatch(HighlightColour colour)
{
    // The stylesheet's translucent colours over white.
    switch (colour) {
    case HighlightColour::yellow:
        return QColor(0xFF, 0xEB, 0x85);
    case HighlightColour::green:
        return QColor(0xB4, 0xEB, 0xC0);
    case HighlightColour::blue:
        return QColor(0xB3, 0xD7, 0xFF);
    case HighlightColour::pink:
        return QColor(0xFF, 0xC2, 0xDE);
    }
    return QColor(Qt::yellow);
}

} // namespace Lectorin::HighlightColours

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <plist/plist.h>

#include <optional>

namespace Lectorin {

// An sRGB colour, each component in 0...1 (alpha 1 is opaque).
struct Colour
{
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const Colour &) const = default;
};

// One (scope, foreground) pair of a theme's scoped settings, as used while reading.
struct ThemeRule
{
    QString scope;
    Colour colour;

    bool operator==(const ThemeRule &) const = default;
};

// A TextMate colour scheme reduced to the seven colours a man page uses.
struct TMTheme
{
    QString name;
    Colour background;
    Colour foreground;
    Colour heading;
    Colour link;
    Colour nameColor;
    Colour literal;
    Colour muted;

    // Far above any real theme; larger files are not read at all.
    static constexpr qsizetype kMaximumFileSize = 16 * 1024 * 1024;

    // Reads the contents of a .tmTheme file (XML or binary property list); nothing when it is not a usable
    // theme.
    static std::optional<TMTheme> fromData(const QByteArray &data);

    bool operator==(const TMTheme &) const = default;
};

// The steps of reading a theme, public so each can be checked on its own.
namespace TMThemeReader {

// The bytes of a theme file, stopping one byte past TMTheme::kMaximumFileSize; nothing when it can't be read.
std::optional<QByteArray> readFile(const QString &path);

// "#RGB", "#RRGGBB" or "#RRGGBBAA", blanks around it allowed.
std::optional<Colour> parseColour(const QString &text);
// The same for a property-list value; anything but a string is no colour.
std::optional<Colour> parseColour(plist_t value);

// The rule scopes of one "scope" value: comma-separated selectors, each reduced to its last scope.
QStringList ruleScopes(const QString &scopeValue);

// The colour of the longest rule that selects the first candidate any rule selects; `fallback` when none
// does.
Colour resolveRole(const QList<ThemeRule> &rules, const QStringList &candidates, const Colour &fallback);

} // namespace TMThemeReader

} // namespace Lectorin

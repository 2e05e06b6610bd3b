// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringView>

#include <array>
#include <optional>

namespace Lectorin {

// The case-insensitive collation of the current locale restricted to printable ASCII, as one weight per
// character. For names made only of such characters, comparing weight sequences gives exactly the
// collator's order, at a fraction of its cost. The table is only offered when the locale collates
// printable ASCII character by character (no contractions such as Czech "ch"), which it checks against the
// collator itself.
class AsciiCollation
{
public:
    // The table for the current collation locale, or nothing when the fast path would be wrong there.
    static const AsciiCollation *forCurrentLocale();

    static bool isPrintableAscii(QStringView text);

    // Weight of a printable ASCII character: 1…95, equal for characters the collator calls equal.
    quint8 weight(char16_t c) const { return m_weights[c - 0x20]; }
    int compare(QStringView a, QStringView b) const;

private:
    AsciiCollation();
    bool agreesWithCollator() const;

    std::array<quint8, 95> m_weights {};
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>

// Turns what the user types into a full-text query with none of the query language showing through: words
// are ANDed, a double-quoted stretch is a phrase, a word ending in "*" matches as a prefix, and every other
// operator character and keyword is plain text.
namespace Lectorin::FullTextQuery {

// Longer filters are cut here, and further terms are ignored, so a pasted page cannot stall a search.
inline constexpr qsizetype kMaxQueryLength = 512;
inline constexpr qsizetype kMaxTerms = 16;

// One searched unit: the words of a quoted phrase, or the words a typed word splits into ("git-log" is the
// phrase "git log", as the index splits it).
struct Term
{
    QStringList words;
    // The last word matches every word it begins ("sock*" finds "socket").
    bool isPrefix = false;
    bool operator==(const Term &) const = default;
};

QList<Term> terms(const QString &filter);

// The match expression for the index; nothing when the filter holds no searchable word.
std::optional<QString> expression(const QString &filter);
// The same restricted to the NAME line.
std::optional<QString> nameExpression(const QString &filter);

// The first searched word, for the find bar of a page opened from the results; empty when there is none.
QString firstWord(const QString &filter);

} // namespace Lectorin::FullTextQuery

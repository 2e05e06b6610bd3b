// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Lectorin {

// One full-text match: the page and a one-line excerpt around the matched words.
struct FullTextHit
{
    // A stretch of `snippet` that matched the query.
    struct Emphasis
    {
        qsizetype start = 0;
        qsizetype length = 0;
        bool operator==(const Emphasis &) const = default;
    };

    QString id;
    QString snippet;
    QList<Emphasis> emphasis;
    // Further pages whose text is this page's: other names of one file (links, or stubs that include it).
    QStringList aliasIDs = {};

    // The snippet as HTML for a rich-text label: escaped, the matches in <b>.
    QString snippetHTML() const;

    // From an excerpt whose matches are wrapped in kEmphasisStart … kEmphasisEnd; white space, line breaks
    // included, collapses to single spaces.
    static FullTextHit fromMarkedSnippet(const QString &id, QStringView marked);

    bool operator==(const FullTextHit &) const = default;
};

// Control characters that never occur in indexed text, so they can mark matches in excerpts.
inline constexpr QChar kEmphasisStart = QChar(0x02);
inline constexpr QChar kEmphasisEnd = QChar(0x03);

} // namespace Lectorin

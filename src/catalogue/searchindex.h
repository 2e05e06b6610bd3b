// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace Lectorin {

// The lower-cased names of a page list laid end to end in UTF-8, so that a filter keystroke is one pass of a
// vectorised byte search over contiguous memory instead of one substring search per page. A match is a
// match of the UTF-16 names too (UTF-8 keeps code points whole); ASCII names, nearly all of them, are ranked
// from the text alone, without touching the pages.
class SearchIndex
{
public:
    SearchIndex() = default;
    explicit SearchIndex(const QList<ManPage> &pages);

    // Positions in `pages` (the list the index was built from) of the pages whose lower-cased name contains
    // `query`, ranked: exact name, name prefix, after "-", "_" or ".", anywhere; then by position, by name
    // length, and by the list's own order. `query` is normalised (see SidebarFilter::normalizedQuery).
    QList<qint32> rankMatches(const QList<ManPage> &pages, QStringView query) const;

    qsizetype size() const { return m_starts.isEmpty() ? 0 : m_starts.size() - 1; }

private:
    QByteArray m_text; // each lower-cased name in UTF-8 followed by a NUL, which no file name contains
    QList<qint32> m_starts; // where each name starts, and one past the end
    QList<bool> m_isAsciiName; // whether positions and lengths can be counted in bytes
};

} // namespace Lectorin

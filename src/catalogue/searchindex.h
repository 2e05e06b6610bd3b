// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QList>
#include <QString>

namespace Lectorin {

// The lower-cased names of a page list laid end to end, so that a filter keystroke is one pass of a
// vectorised character search over contiguous memory instead of one substring search per page.
class SearchIndex
{
public:
    SearchIndex() = default;
    explicit SearchIndex(const QList<ManPage> &pages);

    // Positions in `pages` (the list the index was built from) of the pages whose lower-cased name contains
    // `query`, ranked: exact name, name prefix, after "-", "_" or ".", anywhere; then by position, by name
    // length, and by the list's own order. `query` is normalised (see SidebarFilter::normalizedQuery).
    QList<qsizetype> rankMatches(const QList<ManPage> &pages, QStringView query) const;

    qsizetype size() const { return m_starts.isEmpty() ? 0 : m_starts.size() - 1; }

private:
    QString m_text; // each lower-cased name followed by U+0000, which no file name contains
    QList<qint32> m_starts; // where each name starts, and one past the end
    QList<bool> m_isAsciiName; // whether positions and lengths can be counted in code units
};

} // namespace Lectorin

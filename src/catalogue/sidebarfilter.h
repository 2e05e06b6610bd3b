// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QList>
#include <QString>

namespace Lectorin {
class AppModel;
}

// The sidebar's filter: what the "Commands" and "Command Help" sections show for a typed filter.
namespace Lectorin::SidebarFilter {

// The filter with spaces and tabs trimmed, lower-cased; empty means no filter applies.
QString normalizedQuery(const QString &filter);

// Positions in `pages` of the pages whose lower-cased name contains `query`, best match first (see
// SearchIndex, which the model keeps for its lists; this builds one for the call).
QList<qint32> rankMatches(const QList<ManPage> &pages, const QString &query);

// What one section of the catalogue list shows.
struct Rows
{
    enum class Kind
    {
        none, // the section has no rows (yet)
        scanning, // the first load runs: "Scanning man pages…"
        pages, // one row per page
        message, // a single secondary-coloured text
    };
    Kind kind = Kind::none;
    // With `pages`: the rows are `source` itself when `indices` is null, else `source` at `indices`.
    const QList<ManPage> *source = nullptr;
    std::optional<QList<qint32>> indices;
    QString message;

    qsizetype count() const;
    const ManPage &pageAt(qsizetype row) const;
};

struct Sections
{
    Rows commands;
    Rows commandHelp; // `none`: the "Command Help" section is absent
};

inline const QString kScanningText = QStringLiteral("Scanning man pages…");
inline const QString kNoMatchingManualPageText = QStringLiteral("No matching manual page");
inline const QString kNoMatchingCommandText = QStringLiteral("No matching command");

// The two sections for the model's current state. Without a filter nothing is copied or sorted.
Sections sections(const AppModel &model, const QString &filter, bool showsCommands);

} // namespace Lectorin::SidebarFilter

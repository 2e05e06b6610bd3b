// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fulltext/fulltexthit.h"

#include <QList>
#include <QString>

#include <optional>

namespace Lectorin {
class AppModel;
}

// What the sidebar's third section, "Found in Pages", shows for a typed filter.
namespace Lectorin::FoundInPages {

inline const QString kTitle = QStringLiteral("Found in Pages");
inline const QString kShowAllTitle = QStringLiteral("Show All");
// Rows shown until the user asks for all of them, and the most "Show All" shows.
inline constexpr int kShownRows = 50;
inline constexpr int kAllRows = 1000;

// "Indexing pages… N of M", or "Indexing pages…" while the number of pages is not known yet.
QString indexingText(qsizetype done, qsizetype total);

// One result row: the page to open, its label, the excerpt as rich text, and what the page's find bar starts
// with when it is opened from here.
struct Row
{
    QString id;
    QString displayName;
    QString snippetHTML;
    QString findText;

    bool operator==(const Row &) const = default;
};

struct Progress
{
    qsizetype done = 0;
    qsizetype total = 0;

    bool operator==(const Progress &) const = default;
};

struct Section
{
    // Absent without a filter, and with one when nothing matches and no indexing runs.
    bool isPresent = false;
    // While indexing runs: the progress row, shown with a progress bar above the results so far.
    std::optional<Progress> indexing;
    QString indexingText;
    QList<Row> rows;
    // More pages matched than `rows` shows: a "Show All" row follows them.
    bool hasMore = false;

    bool operator==(const Section &) const = default;
};

// The section for `filter`, from the search's hits (pages the catalogue no longer has are left out) and the
// indexer's progress while it runs; at most `shownRows` rows, with `hasMore` when there were more.
Section section(const AppModel &model, const QString &filter, const QList<FullTextHit> &hits,
    std::optional<Progress> indexing, int shownRows = kAllRows);

} // namespace Lectorin::FoundInPages

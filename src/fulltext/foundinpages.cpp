// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/foundinpages.h"

#include "catalogue/appmodel.h"
#include "catalogue/sidebarfilter.h"
#include "fulltext/fulltextquery.h"

namespace Lectorin::FoundInPages {

QString indexingText(qsizetype done, qsizetype total)
{
    // Until the indexer has compared the catalogue with its stamps there is no count to show.
    if (total <= 0)
        return QStringLiteral("Indexing pages\u2026");
    return QStringLiteral("Indexing pages\u2026 %1 of %2").arg(done).arg(total);
}

Section section(const AppModel &model, const QString &filter, const QList<FullTextHit> &hits,
    std::optional<Progress> indexing, int shownRows)
{
    Section result;
    if (SidebarFilter::normalizedQuery(filter).isEmpty())
        return result;
    const QString findText = FullTextQuery::firstWord(filter);
    for (const FullTextHit &hit : hits) {
        const std::optional<ManPage> page = model.page(hit.id);
        if (!page || page->isHelpPage())
            continue;
        QStringList names { page->displayName };
        for (const QString &aliasID : hit.aliasIDs) {
            if (const std::optional<ManPage> alias = model.page(aliasID))
                names.append(alias->displayName);
        }
        result.rows.append({ hit.id, names.join(QStringLiteral(", ")), hit.snippetHTML(), findText });
    }
    if (result.rows.size() > shownRows) {
        result.rows.resize(shownRows);
        result.hasMore = true;
    }
    if (indexing) {
        result.indexing = indexing;
        result.indexingText = indexingText(indexing->done, indexing->total);
    }
    result.isPresent = indexing.has_value() || !result.rows.isEmpty();
    return result;
}

} // namespace Lectorin::FoundInPages

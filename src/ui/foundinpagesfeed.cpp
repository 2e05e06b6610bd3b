// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/foundinpagesfeed.h"

#include "catalogue/appmodel.h"
#include "fulltext/fulltextindexer.h"
#include "fulltext/fulltextsearch.h"

namespace Lectorin {

FoundInPagesFeed::FoundInPagesFeed(AppModel *app, FullTextIndexer *indexer, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_indexer(indexer)
    , m_search(new FullTextSearch(indexer->options().indexPath, this))
{
    // One result more than is shown tells whether there are more.
    m_search->setLimit(m_shownRows + 1);
    connect(m_search, &FullTextSearch::resultsChanged, this, &FoundInPagesFeed::rebuild);
    connect(indexer, &FullTextIndexer::committed, m_search, &FullTextSearch::refresh);
    connect(indexer, &FullTextIndexer::progress, this, &FoundInPagesFeed::rebuild);
    connect(indexer, &FullTextIndexer::isIndexingChanged, this, &FoundInPagesFeed::rebuild);
    // A finished run may have left nothing to commit, yet the index file can be new (rebuilt).
    connect(indexer, &FullTextIndexer::finished, m_search, &FullTextSearch::refresh);
    connect(app, &AppModel::pagesChanged, this, &FoundInPagesFeed::rebuild);
}

FoundInPagesFeed::~FoundInPagesFeed() = default;

void FoundInPagesFeed::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    m_shownRows = FoundInPages::kShownRows;
    m_search->setLimit(m_shownRows + 1);
    m_search->setQuery(filter);
    rebuild();
}

void FoundInPagesFeed::showAll()
{
    if (m_shownRows == FoundInPages::kAllRows)
        return;
    m_shownRows = FoundInPages::kAllRows;
    m_search->setLimit(m_shownRows + 1);
    m_search->refresh();
}

void FoundInPagesFeed::rebuild()
{
    std::optional<FoundInPages::Progress> indexing;
    if (m_indexer && m_indexer->isIndexing())
        indexing = FoundInPages::Progress { m_indexer->doneCount(), m_indexer->totalCount() };
    FoundInPages::Section section
        = FoundInPages::section(*m_app, m_filter, m_search->results(), indexing, m_shownRows);
    if (section == m_section)
        return;
    m_section = std::move(section);
    emit sectionChanged();
}

} // namespace Lectorin

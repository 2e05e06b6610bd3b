// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextsearch.h"

#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextquery.h"

#include <QtConcurrent>

#include <optional>

namespace Lectorin {

QList<FullTextHit> FullTextSearch::searchBlocking(const QString &indexPath, const QString &filter, int limit)
{
    const std::optional<QString> expression = FullTextQuery::expression(filter);
    if (!expression || limit <= 0)
        return {};
    // A connection per query: the indexer may replace a damaged file at any time, and opening costs little.
    const std::unique_ptr<FullTextIndex> index = FullTextIndex::openForReading(indexPath);
    if (!index)
        return {};
    return index->search(*expression, *FullTextQuery::nameExpression(filter), limit);
}

FullTextSearch::FullTextSearch(const QString &indexPath, QObject *parent)
    : QObject(parent)
    , m_indexPath(indexPath)
{
    m_pool.setMaxThreadCount(1);
}

FullTextSearch::~FullTextSearch()
{
    m_latestGeneration->store(0);
    m_pool.waitForDone();
}

void FullTextSearch::setQuery(const QString &filter)
{
    m_requested = filter;
    const quint64 generation = ++m_generation;
    m_latestGeneration->store(generation);
    if (!FullTextQuery::expression(filter)) {
        publish(filter, {});
        return;
    }
    QtConcurrent::run(&m_pool,
        [indexPath = m_indexPath, filter, limit = m_limit, latest = m_latestGeneration, generation] {
            if (latest->load() != generation)
                return std::optional<QList<FullTextHit>>();
            return std::optional(searchBlocking(indexPath, filter, limit));
        })
        .then(this, [this, filter, generation](const std::optional<QList<FullTextHit>> &results) {
            if (generation == m_generation && results)
                publish(filter, *results);
        });
}

void FullTextSearch::refresh()
{
    if (FullTextQuery::expression(m_requested))
        setQuery(m_requested);
}

void FullTextSearch::publish(const QString &filter, QList<FullTextHit> results)
{
    if (filter == m_query && results == m_results)
        return;
    m_query = filter;
    m_results = std::move(results);
    emit resultsChanged();
}

} // namespace Lectorin

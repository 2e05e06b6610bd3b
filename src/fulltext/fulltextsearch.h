// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fulltext/fulltexthit.h"

#include <QList>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace Lectorin {

// The full-text results for the sidebar's filter. Queries run on a thread of their own and come back to the
// GUI thread; a newer query supersedes an older one, whose results are dropped.
class FullTextSearch : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString query READ query NOTIFY resultsChanged)

public:
    static constexpr int kDefaultLimit = 50;

    // The pages matching `filter` in the index at `indexPath`, best first; empty when the filter holds no
    // word or there is no valid index. Blocks the calling thread.
    static QList<FullTextHit> searchBlocking(
        const QString &indexPath, const QString &filter, int limit = kDefaultLimit);

    explicit FullTextSearch(const QString &indexPath, QObject *parent = nullptr);
    ~FullTextSearch() override;

    // The filter the current results answer, and those results.
    const QString &query() const { return m_query; }
    const QList<FullTextHit> &results() const { return m_results; }
    int limit() const { return m_limit; }
    void setLimit(int limit) { m_limit = limit; }

    // Searches for `filter`; a filter without searchable words clears the results at once.
    void setQuery(const QString &filter);
    // Searches the current filter again, after the index has grown.
    void refresh();

Q_SIGNALS:
    // The results (or the filter they answer) changed.
    void resultsChanged();

private:
    void publish(const QString &filter, QList<FullTextHit> results);

    QString m_indexPath;
    int m_limit = kDefaultLimit;
    QString m_requested;
    QString m_query;
    QList<FullTextHit> m_results;
    quint64 m_generation = 0;
    // Read by queued queries so that one overtaken before it starts does not run at all.
    std::shared_ptr<std::atomic<quint64>> m_latestGeneration = std::make_shared<std::atomic<quint64>>(0);
    QThreadPool m_pool;
};

} // namespace Lectorin

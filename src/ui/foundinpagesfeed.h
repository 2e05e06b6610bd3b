// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fulltext/foundinpages.h"

#include <QObject>
#include <QPointer>

namespace Lectorin {

class AppModel;
class FullTextIndexer;
class FullTextSearch;

// One window's "Found in Pages" section: searches the index for the window's filter off the GUI thread,
// searches again as the indexer commits, and follows the indexer's progress.
class FoundInPagesFeed : public QObject
{
    Q_OBJECT

public:
    // `indexer` is the application's; the feed searches the index it writes.
    FoundInPagesFeed(AppModel *app, FullTextIndexer *indexer, QObject *parent = nullptr);
    ~FoundInPagesFeed() override;

    // A new filter shows the first results again.
    void setFilter(const QString &filter);
    // Shows every result of the current filter, up to FoundInPages::kAllRows.
    void showAll();
    const FoundInPages::Section &section() const { return m_section; }
    FullTextSearch *search() const { return m_search; }

Q_SIGNALS:
    void sectionChanged();

private:
    void rebuild();

    AppModel *m_app;
    QPointer<FullTextIndexer> m_indexer;
    FullTextSearch *m_search;
    QString m_filter;
    int m_shownRows = FoundInPages::kShownRows;
    FoundInPages::Section m_section;
};

} // namespace Lectorin

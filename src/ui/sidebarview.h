// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QListView;
class QModelIndex;
class QSettings;
class QTimer;

namespace Lectorin {

class AppModel;
class BookmarkListView;
class BrowserModel;
class CatalogueListModel;
class FoundInPagesFeed;
class FullTextIndexer;
class HistoryListModel;
class HistoryPaneHandle;
class SidebarDelegate;

// A window's sidebar: the filter field, the bookmarks (when there are any), the history pane with its drag
// handle, and the catalogue list with the full-text results below the names. Choosing a row shows its page in
// the window's browser.
class SidebarView : public QWidget
{
    Q_OBJECT

public:
    // Without an indexer the list has no "Found in Pages" section.
    SidebarView(AppModel *app, BrowserModel *browser, QSettings *settings, FullTextIndexer *indexer = nullptr,
        QWidget *parent = nullptr);

    QLineEdit *filterField() const { return m_filter; }
    QListView *catalogueList() const { return m_catalogueList; }
    QListView *historyList() const { return m_historyList; }
    // Null when the window has no annotation store.
    BookmarkListView *bookmarkList() const { return m_bookmarkList; }
    CatalogueListModel *catalogueModel() const { return m_catalogueModel; }
    HistoryListModel *historyModel() const { return m_historyModel; }
    FoundInPagesFeed *foundInPagesFeed() const { return m_feed; }
    // Re-reads "historyLimit", e.g. after the settings window changed it.
    void reloadHistoryLimit();

Q_SIGNALS:
    // A full-text result was opened: the page's find bar should look for `text`.
    void findRequested(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showCommands();
    void choose(const QModelIndex &index, bool fromHistory);
    enum class Reveal
    {
        selection,
        nothing
    };
    // Puts the browser's selection on its row; `reveal` scrolls the row into view.
    void syncSelection(Reveal reveal);
    void showFoundInPages();
    void layoutHistoryPane();
    void layoutBookmarksPane();
    // The sidebar's height less the bookmarks'.
    double historyRoom() const;
    void dragHistoryPane(double translation, bool started);
    void showContextMenu(QListView *list, const QPoint &position);

    AppModel *m_app;
    QPointer<BrowserModel> m_browser;
    QSettings *m_settings;
    QLineEdit *m_filter;
    BookmarkListView *m_bookmarkList = nullptr;
    QListView *m_historyList;
    HistoryPaneHandle *m_handle;
    QListView *m_catalogueList;
    CatalogueListModel *m_catalogueModel;
    HistoryListModel *m_historyModel;
    FoundInPagesFeed *m_feed = nullptr;
    SidebarDelegate *m_delegate;
    QTimer *m_spinner;
    std::optional<double> m_dragStartHeight;
    bool m_syncingSelection = false;
};

} // namespace Lectorin

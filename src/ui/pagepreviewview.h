// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/contentview.h"

#include <QUrl>
#include <QWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEnginePage;
class QWebEngineView;

namespace Lectorin {

class PageFileWatcher;

// A tab that previews a page source while someone writes it: the file rendered like any page, shown again at
// the same scroll position whenever it is saved, and mandoc's lint messages for it in a panel below. It is no
// part of the catalogue or the history; man page links in it open in a new browsing tab.
class PagePreviewView : public QWidget
{
    Q_OBJECT

public:
    // The lint panel's columns.
    enum Column
    {
        levelColumn,
        lineColumn,
        messageColumn
    };

    PagePreviewView(const QString &path, const ContentView::Services &services, QWidget *parent = nullptr);
    ~PagePreviewView() override;

    // The file's absolute path.
    const QString &path() const { return m_path; }
    // The file's name.
    QString title() const;
    QWebEngineView *webView() const { return m_view; }
    QWebEnginePage *page() const { return m_page; }
    QTreeWidget *lintPanel() const { return m_lintList; }

    // Renders the file and checks it again, keeping the scroll position.
    void refresh();
    // Scrolls the page to the heading of the section that holds `line` of the source (the top before any).
    void scrollToSourceLine(int line);
    void setDarkAppearance(bool dark);

Q_SIGNALS:
    // A render of the file is shown, scrolled where the previous one was.
    void rendered();
    // The lint panel holds the messages of the latest check.
    void lintChecked();
    void manPageRequested(const QUrl &url);

private:
    void checkLint();
    void updatePageBackground();
    void showLintResult(const QString &summary, const QList<QTreeWidgetItem *> &rows);

    QString m_path;
    QUrl m_url;
    ContentView::Services m_services;
    QWebEnginePage *m_page;
    QWebEngineView *m_view;
    QLabel *m_lintSummary;
    QTreeWidget *m_lintList;
    PageFileWatcher *m_watcher;
    // Where to scroll once the load under way finishes.
    double m_restoreScrollY = 0;
    bool m_hasRendered = false;
    bool m_isDarkAppearance = false;
    // Only the latest lint check fills the panel.
    quint64 m_lintGeneration = 0;
};

} // namespace Lectorin

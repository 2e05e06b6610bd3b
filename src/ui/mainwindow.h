// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/contentview.h"

#include <QMainWindow>

class QTabWidget;
class QTimer;

namespace Lectorin {

class ExplanationView;
class LectorinCommands;
class PagePreviewView;

// A top-level window: a tab widget of browsing tabs (the tab bar shows from two tabs) and the menus, which
// act on the current tab.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const ContentView::Services &services, QWidget *parent = nullptr);

    ContentView *addTab(std::optional<QString> pageID);
    // A tab that previews the page source at `path`; it is made current.
    PagePreviewView *addPreviewTab(const QString &path);
    // A tab that explains `commandLine`; it is made current.
    ExplanationView *addExplanationTab(const QString &commandLine);
    // The current browsing tab; null while a preview tab is current.
    ContentView *currentTab() const;
    // The browsing tabs, without the previews.
    QList<ContentView *> tabs() const;
    QList<PagePreviewView *> previewTabs() const;
    QTabWidget *tabWidget() const { return m_tabs; }
    LectorinCommands *commands() const { return m_commands; }
    const ContentView::Services &services() const { return m_services; }
    void closeCurrentTab();

Q_SIGNALS:
    void currentTabChanged(Lectorin::ContentView *tab);
    void activated(Lectorin::MainWindow *window);
    void newWindowRequested(Lectorin::MainWindow *from, const QString &pageID);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateTitle();
    // A man page URL a preview or an explanation links to, in a browsing tab of its own.
    void openInNewTab(const QUrl &url);

    ContentView::Services m_services;
    QTabWidget *m_tabs;
    LectorinCommands *m_commands = nullptr;
    QTimer *m_sizeSaver;
};

} // namespace Lectorin

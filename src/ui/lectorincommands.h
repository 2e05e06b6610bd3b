// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QHash>
#include <QPointer>

class QAction;
class QMenu;

namespace Lectorin {

class BrowserModel;
class ContentView;
class MainWindow;

// The menus of a main window. Items that need a page act on the current tab's browser and are enabled by
// its state; zoom, history and the index act on the application model.
class LectorinCommands : public QObject
{
    Q_OBJECT

public:
    explicit LectorinCommands(MainWindow *window);

    QAction *action(const QString &title) const;
    QMenu *exportMenu() const { return m_exportMenu; }
    // Re-reads every enabling rule; runs on every change the rules depend on.
    void updateEnabling();

private:
    void buildMenus();
    void followTab(ContentView *tab);
    BrowserModel *browser() const;
    QAction *add(
        QMenu *menu, const QString &title, const QList<QKeySequence> &shortcuts, std::function<void()> run);

    MainWindow *m_window;
    QPointer<ContentView> m_tab;
    QPointer<BrowserModel> m_browser;
    QList<QMetaObject::Connection> m_browserConnections;
    QMenu *m_exportMenu = nullptr;
    QHash<QString, QAction *> m_actions;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lectorincommands.h"

#include "annotations/annotationstore.h"
#include "browser/browsermodel.h"
#include "browser/pagebookmarks.h"
#include "browser/pagehighlights.h"
#include "browser/pagetranslation.h"
#include "catalogue/appmodel.h"
#include "render/exportdata.h"
#include "ui/applicationactions.h"
#include "ui/mainwindow.h"
#include "ui/notespane.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QWebEnginePage>

namespace Lectorin {
namespace {

constexpr double kZoomStep = 1.1;

const QList<ExportFormat> kExportFormats { ExportFormat::pdf, ExportFormat::pdfSinglePage, ExportFormat::html,
    ExportFormat::rtf, ExportFormat::plainText };

QKeySequence keys(const char *text)
{
    return QKeySequence(QString::fromLatin1(text));
}

} // namespace

LectorinCommands::LectorinCommands(MainWindow *window)
    : QObject(window)
    , m_window(window)
{
    buildMenus();
    connect(window, &MainWindow::currentTabChanged, this, &LectorinCommands::followTab);
}

QAction *LectorinCommands::action(const QString &title) const
{
    return m_actions.value(title);
}

QAction *LectorinCommands::add(
    QMenu *menu, const QString &title, const QList<QKeySequence> &shortcuts, std::function<void()> run)
{
    QAction *action = menu->addAction(title);
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(run));
    m_actions.insert(title, action);
    return action;
}

BrowserModel *LectorinCommands::browser() const
{
    return m_browser.data();
}

void LectorinCommands::buildMenus()
{
    QMenuBar *bar = m_window->menuBar();
    const auto withBrowser = [this](auto run) {
        return [this, run] {
            if (BrowserModel *current = browser())
                run(current);
        };
    };
    ApplicationActions *actions = m_window->services().actions;
    AppModel *app = m_window->services().app;

    QMenu *file = bar->addMenu(tr("&File"));
    add(file, tr("New Window"), { keys("Ctrl+N") }, [this, actions] {
        if (actions)
            actions->newWindow(m_window);
    });
    add(file, tr("New Tab"), { keys("Ctrl+T") }, [this] { m_window->addTab(std::nullopt); });
    add(file, tr("Open Page File\u2026"), { keys("Ctrl+O") }, [this] {
        const QString path = QFileDialog::getOpenFileName(m_window, tr("Open Page File"), QString(),
            tr("Manual page sources (*.[0-9]* *.man *.mdoc);;All files (*)"));
        if (!path.isEmpty())
            m_window->addPreviewTab(path);
    });
    file->addSeparator();
    m_exportMenu = file->addMenu(tr("Export"));
    for (const ExportFormat format : kExportFormats) {
        add(m_exportMenu, exportFormatTitle(format) + QStringLiteral("…"), {},
            withBrowser([format](BrowserModel *current) { current->exportPage(format); }));
    }
    add(file, tr("Export Notes…"), {}, [this, actions] {
        if (actions)
            actions->exportNotes(m_window);
    });
    add(file, tr("Print…"), { keys("Ctrl+P") },
        withBrowser([](BrowserModel *current) { current->printPage(); }));
    file->addSeparator();
    add(file, tr("Close Tab"), { keys("Ctrl+W") }, [this] { m_window->closeCurrentTab(); });
    add(file, tr("Quit"), { keys("Ctrl+Q") }, [] { QApplication::closeAllWindows(); });

    QMenu *edit = bar->addMenu(tr("&Edit"));
    add(edit, tr("Copy"), { QKeySequence::Copy }, withBrowser([](BrowserModel *current) {
        current->page()->triggerAction(QWebEnginePage::Copy);
    }))->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    edit->addSeparator();
    add(edit, tr("Find…"), { keys("Ctrl+F") },
        withBrowser([](BrowserModel *current) { current->setFindPresented(true); }));
    add(edit, tr("Filter Commands"), { keys("Ctrl+Alt+F") },
        withBrowser([](BrowserModel *current) { current->requestFilterFocus(); }));
    add(edit, tr("Open Selected Man Page"), { keys("Ctrl+Shift+O") },
        withBrowser([](BrowserModel *current) { current->openSelectedManPage(); }));
    add(edit, tr("Explain Command Line\u2026"), { keys("Ctrl+Shift+E") }, [this] {
        bool accepted = false;
        const QString line = QInputDialog::getText(m_window, tr("Explain Command Line"),
            tr("A command line to explain, such as tar -xzvf backup.tgz:"), QLineEdit::Normal, QString(),
            &accepted);
        if (accepted && !line.trimmed().isEmpty())
            m_window->addExplanationTab(line);
    });
    edit->addSeparator();
    add(edit, tr("Settings…"), { keys("Ctrl+,") }, [actions] {
        if (actions)
            actions->showSettings();
    });

    QMenu *view = bar->addMenu(tr("&View"));
    add(view, tr("Actual Size"), { keys("Ctrl+0") }, [app] { app->setFontScale(1.0); });
    add(view, tr("Zoom In"), { keys("Ctrl++"), keys("Ctrl+=") },
        [app] { app->setFontScale(app->fontScale() * kZoomStep); });
    add(view, tr("Zoom Out"), { keys("Ctrl+-") }, [app] { app->setFontScale(app->fontScale() / kZoomStep); });
    view->addSeparator();
    add(view, tr("Show Translated Page"), { keys("Ctrl+Shift+L") }, withBrowser([](BrowserModel *current) {
        current->translation()->toggle();
    }))->setCheckable(true);
    add(view, tr("Show Notes"), { keys("Ctrl+Shift+N") }, [this] {
        if (m_tab)
            m_tab->setNotesShown(!m_tab->isNotesShown());
    })->setCheckable(true);
    add(view, tr("Reload Page"), { keys("Ctrl+R"), keys("F5") },
        withBrowser([](BrowserModel *current) { current->reload(); }));
    add(view, tr("Update Man Page Index"), { keys("Ctrl+Shift+R") }, [app] { app->refreshIndex(); });

    QMenu *history = bar->addMenu(tr("Hi&story"));
    add(history, tr("Back"), { keys("Ctrl+["), keys("Alt+Left") },
        withBrowser([](BrowserModel *current) { current->goBack(); }));
    add(history, tr("Forward"), { keys("Ctrl+]"), keys("Alt+Right") },
        withBrowser([](BrowserModel *current) { current->goForward(); }));
    history->addSeparator();
    add(history, tr("Bookmark This Page"), { keys("Ctrl+D") }, withBrowser([](BrowserModel *current) {
        if (PageHighlights *highlights = current->highlights())
            PageBookmarks::bookmarkWhereViewIs(current, highlights->store());
    }));
    history->addSeparator();
    add(history, tr("Clear History"), {}, [app] { app->clearHistory(); });

    QMenu *help = bar->addMenu(tr("&Help"));
    add(help, tr("Lectorin Help"), { keys("F1"), keys("Ctrl+?") }, [actions] {
        if (actions)
            actions->showHelp();
    });
    if (QAction *check = actions ? actions->checkForUpdatesAction() : nullptr)
        help->addAction(check);

    connect(app, &AppModel::fontScaleChanged, this, &LectorinCommands::updateEnabling);
    connect(app, &AppModel::historyChanged, this, &LectorinCommands::updateEnabling);
    connect(app, &AppModel::isRefreshingIndexChanged, this, &LectorinCommands::updateEnabling);
    if (AnnotationStore *store = m_window->services().annotations) {
        connect(store, &AnnotationStore::bookmarksChanged, this, &LectorinCommands::updateEnabling);
        connect(store, &AnnotationStore::highlightsChanged, this, &LectorinCommands::updateEnabling);
    }
    updateEnabling();
}

void LectorinCommands::followTab(ContentView *tab)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_browserConnections))
        disconnect(connection);
    m_browserConnections.clear();
    m_tab = tab;
    m_browser = tab ? tab->browser() : nullptr;
    if (tab)
        m_browserConnections << connect(
            tab, &ContentView::notesShownChanged, this, &LectorinCommands::updateEnabling);
    if (m_browser && m_browser->highlights())
        m_browserConnections << connect(
            m_browser->highlights(), &PageHighlights::pageChanged, this, &LectorinCommands::updateEnabling);
    if (m_browser) {
        m_browserConnections << connect(
            m_browser, &BrowserModel::currentPageIDChanged, this, &LectorinCommands::updateEnabling)
                             << connect(m_browser, &BrowserModel::navigationStateChanged, this,
                                    &LectorinCommands::updateEnabling)
                             << connect(m_browser->translation(), &PageTranslation::changed, this,
                                    &LectorinCommands::updateEnabling);
    }
    updateEnabling();
}

void LectorinCommands::updateEnabling()
{
    AppModel *app = m_window->services().app;
    BrowserModel *current = browser();
    const bool hasPage = current && current->currentPageID().has_value();
    const auto enable = [this](const QString &title, bool enabled) {
        if (QAction *found = m_actions.value(title))
            found->setEnabled(enabled);
    };
    enable(tr("New Tab"), true);
    m_exportMenu->setEnabled(hasPage);
    for (QAction *item : m_exportMenu->actions())
        item->setEnabled(hasPage);
    enable(tr("Print…"), hasPage);
    enable(tr("Copy"), current != nullptr);
    enable(tr("Find…"), current != nullptr);
    enable(tr("Filter Commands"), current != nullptr);
    enable(tr("Open Selected Man Page"), hasPage);
    enable(tr("Reload Page"), hasPage);
    const PageTranslation *translation = current ? current->translation() : nullptr;
    enable(tr("Show Translated Page"), translation && translation->canSwitch());
    m_actions.value(tr("Show Translated Page"))
        ->setChecked(translation && translation->canSwitch() && translation->showsTranslation());
    const PageHighlights *highlights = current ? current->highlights() : nullptr;
    enable(tr("Bookmark This Page"), highlights && !highlights->pageKey().isEmpty());
    enable(tr("Show Notes"), m_tab && m_tab->notes());
    m_actions.value(tr("Show Notes"))->setChecked(m_tab && m_tab->isNotesShown());
    const AnnotationStore *store = m_window->services().annotations;
    enable(tr("Export Notes…"), store && (!store->bookmarks().isEmpty() || !store->highlights().isEmpty()));
    enable(tr("Back"), current && current->canGoBack());
    enable(tr("Forward"), current && current->canGoForward());
    if (app) {
        enable(tr("Actual Size"), app->fontScale() != 1.0);
        enable(tr("Zoom In"), app->fontScale() < AppModel::kMaxFontScale);
        enable(tr("Zoom Out"), app->fontScale() > AppModel::kMinFontScale);
        enable(tr("Update Man Page Index"), !app->isRefreshingIndex());
        enable(tr("Clear History"), !app->history().isEmpty());
    }
}

} // namespace Lectorin

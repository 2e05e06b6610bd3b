// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lectorinapp.h"

#include "annotations/annotationstore.h"
#include "annotations/notesexport.h"
#include "app/launcharguments.h"
#include "browser/browsermodel.h"
#include "browser/optionjump.h"
#include "catalogue/appmodel.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextindexer.h"
#include "help/helpcontroller.h"
#include "help/helpview.h"
#include "info/infourl.h"
#include "platform/systemappearance.h"
#include "platform/trace.h"
#include "platform/windowactivation.h"
#include "render/exportdata.h"
#include "render/manurl.h"
#include "settings/settingswindowcontroller.h"
#include "skeppa/updatechecker.h"
#include "skeppaui/updatecommands.h"
#include "themes/colorschemestore.h"
#include "ui/mainwindow.h"
#include "ui/pagepreviewview.h"
#include "ui/sidebarview.h"
#include "ui/windowplacement.h"
#include "ui/windowpresenter.h"
#include "web/manschemehandler.h"
#include "web/paintreportingpage.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace Lectorin {
namespace {

constexpr int kLongestBackgroundHoldMilliseconds = 2000;

} // namespace

LectorinApp::LectorinApp(
    QSettings *settings, SystemAppearance *appearance, const QString &annotationsFile, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_appearance(appearance)
    , m_model(std::make_unique<AppModel>(settings))
    , m_annotations(new AnnotationStore(
          annotationsFile.isEmpty() ? AnnotationStore::defaultFilePath() : annotationsFile, this))
{
    ColorSchemeStore &store = ColorSchemeStore::shared();
    store.setDarkAppearanceTest([appearance] { return appearance->isDark(); });
    connect(appearance, &SystemAppearance::darkChanged, this, &LectorinApp::applyDarkAppearance);

    if (FullTextIndex::isFullTextAvailable()) {
        m_indexer = new FullTextIndexer(FullTextIndexer::defaultOptions(), this);
        m_indexer->watch(m_model.get());
        // Quitting stops the run between two pages; what it wrote stays for the next start.
        connect(qApp, &QCoreApplication::aboutToQuit, m_indexer, &FullTextIndexer::stop);
    }

    QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
    ManSchemeHandler::installOn(profile, m_model.get());
    setBackgroundWorkHeld(true);
    // A start that shows no page, or one that waits for the catalogue, holds them no longer than this.
    QTimer::singleShot(kLongestBackgroundHoldMilliseconds, this, [this] { setBackgroundWorkHeld(false); });

    m_services = { m_model.get(), settings, &store, &Skeppa::UpdateChecker::shared(), profile,
        [appearance] { return appearance->isDark(); }, this, m_indexer, m_annotations };
    connect(m_annotations, &AnnotationStore::problemChanged, this, &LectorinApp::reportAnnotationsProblem);

    SettingsWindowController::Dependencies dependencies;
    dependencies.settings = settings;
    dependencies.app = m_model.get();
    dependencies.applyAppearance = [appearance](AppearanceSetting setting) { appearance->apply(setting); };
    m_settingsWindow = new SettingsWindowController(dependencies, this);
    connect(m_settingsWindow, &SettingsWindowController::historyLimitChanged, this, [this] {
        for (MainWindow *window : windows()) {
            for (ContentView *tab : window->tabs())
                tab->sidebar()->reloadHistoryLimit();
        }
    });
    m_help = new HelpController(this);
    m_updateCommands = new SkeppaUI::UpdateCommands(
        Skeppa::UpdateChecker::shared(), [this] { m_settingsWindow->showSettings(SettingsTab::general); },
        this);

    if (Trace::enabled()) {
        connect(m_model.get(), &AppModel::indexStateChanged, this,
            [] { Trace::mark(QStringLiteral("catalogue ready")); });
        connect(
            m_model.get(), &AppModel::helpPagesLoaded, this,
            [] { Trace::mark(QStringLiteral("help pages ready")); }, Qt::SingleShotConnection);
    }
}

LectorinApp::~LectorinApp()
{
    for (const QPointer<MainWindow> &window : std::as_const(m_windows))
        delete window.data();
    // Before the model it reads goes.
    delete m_indexer;
}

QList<MainWindow *> LectorinApp::windows() const
{
    QList<MainWindow *> open;
    for (const QPointer<MainWindow> &window : m_windows) {
        if (window)
            open.append(window);
    }
    return open;
}

MainWindow *LectorinApp::openWindow(std::optional<QString> pageID, std::optional<QRect> inheritedFrame)
{
    auto *window = new MainWindow(m_services);
    m_windows.append(window);
    connect(window, &MainWindow::newWindowRequested, this,
        [this](MainWindow *from, const QString &id) { openWindow(id, from->geometry()); });
    // Most recently active last.
    connect(window, &MainWindow::activated, this, [this](MainWindow *active) {
        m_windows.removeAll(active);
        m_windows.append(active);
    });
    ContentView *tab = window->addTab(std::move(pageID));
    if (Trace::enabled()) {
        // Before the catalogue is ready the page has no identifier yet; its URL names it.
        const auto mark = [browser = tab->browser()](const QString &event) {
            Trace::mark(event + browser->currentPageID().value_or(browser->page()->url().toString()));
        };
        QWebEnginePage *page = tab->browser()->page();
        connect(
            page, &QWebEnginePage::loadStarted, this, [mark] { mark(QStringLiteral("page load started ")); });
        connect(tab->browser(), &BrowserModel::linksInferred, this,
            [mark] { mark(QStringLiteral("links inferred ")); });
        connect(page, &QWebEnginePage::loadFinished, this, [mark](bool ok) {
            if (ok)
                mark(QStringLiteral("page loaded "));
        });
        if (auto *reporting = qobject_cast<PaintReportingPage *>(page))
            connect(reporting, &PaintReportingPage::documentPainted, this,
                [mark] { mark(QStringLiteral("page painted ")); });
    }
    if (inheritedFrame) {
        window->setGeometry(WindowPlacement::cascaded(*inheritedFrame));
    } else {
        const QScreen *screen = QGuiApplication::primaryScreen();
        WindowPlacement::applyRemembered(window, WindowPlacement::remembered(*m_settings),
            screen ? std::optional(screen->availableGeometry()) : std::nullopt);
    }
    window->show();
    if (m_windows.size() == 1) {
        Trace::mark(QStringLiteral("window shown"));
        releaseBackgroundWorkWhenPainted(tab->browser()->page());
    }
    reportAnnotationsProblem();
    return window;
}

void LectorinApp::setBackgroundWorkHeld(bool held)
{
    m_model->setBackgroundWorkHeld(held);
    if (m_indexer)
        m_indexer->setHeld(held);
}

void LectorinApp::releaseBackgroundWorkWhenPainted(QWebEnginePage *page)
{
    const auto release = [this] { setBackgroundWorkHeld(false); };
    if (auto *reporting = qobject_cast<PaintReportingPage *>(page))
        connect(reporting, &PaintReportingPage::documentPainted, this, release, Qt::SingleShotConnection);
    else
        connect(page, &QWebEnginePage::loadFinished, this, release, Qt::SingleShotConnection);
}

void LectorinApp::reportAnnotationsProblem()
{
    const QString problem = m_annotations->problem();
    MainWindow *window = activeWindow();
    if (problem.isEmpty() || problem == m_reportedProblem || !window)
        return;
    m_reportedProblem = problem;
    openMessageBox(window, QMessageBox::Warning, tr("Your bookmarks and highlights could not be read."),
        problem, Qt::NonModal);
}

void LectorinApp::exportNotes(MainWindow *from)
{
    QWidget *parent = from ? from : activeWindow();
    const QString title = tr("Export Notes");
    const QString proposed = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        + QStringLiteral("/Lectorin Notes.md");
    QString path = m_chooseSaveFile
        ? m_chooseSaveFile(parent, title, proposed)
        : QFileDialog::getSaveFileName(parent, title, proposed, tr("Markdown (*.md)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".md");
    const QString markdown = NotesExport::markdown(m_annotations->bookmarks(), m_annotations->highlights());
    if (const std::optional<QString> failure = ManPageRenderer::writeExportFile(path, markdown.toUtf8()))
        openMessageBox(
            parent, QMessageBox::Warning, tr("The notes couldn’t be exported."), *failure, Qt::WindowModal);
}

void LectorinApp::newWindow(MainWindow *from)
{
    std::optional<QRect> active;
    bool maximized = false;
    if (MainWindow *source = from ? from : activeWindow(); source && source->isVisible()) {
        maximized = source->isMaximized();
        active = maximized ? source->normalGeometry() : source->geometry();
    }
    const WindowPlacement::RememberedWindow remembered = WindowPlacement::remembered(*m_settings);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const auto area = screen ? std::optional(screen->availableGeometry()) : std::nullopt;
    if (!active)
        maximized = remembered.maximized;
    MainWindow *window
        = openWindow(std::nullopt, WindowPlacement::frameForNewWindow(active, remembered.size, area));
    if (maximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

MainWindow *LectorinApp::activeWindow() const
{
    if (auto *active = qobject_cast<MainWindow *>(QApplication::activeWindow()))
        return active;
    const QList<MainWindow *> open = windows();
    return open.isEmpty() ? nullptr : open.last();
}

void LectorinApp::activate(const QStringList &references, const QString &activationToken)
{
    Trace::mark(activationToken.isEmpty() ? QStringLiteral("second start received")
                                          : QStringLiteral("second start received with an activation token"));
    // Qt's Wayland plugin raises the next window it activates with the token it finds here.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (!references.isEmpty()) {
        openReferences(references);
        return;
    }
    MainWindow *window = activeWindow();
    if (!window)
        window = openWindow(std::nullopt, std::nullopt);
    WindowActivation::bringToFront(window);
}

std::optional<QUrl> LectorinApp::referenceURL(const QString &reference)
{
    // "info:(coreutils)ls invocation", "info:coreutils#ls_invocation": the fragment is the node.
    if (const std::optional<InfoReference> node = InfoUrl::parse(reference.trimmed()))
        return InfoUrl::url(node->manual, node->node);
    // "tar --exclude": the page, at the option's definition.
    if (const std::optional<OptionJump::PageAndOption> jump = OptionJump::split(reference)) {
        std::optional<QUrl> url = referenceURL(jump->page);
        if (url)
            url->setFragment(jump->option);
        return url;
    }
    const QUrl asURL(reference.trimmed());
    const bool isManURL = isManPageLink(asURL);
    const std::optional<PageReference> parsed
        = isManURL ? parseManURLText(reference.trimmed().section(u'#', 0, 0)) : parseReference(reference);
    if (!parsed || parsed->name.isEmpty())
        return std::nullopt;
    std::optional<QUrl> url = manURL(parsed->name, parsed->section);
    if (url && isManURL && asURL.hasFragment())
        url->setFragment(asURL.fragment(QUrl::FullyDecoded));
    return url;
}

void LectorinApp::openReferences(const QStringList &references)
{
    MainWindow *window = activeWindow();
    if (!window)
        window = openWindow(std::nullopt, std::nullopt);
    bool reusedCurrentTab = false;
    for (const QString &reference : references) {
        if (const std::optional<QString> path = LaunchArguments::pageFileArgument(reference)) {
            window->addPreviewTab(*path);
            continue;
        }
        // A page asked for at launch wins over the last session's page, which would otherwise replace it once
        // the catalogue is ready.
        m_model->setDidRestoreInitialPage(true);
        if (const std::optional<QUrl> url = referenceURL(reference)) {
            // Each further reference gets a tab of its own.
            ContentView *tab = reusedCurrentTab || !window->currentTab() ? window->addTab(std::nullopt)
                                                                         : window->currentTab();
            reusedCurrentTab = true;
            tab->browser()->page()->load(*url);
        }
    }
    WindowActivation::bringToFront(window);
}

void LectorinApp::showSettings()
{
    m_settingsWindow->showSettings();
}

void LectorinApp::showHelp()
{
    m_help->showHelp();
}

QAction *LectorinApp::checkForUpdatesAction()
{
    return m_updateCommands->checkForUpdatesAction();
}

void LectorinApp::applyDarkAppearance(bool dark)
{
    ColorSchemeStore::shared().systemAppearanceChanged();
    for (MainWindow *window : windows()) {
        for (ContentView *tab : window->tabs())
            tab->setDarkAppearance(dark);
        for (PagePreviewView *preview : window->previewTabs())
            preview->setDarkAppearance(dark);
    }
}

} // namespace Lectorin

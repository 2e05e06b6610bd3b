// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/contentview.h"

#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"
#include "skeppa/updatechecker.h"
#include "themes/colorschemestore.h"
#include "ui/detailview.h"
#include "ui/findbar.h"
#include "ui/bookmarklistview.h"
#include "ui/manwebview.h"
#include "ui/notespane.h"
#include "ui/panecycle.h"
#include "ui/sidebarview.h"
#include "ui/windowpresenter.h"

#include <QLineEdit>
#include <QListView>
#include <QWebEnginePage>

namespace Lectorin {
namespace {

constexpr int kSidebarMinimumWidth = 200;
constexpr int kSidebarPreferredWidth = 240;
constexpr int kNotesPreferredWidth = 300;

} // namespace

ContentView::ContentView(
    const Services &services, std::optional<QString> initialPageID, QWidget *hostWindow, QWidget *parent)
    : QSplitter(Qt::Horizontal, parent)
    , m_services(services)
    , m_presenter(std::make_unique<WindowPresenter>(hostWindow))
{
    BrowserOptions options;
    options.initialPageID = std::move(initialPageID);
    options.profile = services.profile;
    options.annotations = services.annotations;
    m_browser = std::make_unique<BrowserModel>(services.app, m_presenter.get(), options);
    m_sidebar = new SidebarView(services.app, m_browser.get(), services.settings, services.indexer, this);
    m_detail = new DetailView(m_browser.get(), services.checker, this);
    connect(m_sidebar, &SidebarView::findRequested, m_detail->findBar(), &FindBar::startFinding);
    PaneCycle::install(this, [this]() -> QList<QWidget *> {
        return { m_sidebar->filterField(), m_sidebar->bookmarkList(), m_sidebar->historyList(),
            m_sidebar->catalogueList(), m_detail->webView(), m_notes ? m_notes->list() : nullptr };
    });
    m_sidebar->setMinimumWidth(kSidebarMinimumWidth);
    addWidget(m_sidebar);
    addWidget(m_detail);
    if (m_browser->highlights()) {
        m_notes = new NotesPane(m_browser.get(), this);
        m_notes->setMinimumWidth(kSidebarMinimumWidth);
        m_notes->hide();
        addWidget(m_notes);
        connect(m_notes, &NotesPane::closeRequested, this, [this] { setNotesShown(false); });
    }
    setStretchFactor(1, 1);
    setChildrenCollapsible(false);
    setSizes({ kSidebarPreferredWidth, 660, 0 });
    if (services.isDarkAppearance)
        m_browser->setDarkAppearance(services.isDarkAppearance());

    connect(m_browser->page(), &QWebEnginePage::titleChanged, this, [this] { emit titleChanged(title()); });
    if (services.colorScheme) {
        connect(services.colorScheme, &ColorSchemeStore::generationChanged, this, [this] {
            if (m_browser->currentPageID())
                m_browser->reload();
        });
    }
    connect(services.app, &AppModel::fontScaleChanged, this,
        [this](double scale) { m_browser->applyFontScale(scale); });
}

ContentView::~ContentView()
{
    // The views hold the browser's page; they go first.
    delete m_detail;
    delete m_sidebar;
}

QString ContentView::title() const
{
    const QString pageTitle = m_browser->page()->title();
    // The engine reports the URL as the title until the document names one.
    if (pageTitle.isEmpty() || pageTitle.startsWith(QLatin1String("x-lectorin-man:")))
        return QStringLiteral("Lectorin");
    return pageTitle;
}

bool ContentView::isNotesShown() const
{
    return m_notes && !m_notes->isHidden();
}

void ContentView::setNotesShown(bool shown)
{
    if (!m_notes || shown == isNotesShown())
        return;
    m_notes->setVisible(shown);
    if (shown) {
        // The page gives up the room.
        QList<int> widths = sizes();
        if (widths.size() == 3 && widths[2] < kNotesPreferredWidth) {
            widths[1] = std::max(widths[1] - (kNotesPreferredWidth - widths[2]), 200);
            widths[2] = kNotesPreferredWidth;
            setSizes(widths);
        }
        m_notes->list()->setFocus(Qt::OtherFocusReason);
    }
    emit notesShownChanged(shown);
}

void ContentView::showEvent(QShowEvent *event)
{
    QSplitter::showEvent(event);
    if (!m_started) {
        m_started = true;
        runStartWork();
    }
}

void ContentView::runStartWork()
{
    AppModel *app = m_services.app;
    if (!app->didRestoreInitialPage() && m_services.checker)
        m_services.checker->checkIfDue();
    const auto restore = [browser = QPointer<BrowserModel>(m_browser.get())] {
        if (browser)
            browser->restoreInitialPage();
    };
    if (app->indexState() == AppModel::IndexState::ready) {
        restore();
        return;
    }
    // The last page shows as soon as its file names find it, from the next turn of the event loop, so that
    // pages named on the command line, which the caller opens right after the window, take its place. It
    // is tried again when the manual folders are known, and at the latest when the catalogue is ready.
    app->loadIndexIfNeeded();
    QMetaObject::invokeMethod(this, restore, Qt::QueuedConnection);
    connect(app, &AppModel::manualDirectoriesKnown, this, restore, Qt::SingleShotConnection);
    connect(app, &AppModel::indexStateChanged, this, restore, Qt::SingleShotConnection);
}

void ContentView::openExternalURL(const QUrl &url)
{
    if (url.scheme().toLower() != QLatin1String("x-man-page"))
        return;
    const std::optional<PageReference> reference = parseManURL(url);
    if (!reference || reference->name.isEmpty())
        return;
    if (const std::optional<QUrl> target = manURL(reference->name, reference->section))
        m_browser->page()->load(*target);
}

void ContentView::setDarkAppearance(bool dark)
{
    m_browser->setDarkAppearance(dark);
}

} // namespace Lectorin

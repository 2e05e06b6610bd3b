// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"

#include "browser/browserpresenter.h"
#include "browser/manwebpage.h"
#include "browser/missingpagealert.h"
#include "browser/optionjump.h"
#include "browser/pageafterload.h"
#include "browser/pageexports.h"
#include "browser/pagehighlights.h"
#include "browser/pagetranslation.h"
#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"
#include "themes/colorschemestore.h"
#include "web/manschemehandler.h"
#include "web/pagecolorscheme.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QPalette>
#include <QWebEngineHistory>
#include <QWebEngineProfile>

namespace Lectorin {
namespace {

const QString kSelectionScript = QStringLiteral("return window.getSelection().toString();");
const QString kFontSizeScript = QStringLiteral("document.documentElement.style.fontSize = size;");
const QString kScrollScript
    = QStringLiteral("document.getElementById(id)?.scrollIntoView({ block: \"start\" });");

bool paletteLooksDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

} // namespace

BrowserModel::BrowserModel(
    AppModel *app, BrowserPresenter *presenter, BrowserOptions options, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_presenter(presenter)
    , m_tools(options.tools)
{
    QWebEngineProfile *profile = options.profile ? options.profile : QWebEngineProfile::defaultProfile();
    ManSchemeHandler::installOn(profile, app, m_tools);
    m_page = new ManWebPage(profile, app, this);
    connect(m_page, &ManWebPage::navigationDecided, this, &BrowserModel::follow);
    connect(m_page, &ManWebPage::linkFollowed, this, [this] { setFindPresented(false); });
    connect(m_page, &QWebEnginePage::loadFinished, this, &BrowserModel::updateNavigationState);
    connect(m_page, &QWebEnginePage::urlChanged, this, &BrowserModel::updateNavigationState);

    m_afterLoad = new PageAfterLoad(m_page, app, this);
    connect(m_afterLoad, &PageAfterLoad::pageIdentified, this, &BrowserModel::pageIdentified);
    connect(m_afterLoad, &PageAfterLoad::earlierVisitIdentified, this,
        [this](const QString &id) { m_app->recordVisit(id, true); });
    connect(m_afterLoad, &PageAfterLoad::pageUnidentified, this, [this] { setCurrentPageID(std::nullopt); });
    connect(m_afterLoad, &PageAfterLoad::outlineChanged, this, &BrowserModel::pageSectionsChanged);
    connect(m_afterLoad, &PageAfterLoad::linksInferred, this, &BrowserModel::linksInferred);
    m_exports = new PageExports(presenter, m_tools, profile, this);
    if (options.annotations) {
        m_highlights = new PageHighlights(this, options.annotations, this);
        m_exports->setAnnotations(options.annotations);
    }
    m_translation = new PageTranslation(this, app);
    setDarkAppearance(paletteLooksDark());

    if (options.initialPageID) {
        m_app->setDidRestoreInitialPage(true);
        show(*options.initialPageID);
    }
}

QWebEnginePage *BrowserModel::page() const
{
    return m_page;
}

const QList<OutlineEntry> &BrowserModel::pageSections() const
{
    return m_afterLoad->outline();
}

void BrowserModel::setSelection(const std::optional<SidebarItem> &selection)
{
    if (selection == m_selection)
        return;
    m_selection = selection;
    emit selectionChanged();
}

void BrowserModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    emit filterChanged(filter);
}

void BrowserModel::setFindPresented(bool presented)
{
    if (presented == m_isFindPresented)
        return;
    m_isFindPresented = presented;
    emit isFindPresentedChanged(presented);
}

void BrowserModel::requestFilterFocus()
{
    emit filterFocusTokenChanged(++m_filterFocusToken);
}

std::optional<ManPage> BrowserModel::currentPage() const
{
    return m_currentPageID ? m_app->page(*m_currentPageID) : std::nullopt;
}

bool BrowserModel::canGoBack() const
{
    return m_page->history()->canGoBack();
}

bool BrowserModel::canGoForward() const
{
    return m_page->history()->canGoForward();
}

void BrowserModel::show(const QString &pageID, const QString &fragment)
{
    // While another page loads, the current one is still the page it replaces: choosing that one again loads
    // it, or the page on its way would show instead.
    if (m_currentPageID == pageID && m_afterLoad->shown() == PageAfterLoad::Shown::cataloguePage) {
        if (!fragment.isEmpty())
            jumpTo(fragment);
        return;
    }
    if (const std::optional<ManPage> page = m_app->page(pageID))
        load(*page, fragment);
}

void BrowserModel::load(const ManPage &page, const QString &fragment)
{
    if (std::optional<QUrl> url = manURL(page)) {
        if (!fragment.isEmpty())
            url->setFragment(fragment);
        updatePageBackground();
        m_page->load(*url);
    }
}

void BrowserModel::jumpTo(const QString &target, std::function<void(bool)> done)
{
    ScriptCall::call(m_page, OptionJump::script(), { { QStringLiteral("target"), target } }, this,
        [done = std::move(done)](const QVariant &found) {
            if (done)
                done(found.toBool());
        });
}

void BrowserModel::placeCaretBeforeDefinition(const QString &spelling, std::function<void()> done)
{
    ScriptCall::call(m_page, OptionJump::caretBeforeDefinitionScript(),
        { { QStringLiteral("target"), spelling } }, this,
        [done = std::move(done)](const QVariant &) { done(); });
}

void BrowserModel::open(const QString &name, const std::optional<QString> &section, const QString &fragment)
{
    if (const std::optional<ManPage> page = resolveManReference(*m_app, { name, section }))
        show(page->id(), fragment);
    else
        showMissingPage(name, section);
}

QString BrowserModel::linkToolTip(const QUrl &link) const
{
    if (!isManPageLink(link))
        return QString();
    const std::optional<PageReference> reference = parseManURL(link);
    if (!reference || reference->name.isEmpty())
        return QString();
    const std::optional<ManPage> page = m_app->resolvePage(reference->name, reference->section);
    return page ? describedName(page->qualifiedName(), m_app->descriptions().of(page->id())) : QString();
}

void BrowserModel::showMissingPage(const QString &name, const std::optional<QString> &section)
{
    m_presenter->showAlert(MissingPageAlert::message(name, section), MissingPageAlert::informativeText());
}

void BrowserModel::openInNewWindow(const QString &name, const std::optional<QString> &section)
{
    if (const std::optional<ManPage> page = resolveManReference(*m_app, { name, section }))
        openPageInNewWindow(page->id());
    else
        showMissingPage(name, section);
}

void BrowserModel::openInNewTab(const QString &name, const std::optional<QString> &section)
{
    if (const std::optional<ManPage> page = resolveManReference(*m_app, { name, section }))
        openPageInNewTab(page->id());
    else
        showMissingPage(name, section);
}

void BrowserModel::openPageInNewWindow(const QString &pageID)
{
    emit newWindowRequested(pageID);
}

void BrowserModel::openPageInNewTab(const QString &pageID)
{
    emit newTabRequested(pageID);
}

void BrowserModel::restoreInitialPage()
{
    if (m_app->didRestoreInitialPage())
        return;
    const bool catalogueReady = m_app->indexState() == AppModel::IndexState::ready;
    const QStringList &history = m_app->history();
    std::optional<ManPage> page;
    if (!history.isEmpty())
        page = catalogueReady ? m_app->page(history.constFirst()) : pageBeforeCatalogue(history.constFirst());
    // Before the catalogue, a page that its file names do not find is tried again once the catalogue is
    // ready.
    if (!page && !catalogueReady)
        return;
    m_app->setDidRestoreInitialPage(true);
    if (page)
        load(*page);
}

std::optional<ManPage> BrowserModel::pageBeforeCatalogue(const QString &pageID) const
{
    const std::optional<PageReference> reference = referenceOfID(pageID);
    return reference ? m_app->pageBeforeCatalogue(*reference) : std::nullopt;
}

void BrowserModel::goBack()
{
    QWebEngineHistory *history = m_page->history();
    if (history->canGoBack())
        history->goToItem(history->backItem());
}

void BrowserModel::goForward()
{
    QWebEngineHistory *history = m_page->history();
    if (history->canGoForward())
        history->goToItem(history->forwardItem());
}

void BrowserModel::openSelectedManPage()
{
    ScriptCall::call(m_page, kSelectionScript, {}, this, [this](const QVariant &result) {
        if (result.typeId() != QMetaType::QString) {
            m_presenter->beep();
            return;
        }
        const std::optional<PageReference> reference = parseReference(result.toString());
        const std::optional<ManPage> page
            = reference ? m_app->resolvePage(reference->name, reference->section) : std::nullopt;
        if (page)
            show(page->id());
        else
            m_presenter->beep();
    });
}

void BrowserModel::explainSelection()
{
    ScriptCall::call(m_page, kSelectionScript, {}, this, [this](const QVariant &result) {
        if (result.typeId() != QMetaType::QString || result.toString().trimmed().isEmpty())
            m_presenter->beep();
        else
            emit explainRequested(result.toString().simplified());
    });
}

QString BrowserModel::fontSizeArgument(double factor)
{
    return QString::asprintf("%.2fpx", factor * ManPageRenderer::kBaseFontSize);
}

void BrowserModel::applyFontScale(double factor)
{
    ScriptCall::call(m_page, kFontSizeScript, { { QStringLiteral("size"), fontSizeArgument(factor) } }, this);
}

void BrowserModel::scrollToSection(const QString &id)
{
    ScriptCall::call(m_page, kScrollScript, { { QStringLiteral("id"), id } }, this);
}

void BrowserModel::reload()
{
    // A reload usually follows a theme change: the view shows the new background until the first frame.
    updatePageBackground();
    m_page->triggerAction(QWebEnginePage::Reload);
}

void BrowserModel::setDarkAppearance(bool dark)
{
    m_isDarkAppearance = dark;
    PageColorScheme::apply(m_page, dark);
    updatePageBackground();
}

void BrowserModel::updatePageBackground()
{
    m_page->setBackgroundColor(
        PageColorScheme::background(ColorSchemeStore::shared().theme(), m_isDarkAppearance));
}

void BrowserModel::setCurrentPageID(const std::optional<QString> &id)
{
    if (id == m_currentPageID)
        return;
    m_currentPageID = id;
    emit currentPageIDChanged();
}

void BrowserModel::updateNavigationState()
{
    const bool couldGoBack = std::exchange(m_couldGoBack, canGoBack());
    const bool couldGoForward = std::exchange(m_couldGoForward, canGoForward());
    if (couldGoBack != m_couldGoBack || couldGoForward != m_couldGoForward)
        emit navigationStateChanged();
}

void BrowserModel::follow(const NavigationDecision &decision)
{
    using FollowUp = NavigationDecision::FollowUp;
    if (decision.followUp == FollowUp::openExternally) {
        QDesktopServices::openUrl(decision.externalURL);
        return;
    }
    if (!decision.reference)
        return;
    const auto &[name, section] = *decision.reference;
    switch (decision.followUp) {
    case FollowUp::openInPlace:
        open(name, section, decision.fragment);
        return;
    case FollowUp::openInNewWindow:
        openInNewWindow(name, section);
        return;
    case FollowUp::openInNewTab:
        openInNewTab(name, section);
        return;
    case FollowUp::missingPage:
        showMissingPage(name, section);
        return;
    case FollowUp::none:
    case FollowUp::openExternally:
        return;
    }
}

void BrowserModel::pageIdentified(const QString &id, bool isVisit)
{
    setCurrentPageID(id);
    if (isVisit)
        m_app->recordVisit(id, m_selection != SidebarItem::history(id));
    if (!m_selection || m_selection->pageID != id)
        setSelection(SidebarItem::command(id));
}

void BrowserModel::printPage()
{
    if (const std::optional<ManPage> page = currentPage())
        m_exports->print(*page);
}

void BrowserModel::exportPage(ExportFormat format)
{
    if (const std::optional<ManPage> page = currentPage())
        m_exports->exportPage(*page, format);
}

} // namespace Lectorin

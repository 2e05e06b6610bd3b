// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"

#include "browser/browserpresenter.h"
#include "browser/inferredlinks.h"
#include "browser/manwebpage.h"
#include "browser/pagetranslation.h"
#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"
#include "catalogue/whenfinished.h"
#include "render/manpageexporter.h"
#include "render/manschemehandler.h"
#include "render/manurl.h"
#include "render/pagecolorscheme.h"
#include "themes/colorschemestore.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWebEngineHistory>
#include <QWebEngineProfile>

namespace Lectorin {
namespace {

const QString kOutlineScript = QStringLiteral(
    "return Array.from(document.querySelectorAll(\"h1.Sh[id], h2.Sh[id], h2.Ss[id], h3.Ss[id]\"), (e) => ({\n"
    "    id: e.id,\n"
    "    title: e.textContent.replace(/\\s+/g, \" \").trim(),\n"
    "    level: e.classList.contains(\"Sh\") ? 1 : 2,\n"
    "}));");
const QString kSelectionScript = QStringLiteral("return window.getSelection().toString();");
const QString kFontSizeScript = QStringLiteral("document.documentElement.style.fontSize = size;");
const QString kScrollScript
    = QStringLiteral("document.getElementById(id)?.scrollIntoView({ block: \"start\" });");

bool isIntegral(const QVariant &value)
{
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    return isNumber && value.typeId() != QMetaType::QString && value.typeId() != QMetaType::Bool
        && number == double(qint64(number));
}

QList<PageSection> sectionsFrom(const QVariant &result)
{
    if (result.typeId() != QMetaType::QVariantList)
        return {};
    QList<PageSection> sections;
    for (const QVariant &entry : result.toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            return {};
        const QVariantMap fields = entry.toMap();
        const QVariant id = fields.value(QStringLiteral("id"));
        const QVariant title = fields.value(QStringLiteral("title"));
        if (id.typeId() != QMetaType::QString || title.typeId() != QMetaType::QString)
            continue;
        const QVariant level = fields.value(QStringLiteral("level"));
        sections.append({ id.toString(), title.toString(), isIntegral(level) ? int(level.toDouble()) : 1 });
    }
    return sections;
}

bool paletteLooksDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

} // namespace

BrowserModel::BrowserModel(
    AppModel *app, BrowserPresenter *presenter, BrowserOptions options, QObject *parent)
    : ManNavigationTarget(parent)
    , m_app(app)
    , m_presenter(presenter)
    , m_tools(options.tools)
    , m_resolver(std::make_shared<ManResolverBox>())
{
    QWebEngineProfile *profile = options.profile ? options.profile : QWebEngineProfile::defaultProfile();
    ManSchemeHandler::installOn(profile, app, m_tools);
    m_resolver->app = app;
    m_page = new ManWebPage(profile, ManNavigationDecider(m_resolver), this);
    m_resolver->browser = this;
    m_translation = new PageTranslation(this, app);
    setDarkAppearance(paletteLooksDark());
    connect(m_page, &ManWebPage::linkFollowed, this, [this] { setFindPresented(false); });

    // A navigation the decider refuses still finishes, unsuccessfully; only real loads count.
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        updateNavigationState();
        if (ok)
            pageDidFinish();
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, &BrowserModel::updateNavigationState);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { m_finishedBeforeCatalogue = false; });
    // A page shown before the catalogue was ready gets its identifier, visit, selection and links now;
    // queued, so that the sidebar's lists hold the new catalogue first.
    connect(
        m_app, &AppModel::indexStateChanged, this,
        [this](AppModel::IndexState state) {
            if (state == AppModel::IndexState::ready && std::exchange(m_finishedBeforeCatalogue, false))
                pageDidFinish();
        },
        Qt::QueuedConnection);

    if (options.initialPageID) {
        m_app->setDidRestoreInitialPage(true);
        show(*options.initialPageID);
    }
}

BrowserModel::~BrowserModel()
{
    // The decider may still be asked while the page goes down.
    m_resolver->browser = nullptr;
}

QWebEnginePage *BrowserModel::page() const
{
    return m_page;
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

void BrowserModel::show(const QString &pageID)
{
    if (m_currentPageID == pageID)
        return;
    if (const std::optional<ManPage> page = m_app->page(pageID))
        load(*page);
}

void BrowserModel::load(const ManPage &page)
{
    if (const std::optional<QUrl> url = manURL(page)) {
        updatePageBackground();
        m_page->load(*url);
    }
}

void BrowserModel::open(const QString &name, const std::optional<QString> &section)
{
    if (const std::optional<ManPage> page = resolveManReference(*m_app, { name, section }))
        show(page->id());
    else
        showMissingPage(name, section);
}

QString BrowserModel::missingPageMessage(const QString &name, const std::optional<QString> &section)
{
    const QString reference = section ? name + u'(' + *section + u')' : name;
    return u"No manual entry for \u201C" + reference + u"\u201D";
}

QString BrowserModel::missingPageInformativeText()
{
    return QStringLiteral(
        "The reference points to a page that isn\u2019t installed on this system. Some sections "
        "(2 and 3, for example) come in separate packages that may not be installed.");
}

void BrowserModel::showMissingPage(const QString &name, const std::optional<QString> &section)
{
    m_presenter->showAlert(missingPageMessage(name, section), missingPageInformativeText());
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

void BrowserModel::pageDidFinish()
{
    const std::optional<PageReference> reference = parseManURL(m_page->url());
    const std::optional<ManPage> page = reference ? resolveManReference(*m_app, *reference) : std::nullopt;
    if (!page) {
        setCurrentPageID(std::nullopt);
        m_finishedBeforeCatalogue = reference && m_app->indexState() != AppModel::IndexState::ready;
        if (m_finishedBeforeCatalogue)
            refreshSections();
        else
            setPageSections({});
        return;
    }
    const QString id = page->id();
    setCurrentPageID(id);
    // Reloads (Reload Page, and those after a theme, zoom or appearance change) leave the history alone.
    if (!m_page->lastNavigationWasReload())
        m_app->recordVisit(id, m_selection != SidebarItem::history(id));
    if (!m_selection || m_selection->pageID != id)
        setSelection(SidebarItem::command(id));
    refreshSections();
    inferLinks(*page);
}

void BrowserModel::refreshSections()
{
    ScriptCall::call(m_page, kOutlineScript, {}, this,
        [this](const QVariant &result) { setPageSections(sectionsFrom(result)); });
}

void BrowserModel::inferLinks(const ManPage &shown)
{
    // Web addresses first, so that a reference inside one ("…/ls(1)") stays part of its address.
    ScriptCall::call(m_page, InferredLinks::webLinkScript(), {}, this);
    ScriptCall::call(m_page, InferredLinks::collectScript(), {}, this, [this, shown](const QVariant &result) {
        const InferredLinks::Links links = InferredLinks::confirm(result, shown, *m_app);
        if (links.isEmpty()) {
            emit linksInferred();
            return;
        }
        ScriptCall::call(m_page, InferredLinks::linkScript(),
            { { QStringLiteral("patterns"), links.patterns }, { QStringLiteral("marked"), links.marked } },
            this, [this](const QVariant &) { emit linksInferred(); });
    });
}

void BrowserModel::setCurrentPageID(const std::optional<QString> &id)
{
    if (id == m_currentPageID)
        return;
    m_currentPageID = id;
    emit currentPageIDChanged();
}

void BrowserModel::setPageSections(QList<PageSection> sections)
{
    if (sections == m_pageSections)
        return;
    m_pageSections = std::move(sections);
    emit pageSectionsChanged();
}

void BrowserModel::updateNavigationState()
{
    const bool couldGoBack = std::exchange(m_couldGoBack, canGoBack());
    const bool couldGoForward = std::exchange(m_couldGoForward, canGoForward());
    if (couldGoBack != m_couldGoBack || couldGoForward != m_couldGoForward)
        emit navigationStateChanged();
}

ManPageExporter *BrowserModel::startExporter()
{
    auto *exporter = new ManPageExporter(m_tools, m_page->profile(), this);
    m_exporters.append(exporter);
    emit activeExporterChanged();
    return exporter;
}

void BrowserModel::endExporter(ManPageExporter *exporter)
{
    const ManPageExporter *active = activeExporter();
    if (!m_exporters.removeOne(exporter))
        return;
    exporter->deleteLater();
    if (activeExporter() != active)
        emit activeExporterChanged();
}

void BrowserModel::printPage()
{
    const std::optional<ManPage> page = currentPage();
    if (!page)
        return;
    ManPageExporter *exporter = startExporter();
    exporter->loadPage(*page, [this, exporter](const std::optional<QString> &failure) {
        if (failure) {
            endExporter(exporter);
            m_presenter->showAlert(*failure, QString());
            return;
        }
        QPointer<BrowserModel> self(this);
        m_presenter->print(exporter->page(), [self, exporter] {
            if (self)
                self->endExporter(exporter);
        });
    });
}

void BrowserModel::exportPage(ExportFormat format)
{
    const std::optional<ManPage> page = currentPage();
    if (!page)
        return;
    const QString filePath = m_presenter->chooseExportFile(page->qualifiedName(), format);
    if (filePath.isEmpty())
        return;
    const auto finished
        = [this, filePath](const std::optional<QString> &failure) { finishExport(filePath, failure); };
    switch (format) {
    case ExportFormat::pdf:
    case ExportFormat::pdfSinglePage: {
        ManPageExporter *exporter = startExporter();
        const auto exported = [this, exporter, finished](const std::optional<QString> &failure) {
            endExporter(exporter);
            finished(failure);
        };
        if (format == ExportFormat::pdf)
            exporter->exportPDF(*page, filePath, exported);
        else
            exporter->exportSinglePagePDF(*page, filePath, exported);
        return;
    }
    case ExportFormat::html:
    case ExportFormat::rtf:
    case ExportFormat::plainText:
        // Never inside this call, even when the data is ready at once: callers connect after they ask.
        Futures::whenFinished(ManPageRenderer::exportData(*page, format, m_tools), this,
            [finished, filePath](const ManPageRenderer::ExportResult &result) {
                finished(result.succeeded() ? ManPageRenderer::writeExportFile(filePath, result.data)
                                            : result.failure);
            });
        return;
    }
}

void BrowserModel::finishExport(const QString &filePath, const std::optional<QString> &failure)
{
    if (failure)
        m_presenter->showAlert(*failure, QString());
    emit exportFinished(filePath, failure.value_or(QString()));
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/pageafterload.h"

#include "browser/inferredlinks.h"
#include "browser/infolinks.h"
#include "browser/manwebpage.h"
#include "browser/optionjump.h"
#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"

#include <utility>

namespace Lectorin {
namespace {

const QString kOutlineScript = QStringLiteral(R"js(
const folded = (text) => (text || "").replace(/\s+/g, " ").trim();
const headings = Array.from(document.querySelectorAll("h1.Sh[id], h2.Sh[id], h2.Ss[id], h3.Ss[id]"), (e) => ({
    id: e.id,
    title: folded(e.textContent),
    level: e.classList.contains("Sh") ? 1 : 2,
}));
const definitions = Array.from(document.querySelectorAll("[data-lectorin-option][id]"), (e) => ({
    id: e.id,
    title: e.getAttribute("data-lectorin-option").split(" ").join(", "),
    level: 3,
    summary: folded(e.nextElementSibling?.textContent).slice(0, 120),
}));
return headings.concat(definitions);
)js");

bool isIntegral(const QVariant &value)
{
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    return isNumber && value.typeId() != QMetaType::QString && value.typeId() != QMetaType::Bool
        && number == double(qint64(number));
}

QList<OutlineEntry> outlineFrom(const QVariant &result)
{
    if (result.typeId() != QMetaType::QVariantList)
        return {};
    QList<OutlineEntry> sections;
    for (const QVariant &entry : result.toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            return {};
        const QVariantMap fields = entry.toMap();
        const QVariant id = fields.value(QStringLiteral("id"));
        const QVariant title = fields.value(QStringLiteral("title"));
        if (id.typeId() != QMetaType::QString || title.typeId() != QMetaType::QString)
            continue;
        const QVariant level = fields.value(QStringLiteral("level"));
        const QVariant summary = fields.value(QStringLiteral("summary"));
        sections.append({ id.toString(), title.toString(), isIntegral(level) ? int(level.toDouble()) : 1,
            summary.typeId() == QMetaType::QString ? summary.toString() : QString() });
    }
    return sections;
}

} // namespace

PageAfterLoad::PageAfterLoad(ManWebPage *page, AppModel *app, QObject *parent)
    : QObject(parent)
    , m_page(page)
    , m_app(app)
{
    m_paintWait.setSingleShot(true);
    m_paintWait.setInterval(PaintReportingPage::kUnreportedPaintMilliseconds);
    connect(&m_paintWait, &QTimer::timeout, this, &PageAfterLoad::readDocument);
    connect(m_page, &QWebEnginePage::loadStarted, this, &PageAfterLoad::loadDidStart);
    connect(m_page, &PaintReportingPage::documentRequested, this, &PageAfterLoad::loadDidStart);
    // A navigation the decider refuses still finishes, unsuccessfully; only real loads count.
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok)
            loadDidFinish();
    });
    connect(m_page, &PaintReportingPage::documentPainted, this, [this] {
        m_painted = true;
        if (m_paintWait.isActive()) {
            m_paintWait.stop();
            readDocument();
        }
    });
    // Queued, so that the sidebar's lists hold the new catalogue before the page is named in them.
    connect(
        m_app, &AppModel::indexStateChanged, this,
        [this](AppModel::IndexState state) {
            if (state == AppModel::IndexState::ready)
                catalogueBecameReady();
        },
        Qt::QueuedConnection);
}

void PageAfterLoad::loadDidStart()
{
    ++m_generation;
    m_painted = false;
    m_paintWait.stop();
    if (m_shown == Shown::awaitingCatalogue && m_awaitedVisit)
        m_visitsBeforeCatalogue.append(*m_awaitedVisit);
    m_awaitedVisit.reset();
    m_shown = Shown::nothing;
}

void PageAfterLoad::loadDidFinish()
{
    identifyPage();
    if (m_shown == Shown::nothing)
        setOutline({});
    // The scripts that read and change the document run on the renderer's main thread and would hold its
    // first frame back: they wait until it is on the screen.
    if (m_painted)
        readDocument();
    else
        m_paintWait.start();
}

void PageAfterLoad::identifyPage()
{
    m_shownPage.reset();
    const std::optional<PageReference> reference = parseManURL(m_page->url());
    const std::optional<ManPage> page = reference ? resolveManReference(*m_app, *reference) : std::nullopt;
    if (!page) {
        const bool awaiting = reference && m_app->indexState() != AppModel::IndexState::ready;
        m_shown = awaiting ? Shown::awaitingCatalogue : Shown::nothing;
        if (awaiting && !m_page->lastNavigationWasReload())
            m_awaitedVisit = reference;
        emit pageUnidentified();
        return;
    }
    m_shown = Shown::cataloguePage;
    m_shownPage = page;
    emit pageIdentified(page->id(), !m_page->lastNavigationWasReload());
}

void PageAfterLoad::readDocument()
{
    // Also where the engine found the anchor itself: the definition is marked, and an option as typed finds
    // it.
    if (const QString fragment = m_page->url().fragment(QUrl::FullyDecoded); !fragment.isEmpty())
        callInDocument(OptionJump::script(), { { QStringLiteral("target"), fragment } });
    if (m_shown == Shown::nothing)
        return;
    refreshOutline();
    if (m_shownPage)
        inferLinks(*m_shownPage);
}

void PageAfterLoad::catalogueBecameReady()
{
    for (const PageReference &left : std::exchange(m_visitsBeforeCatalogue, {})) {
        if (const std::optional<ManPage> page = resolveManReference(*m_app, left))
            emit earlierVisitIdentified(page->id());
    }
    if (m_shown == Shown::awaitingCatalogue)
        loadDidFinish();
}

void PageAfterLoad::callInDocument(
    const QString &body, const QVariantMap &arguments, std::function<void(const QVariant &)> done)
{
    // A result from the document before is no news of the one shown now.
    ScriptCall::call(m_page, body, arguments, this,
        [this, generation = m_generation, done = std::move(done)](const QVariant &result) {
            if (done && generation == m_generation)
                done(result);
        });
}

void PageAfterLoad::refreshOutline()
{
    callInDocument(kOutlineScript, {}, [this](const QVariant &result) { setOutline(outlineFrom(result)); });
}

void PageAfterLoad::setOutline(QList<OutlineEntry> outline)
{
    if (outline == m_outline)
        return;
    m_outline = std::move(outline);
    emit outlineChanged();
}

void PageAfterLoad::inferLinks(const ManPage &shown)
{
    // Web addresses first, so that a reference inside one ("…/ls(1)") stays part of its address.
    callInDocument(InferredLinks::webLinkScript(), {});
    callInDocument(InferredLinks::collectScript(), {}, [this, shown](const QVariant &result) {
        const InferredLinks::Links links = InferredLinks::confirm(result, shown, *m_app);
        if (links.isEmpty()) {
            linkInfoReferences(shown);
            return;
        }
        callInDocument(InferredLinks::linkScript(),
            { { QStringLiteral("patterns"), links.patterns }, { QStringLiteral("marked"), links.marked } },
            [this, shown](const QVariant &) { linkInfoReferences(shown); });
    });
}

void PageAfterLoad::linkInfoReferences(const ManPage &shown)
{
    if (shown.isInfoNode()) {
        emit linksInferred();
        return;
    }
    callInDocument(InfoLinks::collectScript(), {}, [this](const QVariant &result) {
        const QVariantList links = InfoLinks::confirm(result, *m_app);
        if (links.isEmpty()) {
            emit linksInferred();
            return;
        }
        callInDocument(InfoLinks::linkScript(), { { QStringLiteral("links"), links } },
            [this](const QVariant &) { emit linksInferred(); });
    });
}

} // namespace Lectorin

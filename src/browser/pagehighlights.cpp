// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/pagehighlights.h"

#include "annotations/annotationstore.h"
#include "annotations/highlightanchoring.h"
#include "browser/annotationpages.h"
#include "browser/browsermodel.h"
#include "browser/highlightscript.h"
#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"

#include <QWebEnginePage>

namespace Lectorin {

PageHighlights::PageHighlights(BrowserModel *browser, AnnotationStore *store, QObject *parent)
    : QObject(parent)
    , m_browser(browser)
    , m_store(store)
{
    QWebEnginePage *page = browser->page();
    connect(page, &QWebEnginePage::loadStarted, this, &PageHighlights::loadStarted);
    // A catalogue page is marked once its links are in: they wrap text the marks would otherwise split.
    connect(browser, &BrowserModel::linksInferred, this, [this] {
        if (const std::optional<ManPage> shown = m_browser->currentPage())
            show(AnnotationPages::keyOf(*shown));
    });
    // A page shown before the catalogue is ready gets no links until then; its URL names it.
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok && !m_browser->currentPageID()
            && m_browser->app()->indexState() != AppModel::IndexState::ready)
            show(AnnotationPages::keyOf(m_browser->page()->url()).value_or(QString()));
    });
    connect(store, &AnnotationStore::highlightsChanged, this, [this](const QString &key) {
        if (!m_pageKey.isEmpty() && (key.isEmpty() || key == m_pageKey))
            place();
    });
}

QString PageHighlights::pageTitle() const
{
    const QString title = m_browser->page()->title();
    if (!title.isEmpty() && !title.contains(QLatin1String("://")))
        return title;
    const std::optional<ManPage> shown = m_browser->currentPage();
    return shown ? shown->qualifiedName() : title;
}

std::optional<Attachment> PageHighlights::attachmentOf(const QUuid &id) const
{
    const auto found = m_placements.constFind(id);
    return found == m_placements.cend() ? std::nullopt : std::optional(*found);
}

QList<QUuid> PageHighlights::unplaced() const
{
    QList<QUuid> ids;
    for (auto it = m_placements.cbegin(); it != m_placements.cend(); ++it) {
        if (it.value() == Attachment::notFound)
            ids.append(it.key());
    }
    return ids;
}

std::optional<Highlight> PageHighlights::find(const QUuid &id) const
{
    for (const Highlight &highlight : m_store->highlights()) {
        if (highlight.id == id)
            return highlight;
    }
    return std::nullopt;
}

void PageHighlights::loadStarted()
{
    ++m_generation;
    if (!std::exchange(m_pageKey, QString()).isEmpty())
        emit pageChanged();
    m_text = {};
    m_refound.clear();
    m_marked = false;
    setPlacements({});
}

void PageHighlights::show(const QString &key)
{
    // Again for the same document (the catalogue arrived): the marks are replaced, the findings kept.
    const bool changed = key != m_pageKey;
    if (changed)
        m_refound.clear();
    m_pageKey = key;
    if (changed)
        emit pageChanged();
    if (key.isEmpty())
        setPlacements({});
    else
        place();
}

void PageHighlights::place()
{
    const int generation = m_generation;
    ScriptCall::call(m_browser->page(), HighlightScript::pageTextScript(), {}, this,
        [this, generation](const QVariant &result) {
            if (generation != m_generation || m_pageKey.isEmpty() || !result.isValid())
                return;
            m_text = HighlightScript::pageTextFrom(result);
            applyMarks(m_store->highlightsOf(m_pageKey));
        });
}

void PageHighlights::applyMarks(const QList<Highlight> &highlights)
{
    const HighlightScript::Marking marking = HighlightScript::marksFor(m_text, highlights);
    QHash<QUuid, Attachment> placements;
    QList<Highlight> refound;
    for (const Highlight &highlight : highlights) {
        const HighlightAnchoring::Placement placement = marking.placements.value(highlight.id);
        Attachment attachment = placement.attachment;
        if (attachment == Attachment::exact && m_refound.contains(highlight.id))
            attachment = m_refound.value(highlight.id);
        placements.insert(highlight.id, attachment);
        if (placement.attachment == Attachment::moved || placement.attachment == Attachment::changed) {
            m_refound.insert(highlight.id, placement.attachment);
            Highlight updated = highlight;
            updated.quote = HighlightAnchoring::quoteAt(m_text, placement.start, placement.length);
            updated.modified = QDateTime::currentDateTimeUtc();
            if (updated.quote != highlight.quote)
                refound.append(updated);
        }
    }
    setPlacements(std::move(placements));
    const int generation = m_generation;
    ScriptCall::call(m_browser->page(), HighlightScript::markScript(),
        { { QStringLiteral("marks"), HighlightScript::marksArgument(marking.marks) } }, this,
        [this, generation](const QVariant &) {
            if (generation != m_generation)
                return;
            m_marked = true;
            // A highlight asked for before the page came; dropped when another page came instead.
            if (const std::optional<QUuid> id = std::exchange(m_pendingReveal, std::nullopt)) {
                const std::optional<Highlight> pending = find(*id);
                if (pending && pending->page == m_pageKey)
                    reveal(*id);
            }
            emit marked();
        });
    // Each update places the page's highlights again; by then their quotes are exact.
    for (const Highlight &highlight : std::as_const(refound))
        m_store->updateHighlight(highlight);
}

void PageHighlights::setPlacements(QHash<QUuid, Attachment> placements)
{
    if (placements == m_placements)
        return;
    m_placements = std::move(placements);
    emit placementsChanged();
}

void PageHighlights::takeSelection(std::function<void(const std::optional<TextQuote> &)> done)
{
    ScriptCall::call(m_browser->page(), HighlightScript::selectionScript(), {}, this,
        [this, done = std::move(done)](const QVariant &result) {
            const std::optional<HighlightScript::Selection> selection
                = HighlightScript::selectionFrom(result);
            if (!selection || m_pageKey.isEmpty()) {
                done(std::nullopt);
                return;
            }
            done(HighlightAnchoring::quoteAt(selection->text, selection->start, selection->length));
        });
}

void PageHighlights::add(const TextQuote &quote, HighlightColour colour, const QString &note)
{
    if (m_pageKey.isEmpty() || quote.exact.isEmpty())
        return;
    Highlight highlight;
    highlight.id = QUuid::createUuid();
    highlight.page = m_pageKey;
    highlight.pageTitle = pageTitle();
    highlight.quote = quote;
    highlight.colour = colour;
    highlight.note = note;
    highlight.created = QDateTime::currentDateTimeUtc();
    highlight.modified = highlight.created;
    // The marks replace the page's text nodes; a selection left in them would point nowhere.
    ScriptCall::call(m_browser->page(), HighlightScript::clearSelectionScript(), {}, this);
    m_store->addHighlight(highlight);
}

void PageHighlights::highlightSelection(
    HighlightColour colour, const QString &note, std::function<void(bool)> done)
{
    takeSelection([this, colour, note, done = std::move(done)](const std::optional<TextQuote> &quote) {
        if (quote)
            add(*quote, colour, note);
        if (done)
            done(quote.has_value());
    });
}

void PageHighlights::reattachToSelection(const QUuid &id, std::function<void(bool)> done)
{
    takeSelection([this, id, done = std::move(done)](const std::optional<TextQuote> &quote) {
        const std::optional<Highlight> found = find(id);
        if (quote && found) {
            Highlight updated = *found;
            updated.quote = *quote;
            updated.page = m_pageKey;
            updated.pageTitle = pageTitle();
            updated.modified = QDateTime::currentDateTimeUtc();
            m_refound.remove(id);
            ScriptCall::call(m_browser->page(), HighlightScript::clearSelectionScript(), {}, this);
            m_store->updateHighlight(updated);
        }
        if (done)
            done(quote && found);
    });
}

void PageHighlights::reveal(const QUuid &id)
{
    const std::optional<Highlight> highlight = find(id);
    if (!m_marked || !highlight || highlight->page != m_pageKey) {
        m_pendingReveal = id;
        return;
    }
    ScriptCall::call(m_browser->page(), HighlightScript::revealScript(),
        { { QStringLiteral("id"), id.toString(QUuid::WithoutBraces) } }, this);
}

} // namespace Lectorin

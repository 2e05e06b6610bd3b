// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/pagebookmarks.h"

#include "annotations/annotationstore.h"
#include "browser/annotationpages.h"
#include "browser/browsermodel.h"
#include "browser/pagehighlights.h"
#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"

#include <QPointer>
#include <QWebEnginePage>

namespace Lectorin::PageBookmarks {
namespace {

// A little below the top: a definition jumped to keeps some of the text above it in view.
const QString kAnchorScript = QStringLiteral(R"js(
const folded = (text) => (text || "").replace(/\s+/g, " ").trim();
if (window.scrollY < 4)
    return null;
let at = null;
for (const element of document.querySelectorAll(
         "h1.Sh[id], h2.Sh[id], h2.Ss[id], h3.Ss[id], [data-lectorin-option][id]")) {
    if (element.getBoundingClientRect().top > 24)
        break;
    at = element;
}
if (!at)
    return null;
const option = at.getAttribute("data-lectorin-option");
return { id: at.id, title: option ? option.split(" ").join(", ") : folded(at.textContent) };
)js");

} // namespace

QString anchorScript()
{
    return kAnchorScript;
}

std::optional<Anchor> anchorFrom(const QVariant &result)
{
    const QVariantMap fields = result.toMap();
    const QVariant id = fields.value(QStringLiteral("id"));
    const QVariant title = fields.value(QStringLiteral("title"));
    if (id.typeId() != QMetaType::QString || title.typeId() != QMetaType::QString || id.toString().isEmpty())
        return std::nullopt;
    return Anchor { id.toString(), title.toString() };
}

void findAnchor(BrowserModel *browser, std::function<void(const std::optional<Anchor> &)> done)
{
    ScriptCall::call(browser->page(), kAnchorScript, {}, browser,
        [done = std::move(done)](const QVariant &result) { done(anchorFrom(result)); });
}

std::optional<Bookmark> make(const BrowserModel &browser, const std::optional<Anchor> &anchor)
{
    const PageHighlights *highlights = browser.highlights();
    if (!highlights || highlights->pageKey().isEmpty())
        return std::nullopt;
    Bookmark bookmark;
    bookmark.id = QUuid::createUuid();
    bookmark.page = highlights->pageKey();
    bookmark.title = highlights->pageTitle();
    if (anchor) {
        bookmark.fragment = anchor->id;
        bookmark.title += QStringLiteral(" \u203A ") + anchor->title;
    }
    bookmark.created = QDateTime::currentDateTimeUtc();
    return bookmark;
}

bool add(AnnotationStore &store, const Bookmark &bookmark)
{
    for (const Bookmark &existing : store.bookmarks()) {
        if (existing.page == bookmark.page && existing.fragment == bookmark.fragment)
            return false;
    }
    store.addBookmark(bookmark);
    return true;
}

void bookmarkWhereViewIs(BrowserModel *browser, AnnotationStore *store)
{
    if (!store)
        return;
    findAnchor(
        browser, [browser = QPointer<BrowserModel>(browser), store](const std::optional<Anchor> &anchor) {
            if (!browser)
                return;
            if (const std::optional<Bookmark> bookmark = make(*browser, anchor))
                add(*store, *bookmark);
        });
}

void open(BrowserModel *browser, const QString &pageKey, const QString &fragment, OpenTarget target)
{
    const std::optional<PageReference> reference = AnnotationPages::referenceOf(pageKey);
    if (!reference)
        return;
    const std::optional<ManPage> page = AnnotationPages::pageOf(*browser->app(), pageKey);
    // Before the catalogue is read, the page's URL finds its file, as a page named on the command line does.
    if (!page && browser->app()->indexState() != AppModel::IndexState::ready) {
        QUrl url(pageKey);
        if (!fragment.isEmpty())
            url.setFragment(fragment);
        browser->page()->load(url);
        return;
    }
    if (!page) {
        browser->showMissingPage(reference->name, reference->section);
        return;
    }
    switch (target) {
    case OpenTarget::here:
        browser->show(page->id(), fragment);
        return;
    case OpenTarget::newTab:
        browser->openPageInNewTab(page->id());
        return;
    case OpenTarget::newWindow:
        browser->openPageInNewWindow(page->id());
        return;
    }
}

} // namespace Lectorin::PageBookmarks

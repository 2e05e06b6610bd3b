// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/manwebview.h"

#include "annotations/annotationstore.h"
#include "browser/browsermodel.h"
#include "browser/highlightcolours.h"
#include "browser/highlightscript.h"
#include "browser/pagehighlights.h"
#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"
#include "ui/notedialog.h"
#include "ui/pageveil.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QToolTip>
#include <QWebEngineContextMenuRequest>

namespace Lectorin {
namespace {

void copyText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

QIcon swatchIcon(HighlightColour colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(HighlightColours::swatch(colour).darker(140));
    painter.setBrush(HighlightColours::swatch(colour));
    painter.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
    return QIcon(pixmap);
}

std::optional<Highlight> highlightWithID(const AnnotationStore &store, const QUuid &id)
{
    for (const Highlight &highlight : store.highlights()) {
        if (highlight.id == id)
            return highlight;
    }
    return std::nullopt;
}

} // namespace

ManWebView::ManWebView(BrowserModel *browser, QWidget *parent)
    : QWebEngineView(parent)
    , m_browser(browser)
{
    setPage(browser->page());
    new PageVeil(this);
    setAccessibleName(tr("Page"));
    connect(browser->page(), &QWebEnginePage::titleChanged, this, &ManWebView::nameRenderWidget);
    connect(browser->page(), &QWebEnginePage::linkHovered, this, [this](const QString &url) {
        const QString tip = m_browser && !url.isEmpty() ? m_browser->linkToolTip(QUrl(url)) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(QCursor::pos(), tip, this);
    });
}

QString ManWebView::systemManPageLink(const QString &name, const std::optional<QString> &section)
{
    // Built as text: a QUrl would rewrite a numeric section host ("1" becomes "0.0.0.1").
    const QByteArray encodedName = QUrl::toPercentEncoding(name, "/:+()@!$&'*,;=~");
    if (encodedName.isEmpty())
        return QStringLiteral("x-man-page://") + name;
    return QStringLiteral("x-man-page://") + section.value_or(QString()) + u'/'
        + QString::fromLatin1(encodedName);
}

QMenu *ManWebView::makeContextMenu(const QUrl &link, const PagePoint &point)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    BrowserModel *browser = m_browser;
    if (!browser)
        return menu;

    if (link.isEmpty()) {
        menu->addAction(tr("Copy"), this, [this] { triggerPageAction(QWebEnginePage::Copy); });
        if (page() && page()->hasSelection())
            menu->addAction(tr("Explain Selection"), browser, &BrowserModel::explainSelection);
        addAnnotationItems(menu, point);
        menu->addSeparator();
        menu->addAction(tr("Back"), browser, &BrowserModel::goBack)->setEnabled(browser->canGoBack());
        menu->addAction(tr("Forward"), browser, &BrowserModel::goForward)
            ->setEnabled(browser->canGoForward());
        menu->addAction(tr("Reload Page"), browser, &BrowserModel::reload);
        return menu;
    }

    const std::optional<PageReference> reference = isManPageLink(link) ? parseManURL(link) : std::nullopt;
    if (reference && !reference->name.isEmpty()) {
        const QString name = reference->name;
        const std::optional<QString> section = reference->section;
        menu->addAction(tr("Open Link"), browser, [browser, name, section] { browser->open(name, section); });
        const auto openResolved = [browser, name, section](bool inNewTab) {
            const std::optional<ManPage> page = browser->app()->resolvePage(name, section);
            if (!page)
                browser->showMissingPage(name, section);
            else if (inNewTab)
                browser->openPageInNewTab(page->id());
            else
                browser->openPageInNewWindow(page->id());
        };
        menu->addAction(tr("Open Link in New Tab"), browser, [openResolved] { openResolved(true); });
        menu->addAction(tr("Open Link in New Window"), browser, [openResolved] { openResolved(false); });
        if (section != kHelpSection.toString()) {
            menu->addSeparator();
            menu->addAction(
                tr("Copy Link"), this, [name, section] { copyText(systemManPageLink(name, section)); });
        }
        return menu;
    }

    menu->addAction(tr("Open Link in Browser"), this, [link] { QDesktopServices::openUrl(link); });
    menu->addSeparator();
    menu->addAction(tr("Copy Link"), this, [link] { copyText(link.toString(QUrl::FullyEncoded)); });
    return menu;
}

void ManWebView::addAnnotationItems(QMenu *menu, const PagePoint &point)
{
    PageHighlights *highlights = m_browser ? m_browser->highlights() : nullptr;
    if (!highlights || highlights->pageKey().isEmpty())
        return;
    QPointer<PageHighlights> shown(highlights);
    if (page() && page()->hasSelection()) {
        menu->addSeparator();
        QMenu *colours = menu->addMenu(tr("Highlight"));
        for (const HighlightColour colour : HighlightColours::kAll) {
            colours->addAction(swatchIcon(colour), HighlightColours::title(colour), highlights,
                [highlights, colour] { highlights->highlightSelection(colour, QString()); });
        }
        menu->addAction(tr("Add Note…"), highlights, [this, shown] {
            shown->takeSelection([this, shown](const std::optional<TextQuote> &quote) {
                if (!quote || !shown) {
                    QApplication::beep();
                    return;
                }
                NoteDialog::ask(window(), tr("Add Note"), quote->exact, QString(),
                    [shown, quote = *quote](const QString &note) {
                        if (shown)
                            shown->add(quote, HighlightColour::yellow, note);
                    });
            });
        });
    }
    AnnotationStore *store = highlights->store();
    if (const std::optional<Highlight> under
        = point.highlight ? highlightWithID(*store, *point.highlight) : std::nullopt) {
        menu->addSeparator();
        menu->addAction(tr("Edit Note…"), this, [this, store, under = *under] {
            NoteDialog::ask(window(), tr("Edit Note"), under.quote.exact, under.note,
                [store, under](const QString &note) {
                    Highlight updated = under;
                    updated.note = note;
                    updated.modified = QDateTime::currentDateTimeUtc();
                    if (note != under.note)
                        store->updateHighlight(updated);
                });
        });
        menu->addAction(
            tr("Remove Highlight"), this, [store, id = under->id] { store->removeHighlight(id); });
    }
    menu->addSeparator();
    BrowserModel *browser = m_browser;
    menu->addAction(tr("Bookmark This Page"), this, [browser, store] {
        if (const std::optional<Bookmark> bookmark = PageBookmarks::make(*browser, std::nullopt))
            PageBookmarks::add(*store, *bookmark);
    });
    if (point.anchor) {
        menu->addAction(tr("Bookmark This Section"), this, [browser, store, anchor = *point.anchor] {
            if (const std::optional<Bookmark> bookmark = PageBookmarks::make(*browser, anchor))
                PageBookmarks::add(*store, *bookmark);
        });
    }
}

void ManWebView::nameRenderWidget()
{
    // The engine's own widget holds the document; a screen reader announces it by the page's title.
    if (QWidget *document = focusProxy())
        document->setAccessibleName(page() && !page()->title().isEmpty() ? page()->title() : tr("Page"));
}

void ManWebView::childEvent(QChildEvent *event)
{
    QWebEngineView::childEvent(event);
    // The engine makes that widget with the first document, and again after a renderer ends.
    if (event->type() == QEvent::ChildPolished)
        nameRenderWidget();
}

void ManWebView::contextMenuEvent(QContextMenuEvent *event)
{
    const QWebEngineContextMenuRequest *request = lastContextMenuRequest();
    const QUrl link = request ? request->linkUrl() : QUrl();
    const QPoint global = event->globalPos();
    const PageHighlights *highlights = m_browser ? m_browser->highlights() : nullptr;
    if (!link.isEmpty() || !highlights || highlights->pageKey().isEmpty()) {
        makeContextMenu(link)->popup(global);
        return;
    }
    // The page says which highlight is under the pointer and where the view is; the menu follows at once.
    const QPoint at = request ? request->position() : event->pos();
    ScriptCall::call(page(), HighlightScript::highlightAtScript(),
        { { QStringLiteral("x"), at.x() }, { QStringLiteral("y"), at.y() } }, this,
        [this, global](const QVariant &found) {
            if (!m_browser)
                return;
            const std::optional<QUuid> highlight = HighlightScript::highlightFrom(found);
            PageBookmarks::findAnchor(m_browser,
                [self = QPointer<ManWebView>(this), global, highlight](
                    const std::optional<PageBookmarks::Anchor> &anchor) {
                    if (self)
                        self->makeContextMenu(QUrl(), { highlight, anchor })->popup(global);
                });
        });
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/manwebview.h"

#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"
#include "ui/pageveil.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
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

QMenu *ManWebView::makeContextMenu(const QUrl &link)
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
    makeContextMenu(request ? request->linkUrl() : QUrl())->popup(event->globalPos());
}

} // namespace Lectorin

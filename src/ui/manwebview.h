// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/pagebookmarks.h"

#include <QPointer>
#include <QUuid>
#include <QWebEngineView>

#include <optional>

namespace Lectorin {

class BrowserModel;

// The web view of a window, with the page's context menu: copy, highlights, bookmarks and navigation without
// a link; open, open in a new tab or window and copy for man page links; open in the browser and copy for
// other links.
class ManWebView : public QWebEngineView
{
    Q_OBJECT

public:
    ManWebView(BrowserModel *browser, QWidget *parent = nullptr);

    // What the page has where its menu was asked for.
    struct PagePoint
    {
        // The highlight under the pointer.
        std::optional<QUuid> highlight;
        // The section or option the view is at.
        std::optional<PageBookmarks::Anchor> anchor;
    };

    // The menu for a link (empty: no link under the pointer); public so tests can read its items.
    QMenu *makeContextMenu(const QUrl &link, const PagePoint &point = {});
    // What "Copy Link" writes for a man page link: "x-man-page://" + section + "/" + name.
    static QString systemManPageLink(const QString &name, const std::optional<QString> &section);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void nameRenderWidget();
    void addAnnotationItems(QMenu *menu, const PagePoint &point);

    QPointer<BrowserModel> m_browser;
};

} // namespace Lectorin

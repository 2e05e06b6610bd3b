// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/pagebookmarks.h"

#include <QListView>
#include <QUuid>

namespace Lectorin {

class BookmarkListModel;

// The Bookmarks pane's list. A click opens a bookmark (Ctrl-click in a new window, middle-click in a new
// tab, as for links), Return too; F2 renames, Delete removes, Alt+Up and Alt+Down move it, and so does
// dragging. The context menu has the same.
class BookmarkListView : public QListView
{
    Q_OBJECT

public:
    explicit BookmarkListView(BookmarkListModel *model, QWidget *parent = nullptr);

    BookmarkListModel *bookmarkModel() const { return m_model; }
    // The context menu of the row at `row`; public so tests can read its items.
    QMenu *makeContextMenu(int row);

Q_SIGNALS:
    void openRequested(const QString &pageKey, const QString &fragment, PageBookmarks::OpenTarget target);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void open(int row, PageBookmarks::OpenTarget target);
    void moveBy(int row, int step);

    BookmarkListModel *m_model;
    QPersistentModelIndex m_pressed;
    QUuid m_currentBeforeReset;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bookmarklistview.h"

#include "ui/bookmarklistmodel.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace Lectorin {

BookmarkListView::BookmarkListView(BookmarkListModel *model, QWidget *parent)
    : QListView(parent)
    , m_model(model)
{
    setModel(model);
    setAccessibleName(tr("Bookmarks"));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The current row follows its bookmark when the rows are read again (moved, added, removed).
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const std::optional<Bookmark> current = m_model->bookmarkAt(currentIndex().row());
        m_currentBeforeReset = current ? current->id : QUuid();
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        if (const int row = m_model->rowOf(m_currentBeforeReset); row > 0)
            setCurrentIndex(m_model->index(row, 0));
    });
    connect(this, &QListView::customContextMenuRequested, this, [this](const QPoint &at) {
        const QModelIndex index = indexAt(at);
        if (m_model->bookmarkAt(index.row()))
            makeContextMenu(index.row())->popup(viewport()->mapToGlobal(at));
    });
}

QMenu *BookmarkListView::makeContextMenu(int row)
{
    using PageBookmarks::OpenTarget;
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPersistentModelIndex index = m_model->index(row, 0);
    const auto at = [index] { return index.isValid() ? index.row() : -1; };
    menu->addAction(tr("Open"), this, [this, at] { open(at(), OpenTarget::here); });
    menu->addAction(tr("Open in New Tab"), this, [this, at] { open(at(), OpenTarget::newTab); });
    menu->addAction(tr("Open in New Window"), this, [this, at] { open(at(), OpenTarget::newWindow); });
    menu->addSeparator();
    menu->addAction(tr("Rename"), this, [this, index] {
        if (index.isValid())
            edit(index);
    });
    menu->addAction(tr("Move Up"), this, [this, at] { moveBy(at(), -1); })->setEnabled(row > 1);
    menu->addAction(tr("Move Down"), this, [this, at] { moveBy(at(), 1); })
        ->setEnabled(row < m_model->rowCount() - 1);
    menu->addSeparator();
    menu->addAction(tr("Remove"), this, [this, at] { m_model->remove(at()); });
    return menu;
}

void BookmarkListView::open(int row, PageBookmarks::OpenTarget target)
{
    if (const std::optional<Bookmark> bookmark = m_model->bookmarkAt(row))
        emit openRequested(bookmark->page, bookmark->fragment, target);
}

void BookmarkListView::moveBy(int row, int step)
{
    if (!m_model->bookmarkAt(row) || !m_model->bookmarkAt(row + step))
        return;
    const QUuid id = m_model->bookmarkAt(row)->id;
    m_model->move(row, step < 0 ? row + step : row + step + 1);
    const int moved = m_model->rowOf(id);
    if (moved > 0)
        setCurrentIndex(m_model->index(moved, 0));
}

void BookmarkListView::keyPressEvent(QKeyEvent *event)
{
    const int row = currentIndex().row();
    if (state() != QAbstractItemView::EditingState && m_model->bookmarkAt(row)) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            open(row,
                event->modifiers() & Qt::ControlModifier ? PageBookmarks::OpenTarget::newWindow
                                                         : PageBookmarks::OpenTarget::here);
            return;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            m_model->remove(row);
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (event->modifiers() == Qt::AltModifier) {
                moveBy(row, event->key() == Qt::Key_Up ? -1 : 1);
                return;
            }
            break;
        default:
            break;
        }
    }
    QListView::keyPressEvent(event);
}

void BookmarkListView::mousePressEvent(QMouseEvent *event)
{
    // A right-click only opens the row's menu; a middle-click opens the row without choosing it.
    if (event->button() == Qt::RightButton)
        return;
    m_pressed = indexAt(event->position().toPoint());
    if (event->button() == Qt::MiddleButton)
        return;
    QListView::mousePressEvent(event);
}

void BookmarkListView::mouseReleaseEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool sameRow = index.isValid() && index == m_pressed;
    m_pressed = QPersistentModelIndex();
    if (event->button() != Qt::MiddleButton)
        QListView::mouseReleaseEvent(event);
    if (!sameRow)
        return;
    if (event->button() == Qt::MiddleButton)
        open(index.row(), PageBookmarks::OpenTarget::newTab);
    else if (event->button() == Qt::LeftButton)
        open(index.row(),
            event->modifiers() & Qt::ControlModifier ? PageBookmarks::OpenTarget::newWindow
                                                     : PageBookmarks::OpenTarget::here);
}

void BookmarkListView::dropEvent(QDropEvent *event)
{
    // The store keeps the order: the row moves there, and the list follows the store.
    if (event->source() != this || !m_model->bookmarkAt(currentIndex().row())) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    int beforeRow = target.isValid() ? target.row() : m_model->rowCount();
    if (target.isValid() && dropIndicatorPosition() == QAbstractItemView::BelowItem)
        ++beforeRow;
    m_model->move(currentIndex().row(), beforeRow);
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
}

} // namespace Lectorin

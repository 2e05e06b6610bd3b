// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QAbstractListModel>
#include <QList>

#include <optional>

namespace Lectorin {

class AnnotationStore;
class AppModel;

// The "Bookmarks" pane: a header row, then the store's bookmarks in the reader's order, each with its title
// and its page's description. A bookmark of a page that is not installed stays, in the secondary colour and
// "not installed" in its tooltip. Titles are edited in place (the store renames); rows are moved by dragging.
class BookmarkListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    BookmarkListModel(AppModel *app, AnnotationStore *store, QObject *parent = nullptr);

    const QList<Bookmark> &bookmarks() const { return m_bookmarks; }
    std::optional<Bookmark> bookmarkAt(int row) const;
    // The row of a bookmark, or -1.
    int rowOf(const QUuid &id) const;
    // Puts the bookmark at `row` where the row `beforeRow` is now (after the last row when it is past the
    // end).
    void move(int row, int beforeRow);
    void remove(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDropActions() const override;

private:
    void rebuild();

    AppModel *m_app;
    AnnotationStore *m_store;
    QList<Bookmark> m_bookmarks;
};

} // namespace Lectorin

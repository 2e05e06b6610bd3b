// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bookmarklistmodel.h"

#include "annotations/annotationstore.h"
#include "browser/annotationpages.h"
#include "catalogue/appmodel.h"
#include "catalogue/sidebarhistory.h"
#include "ui/sidebarroles.h"

namespace Lectorin {

using SidebarRoles::RowKind;

BookmarkListModel::BookmarkListModel(AppModel *app, AnnotationStore *store, QObject *parent)
    : QAbstractListModel(parent)
    , m_app(app)
    , m_store(store)
{
    connect(store, &AnnotationStore::bookmarksChanged, this, &BookmarkListModel::rebuild);
    // Whether a page is installed, and its description, follow the catalogue.
    const auto refresh = [this] {
        if (rowCount() > 1)
            emit dataChanged(index(1, 0), index(rowCount() - 1, 0));
    };
    connect(app, &AppModel::pagesChanged, this, refresh);
    connect(app, &AppModel::indexStateChanged, this, refresh);
    connect(app, &AppModel::infoLibraryChanged, this, refresh);
    connect(app, &AppModel::helpPagesChanged, this, refresh);
    connect(app, &AppModel::descriptionsChanged, this, refresh);
    rebuild();
}

void BookmarkListModel::rebuild()
{
    const QList<Bookmark> bookmarks = m_store->bookmarks();
    if (bookmarks == m_bookmarks)
        return;
    // Renamed: the rows stay, and so do the view's current row and selection.
    if (std::equal(bookmarks.cbegin(), bookmarks.cend(), m_bookmarks.cbegin(), m_bookmarks.cend(),
            [](const Bookmark &a, const Bookmark &b) { return a.id == b.id; })) {
        m_bookmarks = bookmarks;
        emit dataChanged(index(1, 0), index(rowCount() - 1, 0));
        return;
    }
    beginResetModel();
    m_bookmarks = bookmarks;
    endResetModel();
}

std::optional<Bookmark> BookmarkListModel::bookmarkAt(int row) const
{
    if (row < 1 || row > m_bookmarks.size())
        return std::nullopt;
    return m_bookmarks.at(row - 1);
}

int BookmarkListModel::rowOf(const QUuid &id) const
{
    for (qsizetype at = 0; at < m_bookmarks.size(); ++at) {
        if (m_bookmarks.at(at).id == id)
            return int(at + 1);
    }
    return -1;
}

void BookmarkListModel::move(int row, int beforeRow)
{
    const std::optional<Bookmark> bookmark = bookmarkAt(row);
    if (!bookmark)
        return;
    const int from = row - 1;
    int to = std::clamp(beforeRow - 1, 0, int(m_bookmarks.size()));
    // Taking the row out moves those after it up by one.
    if (to > from)
        --to;
    if (to != from)
        m_store->moveBookmark(bookmark->id, to);
}

void BookmarkListModel::remove(int row)
{
    if (const std::optional<Bookmark> bookmark = bookmarkAt(row))
        m_store->removeBookmark(bookmark->id);
}

int BookmarkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_bookmarks.isEmpty() ? 0 : int(m_bookmarks.size() + 1);
}

QVariant BookmarkListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (index.row() == 0) {
        if (role == Qt::DisplayRole)
            return tr("Bookmarks");
        return role == SidebarRoles::Kind ? QVariant(int(RowKind::header)) : QVariant();
    }
    const Bookmark &bookmark = m_bookmarks.at(index.row() - 1);
    const std::optional<ManPage> page = AnnotationPages::pageOf(*m_app, bookmark.page);
    const bool missing = AnnotationPages::isMissing(*m_app, bookmark.page);
    const QString description = page ? m_app->descriptions().of(page->id()) : QString();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return bookmark.title;
    case SidebarRoles::Kind:
        return int(RowKind::page);
    case SidebarRoles::BookmarkID:
        return bookmark.id;
    case SidebarRoles::Fragment:
        return bookmark.fragment;
    case SidebarRoles::LabelStyle:
        return int(
            missing ? SidebarHistory::RowLabel::Style::missing : SidebarHistory::RowLabel::Style::manualPage);
    case SidebarRoles::Description:
        return description;
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return missing ? tr("%1 — not installed").arg(bookmark.title)
                       : describedName(bookmark.title, description);
    default:
        return {};
    }
}

bool BookmarkListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const std::optional<Bookmark> bookmark = bookmarkAt(index.row());
    const QString title = value.toString().simplified();
    if (role != Qt::EditRole || !bookmark || title.isEmpty())
        return false;
    if (title != bookmark->title)
        m_store->renameBookmark(bookmark->id, title);
    return true;
}

Qt::ItemFlags BookmarkListModel::flags(const QModelIndex &index) const
{
    // Rows are dropped between rows, never on one.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    if (index.row() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

Qt::DropActions BookmarkListModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

} // namespace Lectorin

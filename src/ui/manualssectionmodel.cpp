// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/manualssectionmodel.h"

#include "catalogue/appmodel.h"
#include "catalogue/pagedescriptions.h"
#include "ui/sidebarroles.h"

namespace Lectorin {

using SidebarRoles::RowKind;

ManualsSectionModel::ManualsSectionModel(AppModel *app, QObject *parent)
    : QAbstractListModel(parent)
    , m_app(app)
{
    connect(app, &AppModel::infoLibraryChanged, this, [this] { update(m_filter); });
    connect(app, &AppModel::infoTopicsChanged, this, [this] { update(m_filter); });
}

void ManualsSectionModel::update(const QString &filter)
{
    m_filter = filter;
    QList<InfoFilter::Row> rows = InfoFilter::rows(m_app->infoLibrary(), m_app->infoTopics(), filter);
    if (rows == m_rows)
        return;
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int ManualsSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_rows.isEmpty() ? 0 : int(m_rows.size() + 1);
}

QVariant ManualsSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (index.row() == 0) {
        if (role == Qt::DisplayRole)
            return kTitle;
        return role == SidebarRoles::Kind ? QVariant(int(RowKind::header)) : QVariant();
    }
    const InfoFilter::Row &row = m_rows.at(index.row() - 1);
    switch (role) {
    case Qt::DisplayRole:
        return row.label;
    case SidebarRoles::Kind:
        return int(RowKind::page);
    case SidebarRoles::PageID:
        return row.pageID;
    case SidebarRoles::Description:
        return row.description;
    case Qt::ToolTipRole:
        return describedName(row.label, row.description);
    default:
        return {};
    }
}

Qt::ItemFlags ManualsSectionModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return index.row() == 0 ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int ManualsSectionModel::rowOf(const QString &pageID) const
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).pageID == pageID)
            return int(i + 1);
    }
    return -1;
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pagerowssectionmodel.h"

#include "catalogue/pageidentifierview.h"
#include "ui/sidebarroles.h"

namespace Lectorin {

using SidebarRoles::RowKind;

PageRowsSectionModel::PageRowsSectionModel(QString title, Header header, QObject *parent)
    : QAbstractListModel(parent)
    , m_title(std::move(title))
    , m_header(header)
{ }

void PageRowsSectionModel::setRows(const SidebarFilter::Rows &rows)
{
    if (shows(rows))
        return;
    beginResetModel();
    m_source = rows.source ? *rows.source : QList<ManPage>();
    m_rows = rows;
    m_rows.source = &m_source;
    endResetModel();
}

void PageRowsSectionModel::setDescriptions(const PageDescriptions &descriptions)
{
    if (descriptions == m_descriptions)
        return;
    m_descriptions = descriptions;
    if (rowCount() > 1)
        emit dataChanged(index(1, 0), index(rowCount() - 1, 0),
            { SidebarRoles::Description, Qt::ToolTipRole, Qt::AccessibleTextRole });
}

// Lists shared with the catalogue compare at once; only a replaced list of the same size is read through.
bool PageRowsSectionModel::shows(const SidebarFilter::Rows &rows) const
{
    return rows.kind == m_rows.kind && rows.indices == m_rows.indices && rows.message == m_rows.message
        && (rows.source ? *rows.source == m_source : m_source.isEmpty());
}

bool PageRowsSectionModel::isShown() const
{
    return m_header == Header::always || m_rows.kind == SidebarFilter::Rows::Kind::pages;
}

int PageRowsSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !isShown() ? 0 : int(1 + m_rows.count());
}

QVariant PageRowsSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    RowKind kind = RowKind::page;
    QString text;
    if (index.row() == 0) {
        kind = RowKind::header;
        text = m_title;
    } else if (m_rows.kind == SidebarFilter::Rows::Kind::scanning) {
        kind = RowKind::scanning;
        text = SidebarFilter::kScanningText;
    } else if (m_rows.kind == SidebarFilter::Rows::Kind::message) {
        kind = RowKind::message;
        text = m_rows.message;
    }
    const ManPage *page = kind == RowKind::page ? &m_rows.pageAt(index.row() - 1) : nullptr;
    switch (role) {
    case Qt::DisplayRole:
        return page ? page->displayName : text;
    case SidebarRoles::Kind:
        return int(kind);
    case SidebarRoles::PageID:
        return page ? page->id() : QVariant();
    case SidebarRoles::Description:
        return page ? m_descriptions.of(page->id()) : QVariant();
    case Qt::ToolTipRole:
        return page ? describedName(page->qualifiedName(), m_descriptions.of(page->id())) : QVariant();
    case Qt::AccessibleTextRole:
        return page ? describedName(page->qualifiedName(), m_descriptions.of(page->id())) : text;
    default:
        return {};
    }
}

Qt::ItemFlags PageRowsSectionModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const bool isPage = index.row() > 0 && m_rows.kind == SidebarFilter::Rows::Kind::pages;
    return isPage ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

int PageRowsSectionModel::rowOf(const QString &pageID) const
{
    const PageIdentifierView wanted(pageID);
    if (!wanted.hasSection() || m_rows.kind != SidebarFilter::Rows::Kind::pages)
        return -1;
    for (qsizetype i = 0; i < m_rows.count(); ++i) {
        const ManPage &page = m_rows.pageAt(i);
        if (page.name == wanted.name && page.section == wanted.section)
            return int(1 + i);
    }
    return -1;
}

} // namespace Lectorin

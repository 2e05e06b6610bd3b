// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/foundinpagessectionmodel.h"

#include "ui/sidebarroles.h"

namespace Lectorin {

using SidebarRoles::RowKind;

namespace {

int rowCountOf(const FoundInPages::Section &section)
{
    return section.isPresent
        ? int(1 + (section.indexing ? 1 : 0) + section.rows.size() + (section.hasMore ? 1 : 0))
        : 0;
}

// Whether two sections differ only in what their rows show, not in which rows there are.
bool sameRows(const FoundInPages::Section &a, const FoundInPages::Section &b)
{
    if (a.isPresent != b.isPresent || a.indexing.has_value() != b.indexing.has_value()
        || a.rows.size() != b.rows.size() || a.hasMore != b.hasMore)
        return false;
    for (qsizetype i = 0; i < a.rows.size(); ++i) {
        if (a.rows.at(i).id != b.rows.at(i).id)
            return false;
    }
    return true;
}

} // namespace

FoundInPagesSectionModel::FoundInPagesSectionModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

void FoundInPagesSectionModel::setSection(const FoundInPages::Section &section)
{
    if (section == m_section)
        return;
    if (sameRows(section, m_section)) {
        const FoundInPages::Section before = std::exchange(m_section, section);
        repaintChangedRows(before);
        return;
    }
    // Rows that change kind change height, so the old rows go and the new ones come in.
    if (const int old = rowCountOf(m_section); old > 0) {
        beginRemoveRows({}, 0, old - 1);
        m_section = {};
        endRemoveRows();
    }
    if (const int count = rowCountOf(section); count > 0) {
        beginInsertRows({}, 0, count - 1);
        m_section = section;
        endInsertRows();
    }
    m_section = section;
}

// Progress moves with every page indexed; the header and "Show All" never change.
void FoundInPagesSectionModel::repaintChangedRows(const FoundInPages::Section &before)
{
    const bool progressChanged = m_section.indexing
        && (m_section.indexing != before.indexing || m_section.indexingText != before.indexingText);
    if (progressChanged)
        emit dataChanged(index(1, 0), index(1, 0));
    const int first = firstResultRow();
    for (qsizetype i = 0; i < m_section.rows.size();) {
        if (m_section.rows.at(i) == before.rows.at(i)) {
            ++i;
            continue;
        }
        // One signal for each run of changed rows.
        qsizetype end = i + 1;
        while (end < m_section.rows.size() && m_section.rows.at(end) != before.rows.at(end))
            ++end;
        emit dataChanged(index(int(first + i), 0), index(int(first + end - 1), 0));
        i = end;
    }
}

int FoundInPagesSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rowCountOf(m_section);
}

QVariant FoundInPagesSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const auto kind = row == 0                                  ? RowKind::header
        : row == 1 && m_section.indexing                        ? RowKind::indexing
        : row == rowCountOf(m_section) - 1 && m_section.hasMore ? RowKind::showAll
                                                                : RowKind::result;
    if (role == SidebarRoles::Kind)
        return int(kind);
    switch (kind) {
    case RowKind::header:
        return role == Qt::DisplayRole ? QVariant(FoundInPages::kTitle) : QVariant();
    case RowKind::showAll:
        return role == Qt::DisplayRole ? QVariant(FoundInPages::kShowAllTitle) : QVariant();
    case RowKind::indexing:
        switch (role) {
        case Qt::DisplayRole:
            return m_section.indexingText;
        case SidebarRoles::ProgressDone:
            return qlonglong(m_section.indexing->done);
        case SidebarRoles::ProgressTotal:
            return qlonglong(m_section.indexing->total);
        default:
            return {};
        }
    default:
        break;
    }
    const FoundInPages::Row &result = m_section.rows.at(row - firstResultRow());
    switch (role) {
    case Qt::DisplayRole:
        return result.displayName;
    case SidebarRoles::PageID:
        return result.id;
    case SidebarRoles::SnippetHTML:
        return result.snippetHTML;
    case SidebarRoles::FindText:
        return result.findText;
    default:
        return {};
    }
}

Qt::ItemFlags FoundInPagesSectionModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const auto kind = RowKind(data(index, SidebarRoles::Kind).toInt());
    return kind == RowKind::result || kind == RowKind::showAll ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                                               : Qt::ItemIsEnabled;
}

int FoundInPagesSectionModel::rowOf(const QString &pageID) const
{
    for (qsizetype i = 0; i < m_section.rows.size(); ++i) {
        if (m_section.rows.at(i).id == pageID)
            return int(firstResultRow() + i);
    }
    return -1;
}

} // namespace Lectorin

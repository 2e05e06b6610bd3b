// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sidebarmodels.h"

#include "catalogue/appmodel.h"

namespace Lectorin {

using SidebarRoles::RowKind;

namespace {

const QString kCommandsTitle = QStringLiteral("Commands");
const QString kCommandHelpTitle = QStringLiteral("Command Help");
const QString kHistoryTitle = QStringLiteral("History");

} // namespace

CatalogueListModel::CatalogueListModel(AppModel *app, QObject *parent)
    : QAbstractListModel(parent)
    , m_app(app)
{
    connect(app, &AppModel::pagesChanged, this, &CatalogueListModel::rebuild);
    connect(app, &AppModel::helpPagesChanged, this, &CatalogueListModel::rebuild);
    connect(app, &AppModel::indexStateChanged, this, &CatalogueListModel::rebuild);
    rebuild();
}

void CatalogueListModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    const bool queryChanged
        = SidebarFilter::normalizedQuery(filter) != SidebarFilter::normalizedQuery(m_filter);
    m_filter = filter;
    if (queryChanged)
        rebuild();
}

void CatalogueListModel::setShowsCommands(bool shows)
{
    if (shows == m_showsCommands)
        return;
    m_showsCommands = shows;
    rebuild();
}

void CatalogueListModel::rebuild()
{
    beginResetModel();
    m_sections = SidebarFilter::sections(*m_app, m_filter, m_showsCommands);
    endResetModel();
}

int CatalogueListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    qsizetype count = 1 + m_sections.commands.count();
    if (m_sections.commandHelp.kind == SidebarFilter::Rows::Kind::pages)
        count += 1 + m_sections.commandHelp.count();
    return int(count);
}

CatalogueListModel::Place CatalogueListModel::placeOf(int row) const
{
    if (row == 0)
        return { RowKind::header, nullptr, 0, kCommandsTitle };
    qsizetype index = row - 1;
    const auto placeIn = [](const SidebarFilter::Rows &rows, qsizetype at) -> Place {
        switch (rows.kind) {
        case SidebarFilter::Rows::Kind::scanning:
            return { RowKind::scanning, nullptr, 0, SidebarFilter::kScanningText };
        case SidebarFilter::Rows::Kind::message:
            return { RowKind::message, nullptr, 0, rows.message };
        default:
            return { RowKind::page, &rows, at, QString() };
        }
    };
    if (index < m_sections.commands.count())
        return placeIn(m_sections.commands, index);
    index -= m_sections.commands.count();
    if (index == 0)
        return { RowKind::header, nullptr, 0, kCommandHelpTitle };
    return placeIn(m_sections.commandHelp, index - 1);
}

QVariant CatalogueListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Place place = placeOf(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return place.kind == RowKind::page ? place.rows->pageAt(place.index).displayName : place.text;
    case SidebarRoles::Kind:
        return int(place.kind);
    case SidebarRoles::PageID:
        return place.kind == RowKind::page ? place.rows->pageAt(place.index).id() : QVariant();
    case Qt::ToolTipRole:
        return place.kind == RowKind::page ? place.rows->pageAt(place.index).qualifiedName() : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags CatalogueListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return placeOf(index.row()).kind == RowKind::page ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                                      : Qt::ItemIsEnabled;
}

int CatalogueListModel::rowOf(const QString &pageID) const
{
    const qsizetype slash = pageID.indexOf(u'/');
    const QStringView section = QStringView(pageID).first(std::max<qsizetype>(slash, 0));
    const QStringView name = QStringView(pageID).sliced(slash + 1);
    const auto search = [&](const SidebarFilter::Rows &rows, int offset) {
        if (slash < 0 || rows.kind != SidebarFilter::Rows::Kind::pages)
            return -1;
        for (qsizetype i = 0; i < rows.count(); ++i) {
            const ManPage &page = rows.pageAt(i);
            if (page.name == name && page.section == section)
                return int(offset + i);
        }
        return -1;
    };
    const int inCommands = search(m_sections.commands, 1);
    if (inCommands >= 0)
        return inCommands;
    return search(m_sections.commandHelp, int(2 + m_sections.commands.count()));
}

int CatalogueListModel::firstPageRow() const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (placeOf(row).kind == RowKind::page)
            return row;
    }
    return -1;
}

HistoryListModel::HistoryListModel(AppModel *app, int historyLimit, QObject *parent)
    : QAbstractListModel(parent)
    , m_app(app)
    , m_historyLimit(historyLimit)
{
    connect(app, &AppModel::historyChanged, this, &HistoryListModel::rebuild);
    connect(app, &AppModel::pagesChanged, this, &HistoryListModel::rebuild);
    connect(app, &AppModel::helpPagesChanged, this, &HistoryListModel::rebuild);
    rebuild();
}

void HistoryListModel::setHistoryLimit(int limit)
{
    if (limit == m_historyLimit)
        return;
    m_historyLimit = limit;
    rebuild();
}

void HistoryListModel::rebuild()
{
    beginResetModel();
    m_ids = SidebarHistory::displayedHistory(m_app->history(), m_historyLimit);
    endResetModel();
}

int HistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_ids.isEmpty() ? 0 : int(m_ids.size() + 1);
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (index.row() == 0) {
        if (role == Qt::DisplayRole)
            return kHistoryTitle;
        return role == SidebarRoles::Kind ? QVariant(int(RowKind::header)) : QVariant();
    }
    const QString &id = m_ids.at(index.row() - 1);
    switch (role) {
    case Qt::DisplayRole:
        return SidebarHistory::rowLabel(id, m_app->catalogue()).text;
    case SidebarRoles::Kind:
        return int(RowKind::page);
    case SidebarRoles::PageID:
        return id;
    case SidebarRoles::LabelStyle:
        return int(SidebarHistory::rowLabel(id, m_app->catalogue()).style);
    default:
        return {};
    }
}

Qt::ItemFlags HistoryListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return index.row() == 0 ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int HistoryListModel::rowOf(const QString &pageID) const
{
    const qsizetype at = m_ids.indexOf(pageID);
    return at < 0 ? -1 : int(at + 1);
}

} // namespace Lectorin

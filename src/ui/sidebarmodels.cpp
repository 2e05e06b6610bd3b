// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sidebarmodels.h"

#include "catalogue/appmodel.h"

namespace Lectorin {

using SidebarRoles::RowKind;

namespace {

const QString kCommandsTitle = QStringLiteral("Commands");
const QString kCommandHelpTitle = QStringLiteral("Command Help");
const QString kHistoryTitle = QStringLiteral("History");

int foundRowCount(const FoundInPages::Section &section)
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

void CatalogueListModel::setFoundInPages(const FoundInPages::Section &section)
{
    if (section == m_found)
        return;
    const int start = catalogueRowCount();
    if (sameRows(section, m_found)) {
        // Progress moves with every page indexed; the results below it repaint only when they change.
        const bool resultsChanged = section.rows != m_found.rows;
        m_found = section;
        const int count = resultsChanged ? foundRowCount(m_found) : 2;
        emit dataChanged(index(start, 0), index(start + count - 1, 0));
        return;
    }
    // Rows that change kind change height, so the old rows go and the new ones come in.
    if (const int old = foundRowCount(m_found); old > 0) {
        beginRemoveRows({}, start, start + old - 1);
        m_found = {};
        endRemoveRows();
    }
    if (const int count = foundRowCount(section); count > 0) {
        beginInsertRows({}, start, start + count - 1);
        m_found = section;
        endInsertRows();
    }
    m_found = section;
}

int CatalogueListModel::catalogueRowCount() const
{
    qsizetype count = 1 + m_sections.commands.count();
    if (m_sections.commandHelp.kind == SidebarFilter::Rows::Kind::pages)
        count += 1 + m_sections.commandHelp.count();
    return int(count);
}

int CatalogueListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : catalogueRowCount() + foundRowCount(m_found);
}

QVariant CatalogueListModel::foundData(int row, int role) const
{
    const bool hasIndexing = m_found.indexing.has_value();
    const auto kind = row == 0                                 ? RowKind::header
        : row == 1 && hasIndexing                              ? RowKind::indexing
        : row == foundRowCount(m_found) - 1 && m_found.hasMore ? RowKind::showAll
                                                               : RowKind::result;
    if (role == SidebarRoles::Kind)
        return int(kind);
    if (kind == RowKind::header)
        return role == Qt::DisplayRole ? QVariant(FoundInPages::kTitle) : QVariant();
    if (kind == RowKind::showAll)
        return role == Qt::DisplayRole ? QVariant(FoundInPages::kShowAllTitle) : QVariant();
    if (kind == RowKind::indexing) {
        switch (role) {
        case Qt::DisplayRole:
            return m_found.indexingText;
        case SidebarRoles::ProgressDone:
            return qlonglong(m_found.indexing->done);
        case SidebarRoles::ProgressTotal:
            return qlonglong(m_found.indexing->total);
        default:
            return {};
        }
    }
    const FoundInPages::Row &result = m_found.rows.at(row - 1 - (hasIndexing ? 1 : 0));
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
    if (const int start = catalogueRowCount(); index.row() >= start)
        return foundData(index.row() - start, role);
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
    const auto kind = RowKind(index.data(SidebarRoles::Kind).toInt());
    return kind == RowKind::page || kind == RowKind::result || kind == RowKind::showAll
        ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
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
    const int inHelp = search(m_sections.commandHelp, int(2 + m_sections.commands.count()));
    if (inHelp >= 0)
        return inHelp;
    for (qsizetype i = 0; i < m_found.rows.size(); ++i) {
        if (m_found.rows.at(i).id == pageID)
            return int(catalogueRowCount() + 1 + (m_found.indexing ? 1 : 0) + i);
    }
    return -1;
}

int CatalogueListModel::firstPageRow() const
{
    for (int row = 0; row < rowCount(); ++row) {
        const auto kind = RowKind(index(row, 0).data(SidebarRoles::Kind).toInt());
        if (kind == RowKind::page || kind == RowKind::result)
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

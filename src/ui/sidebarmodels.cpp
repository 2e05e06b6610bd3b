// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sidebarmodels.h"

#include "catalogue/appmodel.h"
#include "catalogue/sidebarfilter.h"
#include "ui/commandhelpsectionmodel.h"
#include "ui/commandlinesectionmodel.h"
#include "ui/commandssectionmodel.h"
#include "ui/foundinpagessectionmodel.h"
#include "ui/manualssectionmodel.h"

namespace Lectorin {

using SidebarRoles::RowKind;

namespace {

const QString kHistoryTitle = QStringLiteral("History");

} // namespace

CatalogueListModel::CatalogueListModel(AppModel *app, QObject *parent)
    : QConcatenateTablesProxyModel(parent)
    , m_app(app)
    , m_commandLine(new CommandLineSectionModel(app, this))
    , m_commands(new CommandsSectionModel(this))
    , m_manuals(new ManualsSectionModel(app, this))
    , m_commandHelp(new CommandHelpSectionModel(this))
    , m_found(new FoundInPagesSectionModel(this))
{
    connect(app, &AppModel::pagesChanged, this, &CatalogueListModel::rebuild);
    connect(app, &AppModel::helpPagesChanged, this, &CatalogueListModel::rebuild);
    connect(app, &AppModel::indexStateChanged, this, &CatalogueListModel::rebuild);
    connect(app, &AppModel::descriptionsChanged, this,
        [this] { m_commands->setDescriptions(m_app->descriptions()); });
    m_commands->setDescriptions(app->descriptions());
    rebuild();
    addSourceModel(m_commandLine);
    addSourceModel(m_commands);
    addSourceModel(m_manuals);
    addSourceModel(m_commandHelp);
    addSourceModel(m_found);
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
    m_commandLine->update(m_filter);
    m_manuals->update(m_showsCommands ? m_filter : QString());
    const SidebarFilter::Sections sections = SidebarFilter::sections(*m_app, m_filter, m_showsCommands);
    m_commands->setRows(sections.commands);
    m_commandHelp->setRows(sections.commandHelp);
}

void CatalogueListModel::setFoundInPages(const FoundInPages::Section &section)
{
    m_found->setSection(section);
}

const FoundInPages::Section &CatalogueListModel::foundInPages() const
{
    return m_found->section();
}

int CatalogueListModel::rowOf(const QString &pageID) const
{
    for (const PageRowsSectionModel *section :
        std::initializer_list<const PageRowsSectionModel *> { m_commands, m_commandHelp }) {
        if (const int row = section->rowOf(pageID); row >= 0)
            return mapFromSource(section->index(row, 0)).row();
    }
    if (const int row = m_manuals->rowOf(pageID); row >= 0)
        return mapFromSource(m_manuals->index(row, 0)).row();
    const int row = m_found->rowOf(pageID);
    return row < 0 ? -1 : mapFromSource(m_found->index(row, 0)).row();
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
    connect(app, &AppModel::descriptionsChanged, this, [this] {
        if (rowCount() > 1)
            emit dataChanged(index(1, 0), index(rowCount() - 1, 0),
                { SidebarRoles::Description, Qt::ToolTipRole, Qt::AccessibleTextRole });
    });
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
    case SidebarRoles::Description:
        return m_app->descriptions().of(id);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return describedName(
            SidebarHistory::rowLabel(id, m_app->catalogue()).text, m_app->descriptions().of(id));
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

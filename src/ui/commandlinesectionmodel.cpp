// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commandlinesectionmodel.h"

#include "browser/optionjump.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"
#include "ui/sidebarroles.h"

namespace Lectorin {

using SidebarRoles::RowKind;

CommandLineSectionModel::CommandLineSectionModel(const AppModel *app, QObject *parent)
    : QAbstractListModel(parent)
    , m_app(app)
{ }

void CommandLineSectionModel::update(const QString &filter)
{
    std::optional<Jump> jump;
    if (const std::optional<OptionJump::PageAndOption> asked = OptionJump::split(filter)) {
        const std::optional<PageReference> reference = parseReference(asked->page);
        const std::optional<ManPage> page
            = reference ? resolveManReference(*m_app, *reference) : std::nullopt;
        if (page && !page->isHelpPage())
            jump = Jump { page->id(), page->name + u'(' + page->section + u')', asked->option };
    }
    if (jump == m_jump)
        return;
    const bool hadRow = m_jump.has_value();
    if (hadRow && jump) {
        m_jump = jump;
        emit dataChanged(index(0), index(0));
        return;
    }
    if (hadRow) {
        beginRemoveRows({}, 0, 0);
        m_jump.reset();
        endRemoveRows();
        return;
    }
    beginInsertRows({}, 0, 0);
    m_jump = jump;
    endInsertRows();
}

int CommandLineSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_jump ? 0 : 1;
}

QVariant CommandLineSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || !m_jump)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        //: A sidebar row: "-x in tar(1)".
        return tr("%1 in %2").arg(m_jump->option, m_jump->pageName);
    case Qt::ToolTipRole:
        return tr("Show the definition of %1 in %2").arg(m_jump->option, m_jump->pageName);
    case SidebarRoles::Kind:
        return int(RowKind::page);
    case SidebarRoles::PageID:
        return m_jump->pageID;
    case SidebarRoles::Fragment:
        return m_jump->option;
    default:
        return {};
    }
}

Qt::ItemFlags CommandLineSectionModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commandlinesectionmodel.h"

#include "browser/optionjump.h"
#include "catalogue/appmodel.h"
#include "render/manurl.h"
#include "ui/sidebarroles.h"

#include <algorithm>

namespace Lectorin {

using SidebarRoles::RowKind;

CommandLineSectionModel::CommandLineSectionModel(const AppModel *app, QObject *parent)
    : QAbstractListModel(parent)
    , m_app(app)
{ }

namespace {

// A line of a command and at least one option: "tar -xzvf a.tgz", "ps aux | grep x" counts by its first word.
bool isCommandLineWithOption(const QString &filter)
{
    const QStringList words = filter.simplified().split(u' ', Qt::SkipEmptyParts);
    return words.size() >= 2 && std::any_of(words.cbegin() + 1, words.cend(), [](const QString &word) {
        return OptionJump::looksLikeOption(word);
    });
}

} // namespace

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
    const QString explained = isCommandLineWithOption(filter) ? filter.simplified() : QString();
    if (jump == m_jump && explained == m_explained)
        return;
    // Few rows, seldom changed: a reset keeps the joined list's bookkeeping simple.
    beginResetModel();
    m_jump = jump;
    m_explained = explained;
    endResetModel();
}

int CommandLineSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : explainRow() + (m_explained.isEmpty() ? 0 : 1);
}

QVariant CommandLineSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (index.row() == explainRow()) {
        switch (role) {
        case Qt::DisplayRole:
            return tr("Explain \u2018%1\u2019").arg(m_explained);
        case Qt::ToolTipRole:
            return tr("Show what each word of this command line does");
        case SidebarRoles::Kind:
            return int(RowKind::explain);
        case SidebarRoles::CommandLine:
            return m_explained;
        default:
            return {};
        }
    }
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

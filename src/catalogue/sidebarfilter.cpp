// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/sidebarfilter.h"

#include "catalogue/appmodel.h"
#include "catalogue/searchindex.h"

#include <algorithm>

namespace Lectorin::SidebarFilter {
namespace {

Rows pageRows(const QList<ManPage> &source, std::optional<QList<qint32>> indices)
{
    Rows rows;
    rows.kind = Rows::Kind::pages;
    rows.source = &source;
    rows.indices = std::move(indices);
    return rows;
}

Rows messageRows(QString message)
{
    Rows rows;
    rows.kind = Rows::Kind::message;
    rows.message = std::move(message);
    return rows;
}

} // namespace

QString normalizedQuery(const QString &filter)
{
    QStringView trimmed(filter);
    while (!trimmed.isEmpty() && (trimmed.front() == u' ' || trimmed.front() == u'\t'))
        trimmed = trimmed.mid(1);
    while (!trimmed.isEmpty() && (trimmed.back() == u' ' || trimmed.back() == u'\t'))
        trimmed.chop(1);
    return lowercasedPageName(trimmed.toString());
}

QList<qint32> rankMatches(const QList<ManPage> &pages, const QString &query)
{
    return SearchIndex(pages).rankMatches(pages, query);
}

qsizetype Rows::count() const
{
    switch (kind) {
    case Kind::none:
        return 0;
    case Kind::pages:
        return indices ? indices->size() : source->size();
    case Kind::scanning:
    case Kind::message:
        break;
    }
    return 1;
}

const ManPage &Rows::pageAt(qsizetype row) const
{
    return source->at(indices ? indices->at(row) : row);
}

Sections sections(const AppModel &model, const QString &filter, bool showsCommands)
{
    Sections result;
    if (model.indexState() == AppModel::IndexState::loading) {
        result.commands.kind = Rows::Kind::scanning;
        return result;
    }
    if (!showsCommands)
        return result;

    const QString query = normalizedQuery(filter);
    if (query.isEmpty()) {
        result.commands = model.pages().isEmpty() ? messageRows(kNoMatchingCommandText)
                                                  : pageRows(model.pages(), std::nullopt);
        return result;
    }
    QList<qint32> commandMatches = model.pagesSearchIndex().rankMatches(model.pages(), query);
    QList<qint32> helpMatches = model.helpPagesSearchIndex().rankMatches(model.helpPages(), query);
    if (!helpMatches.isEmpty())
        result.commandHelp = pageRows(model.helpPages(), std::move(helpMatches));
    if (!commandMatches.isEmpty())
        result.commands = pageRows(model.pages(), std::move(commandMatches));
    else
        result.commands = messageRows(result.commandHelp.kind == Rows::Kind::pages ? kNoMatchingManualPageText
                                                                                   : kNoMatchingCommandText);
    return result;
}

} // namespace Lectorin::SidebarFilter

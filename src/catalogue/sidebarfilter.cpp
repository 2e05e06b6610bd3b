// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/sidebarfilter.h"

#include "catalogue/appmodel.h"

#include <algorithm>

namespace Lectorin::SidebarFilter {
namespace {

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

int tierOf(QStringView lowercasedName, QStringView query, qsizetype offset)
{
    if (offset == 0)
        return lowercasedName.size() == query.size() ? 0 : 1;
    const QChar before = lowercasedName.at(offset - 1);
    return before == u'-' || before == u'_' || before == u'.' ? 2 : 3;
}

// Sort key: tier, position and length in the high bits, the page's place in its list in the low 32, so a
// plain integer sort gives the whole order. Position and length saturate far beyond any real page name.
quint64 sortKey(int tier, qsizetype position, qsizetype length, qsizetype index)
{
    constexpr qsizetype kFieldLimit = (1 << 15) - 1;
    return quint64(tier) << 62 | quint64(std::min(position, kFieldLimit)) << 47
        | quint64(std::min(length, kFieldLimit)) << 32 | quint64(index);
}

Rows pageRows(const QList<ManPage> &source, std::optional<QList<qsizetype>> indices)
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

QList<qsizetype> rankMatches(const QList<ManPage> &pages, const QString &query)
{
    QList<quint64> keys;
    const QStringView needle(query);
    const bool asciiQuery = isAscii(needle);
    for (qsizetype index = 0; index < pages.size(); ++index) {
        const QStringView name(pages.at(index).lowercasedName);
        const qsizetype offset = name.indexOf(needle);
        if (offset < 0)
            continue;
        const int tier = tierOf(name, needle, offset);
        const QStringView exactName(pages.at(index).name);
        if (asciiQuery && isAscii(exactName)) {
            keys.append(sortKey(tier, offset, exactName.size(), index));
            continue;
        }
        keys.append(sortKey(tier, graphemeCount(name.left(offset)), graphemeCount(exactName), index));
    }
    std::sort(keys.begin(), keys.end());
    QList<qsizetype> order;
    order.reserve(keys.size());
    for (quint64 key : std::as_const(keys))
        order.append(qsizetype(key & 0xffffffffu));
    return order;
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
    QList<qsizetype> commandMatches = rankMatches(model.pages(), query);
    QList<qsizetype> helpMatches = rankMatches(model.helpPages(), query);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchprovider/krunnerservice.h"

#include "searchprovider/searchresults.h"

#include <QDBusMetaType>

namespace Lectorin {
namespace {

// KRunner's match types: a possible match, ranked below exact ones of other runners.
constexpr int kPossibleMatch = 30;

} // namespace

KRunnerService::KRunnerService(AppModel *app, std::function<void(const QString &)> open, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_open(std::move(open))
{
    qDBusRegisterMetaType<KRunnerMatch>();
    qDBusRegisterMetaType<QList<KRunnerMatch>>();
    qDBusRegisterMetaType<KRunnerAction>();
    qDBusRegisterMetaType<QList<KRunnerAction>>();
}

QList<KRunnerAction> KRunnerService::Actions()
{
    return {};
}

QList<KRunnerMatch> KRunnerService::Match(const QString &query)
{
    QList<KRunnerMatch> matches;
    const QList<SearchResults::Result> results = SearchResults::find(*m_app, { query });
    for (qsizetype i = 0; i < results.size(); ++i) {
        const SearchResults::Result &result = results.at(i);
        const QString text
            = result.description.isEmpty() ? result.name : result.name + u" \u2014 " + result.description;
        // The sidebar's order, from 1 down.
        matches.append({ result.id, text, QStringLiteral("lectorin"), kPossibleMatch,
            1.0 - double(i) / double(results.size() + 1),
            { { QStringLiteral("subtext"), result.description } } });
    }
    return matches;
}

void KRunnerService::Run(const QString &matchId, const QString &)
{
    if (const std::optional<QString> url = SearchResults::urlOf(matchId))
        m_open(*url);
}

QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerMatch &match)
{
    argument.beginStructure();
    argument << match.id << match.text << match.icon << match.type << match.relevance << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerMatch &match)
{
    argument.beginStructure();
    argument >> match.id >> match.text >> match.icon >> match.type >> match.relevance >> match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerAction &action)
{
    argument.beginStructure();
    argument << action.id << action.text << action.icon;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerAction &action)
{
    argument.beginStructure();
    argument >> action.id >> action.text >> action.icon;
    argument.endStructure();
    return argument;
}

} // namespace Lectorin

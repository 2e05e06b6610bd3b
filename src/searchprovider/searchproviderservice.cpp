// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchprovider/searchproviderservice.h"

#include "catalogue/appmodel.h"
#include "searchprovider/searchresults.h"

#include <QDBusConnection>
#include <QDBusMetaType>

namespace Lectorin {
namespace {

QStringList idsOf(const QList<SearchResults::Result> &results)
{
    QStringList ids;
    for (const SearchResults::Result &result : results)
        ids.append(result.id);
    return ids;
}

} // namespace

SearchProviderService::SearchProviderService(
    AppModel *app, std::function<void(const QString &)> open, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_open(std::move(open))
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
}

QStringList SearchProviderService::idsFor(const QStringList &terms)
{
    if (m_app->indexState() == AppModel::IndexState::ready || !calledFromDBus())
        return idsOf(SearchResults::find(*m_app, terms));
    // The first question usually starts the program: it is answered as soon as the catalogue is there.
    setDelayedReply(true);
    const QDBusMessage question = message();
    const QDBusConnection bus = connection();
    // Ready comes after the catalogue is published, so the answer ranks the new pages.
    auto *once = new QObject(this);
    connect(m_app, &AppModel::indexStateChanged, once,
        [this, question, bus, terms, once](AppModel::IndexState state) {
            if (state != AppModel::IndexState::ready)
                return;
            QDBusConnection(bus).send(
                question.createReply(QVariant(idsOf(SearchResults::find(*m_app, terms)))));
            once->deleteLater();
        });
    return {};
}

QStringList SearchProviderService::GetInitialResultSet(const QStringList &terms)
{
    return idsFor(terms);
}

QStringList SearchProviderService::GetSubsearchResultSet(const QStringList &, const QStringList &terms)
{
    // Ranking the whole catalogue again costs well under a millisecond and keeps the order the sidebar gives.
    return idsFor(terms);
}

QList<QVariantMap> SearchProviderService::GetResultMetas(const QStringList &identifiers)
{
    QList<QVariantMap> metas;
    for (const SearchResults::Result &result : SearchResults::describe(*m_app, identifiers)) {
        metas.append({ { QStringLiteral("id"), result.id }, { QStringLiteral("name"), result.name },
            { QStringLiteral("description"), result.description },
            { QStringLiteral("gicon"), QStringLiteral("lectorin") } });
    }
    return metas;
}

void SearchProviderService::ActivateResult(const QString &identifier, const QStringList &, uint)
{
    if (const std::optional<QString> url = SearchResults::urlOf(identifier))
        m_open(*url);
}

void SearchProviderService::LaunchSearch(const QStringList &terms, uint)
{
    m_open(terms.join(u' '));
}

} // namespace Lectorin

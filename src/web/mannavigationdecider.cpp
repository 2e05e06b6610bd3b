// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/mannavigationdecider.h"

#include "catalogue/appmodel.h"
#include "info/infourl.h"
#include "render/manurl.h"

#include <QUrlQuery>

#include <algorithm>

namespace Lectorin::ManNavigationDecider {
namespace {

using FollowUp = NavigationDecision::FollowUp;

NavigationDecision cancelWith(FollowUp followUp, std::optional<PageReference> reference, const QUrl &url)
{
    return reference ? NavigationDecision { Decision::cancel, followUp, std::move(reference), QUrl(),
        url.fragment(QUrl::FullyDecoded) }
                     : NavigationDecision {};
}

NavigationDecision decideManURL(const QUrl &url, Target target, const AppModel *app)
{
    const std::optional<PageReference> reference = parseManURL(url);
    if (target == Target::newTab)
        return cancelWith(FollowUp::openInNewTab, reference, url);
    if (target == Target::newWindow || asksForNewWindow(url))
        return cancelWith(FollowUp::openInNewWindow, reference, url);
    // Until the catalogue is settled only the scheme handler, which waits for it, can tell a missing page.
    if (!app || !app->isCatalogueSettled() || !reference || resolveManReference(*app, *reference))
        return { Decision::allow };
    return cancelWith(FollowUp::missingPage, reference, url);
}

} // namespace

bool asksForNewWindow(const QUrl &url)
{
    const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    return std::any_of(items.cbegin(), items.cend(), [](const std::pair<QString, QString> &item) {
        return item.first == u"lectorin-target" && item.second == u"new-window";
    });
}

NavigationDecision decide(const QUrl &url, Target target, const AppModel *app)
{
    if (url.isEmpty() || url.scheme().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == kManURLScheme || scheme == kInfoURLScheme)
        return decideManURL(url, target, app);
    if (scheme == u"about")
        return { Decision::allow };
    if (scheme == kManPageLinkScheme)
        return cancelWith(FollowUp::openInPlace, parseManURL(url), url);
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        return { Decision::cancel, FollowUp::openExternally, std::nullopt, url };
    return {};
}

} // namespace Lectorin::ManNavigationDecider

// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/mannavigationdecider.h"

#include "catalogue/appmodel.h"
#include "render/mannavigationtarget.h"
#include "render/manurl.h"

#include <QDesktopServices>
#include <QUrlQuery>

namespace Lectorin {

ManNavigationDecider::ManNavigationDecider(
    std::shared_ptr<ManResolverBox> resolver, ExternalOpener openExternally)
    : m_resolver(std::move(resolver))
    , m_openExternally(openExternally ? std::move(openExternally)
                                      : [](const QUrl &url) { QDesktopServices::openUrl(url); })
{ }

bool ManNavigationDecider::asksForNewWindow(const QUrl &url)
{
    const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    return std::any_of(items.cbegin(), items.cend(), [](const std::pair<QString, QString> &item) {
        return item.first == u"lectorin-target" && item.second == u"new-window";
    });
}

ManNavigationDecider::Decision ManNavigationDecider::decide(const QUrl &url, Target target) const
{
    if (url.isEmpty() || url.scheme().isEmpty())
        return Decision::cancel;
    const QString scheme = url.scheme().toLower();
    if (scheme == kManURLScheme)
        return decideManURL(url, target);
    if (scheme == u"about")
        return Decision::allow;
    if (scheme == kManPageLinkScheme) {
        if (const std::optional<PageReference> reference = parseManURL(url); reference && m_resolver->browser)
            m_resolver->browser->open(reference->name, reference->section);
        return Decision::cancel;
    }
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        m_openExternally(url);
    return Decision::cancel;
}

ManNavigationDecider::Decision ManNavigationDecider::decideManURL(const QUrl &url, Target target) const
{
    if (target != Target::thisFrame || asksForNewWindow(url)) {
        if (const std::optional<PageReference> reference = parseManURL(url);
            reference && m_resolver->browser) {
            if (target == Target::newTab)
                m_resolver->browser->openInNewTab(reference->name, reference->section);
            else
                m_resolver->browser->openInNewWindow(reference->name, reference->section);
        }
        return Decision::cancel;
    }
    AppModel *app = m_resolver->app;
    if (!app || app->indexState() != AppModel::IndexState::ready)
        return Decision::allow;
    const std::optional<PageReference> reference = parseManURL(url);
    if (!reference || resolveManReference(*app, *reference))
        return Decision::allow;
    if (m_resolver->browser)
        m_resolver->browser->showMissingPage(reference->name, reference->section);
    return Decision::cancel;
}

} // namespace Lectorin

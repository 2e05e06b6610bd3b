// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/hostpolicy.h"

#include "skeppa/samehostredirectguard.h"

namespace Skeppa {

const QStringList &HostPolicy::allowedDownloadHosts()
{
    static const QStringList hosts { QStringLiteral("github.com") };
    return hosts;
}

HostPolicy HostPolicy::forFeedUrl(const QUrl &feedUrl)
{
    return HostPolicy { SameHostRedirectGuard::hostOf(feedUrl).value_or(QString()) };
}

bool HostPolicy::allowsDownload(const QUrl &url) const
{
    if (url.scheme().toLower() != u"https")
        return false;
    const std::optional<QString> host = SameHostRedirectGuard::hostOf(url);
    if (!host)
        return false;
    return (!feedHost.isEmpty() && *host == feedHost) || allowedDownloadHosts().contains(*host);
}

} // namespace Skeppa

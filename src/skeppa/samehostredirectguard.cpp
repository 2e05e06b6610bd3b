// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/samehostredirectguard.h"

namespace Skeppa {

SameHostRedirectGuard SameHostRedirectGuard::forRequestUrl(const QUrl &url)
{
    return SameHostRedirectGuard { hostOf(url) };
}

std::optional<QString> SameHostRedirectGuard::hostOf(const QUrl &url)
{
    if (!url.isValid())
        return std::nullopt;
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (host.isEmpty())
        return std::nullopt;
    return host;
}

bool SameHostRedirectGuard::allowsRedirect(const QUrl &target) const
{
    if (!host)
        return false;
    const std::optional<QString> targetHost = hostOf(target);
    if (!targetHost || target.scheme().toLower() != u"https")
        return false;
    return *targetHost == *host;
}

} // namespace Skeppa

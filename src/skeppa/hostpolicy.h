// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace Skeppa {

// Which download addresses may be offered: https on the feed's own host or on the one code-hosting
// download host, matched exactly (subdomains are other hosts).
struct HostPolicy
{
    QString feedHost; // lower-cased, percent-encoded; empty when the feed URL has no host

    static const QStringList &allowedDownloadHosts();

    static HostPolicy forFeedUrl(const QUrl &feedUrl);
    bool allowsDownload(const QUrl &url) const;

    friend bool operator==(const HostPolicy &, const HostPolicy &) = default;
};

} // namespace Skeppa

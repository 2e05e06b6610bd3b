// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace Skeppa {

// Holds one request's redirects to its own host: only https redirects to the same host are followed.
struct SameHostRedirectGuard
{
    std::optional<QString> host; // lower-cased, percent-encoded; absent when the request had none

    static SameHostRedirectGuard forRequestUrl(const QUrl &url);
    // The lower-cased, percent-encoded host of url; absent when url is invalid or has no host.
    static std::optional<QString> hostOf(const QUrl &url);

    bool allowsRedirect(const QUrl &target) const;

    friend bool operator==(const SameHostRedirectGuard &, const SameHostRedirectGuard &) = default;
};

} // namespace Skeppa

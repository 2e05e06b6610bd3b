// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QNetworkRequest>
#include <QString>

#include <optional>
#include <utility>

namespace Skeppa {

// What one feed request came back with: a transport failure, or an answer with its status, headers and body.
struct FeedResponse
{
    // Set when no answer arrived (no connection, time-out, refused certificate…): a sentence for people.
    std::optional<QString> transportError;
    bool isHttp = true;
    int statusCode = 0;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    static FeedResponse failure(const QString &description) { return { description, false, 0, {}, {} }; }

    // Header names compare case-insensitively; absent when the answer has no such header.
    std::optional<QByteArray> header(QByteArrayView name) const
    {
        for (const auto &[key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return std::nullopt;
    }

    friend bool operator==(const FeedResponse &, const FeedResponse &) = default;
};

// Sends the feed request. The update checker holds one; tests inject their own.
class FeedTransport
{
public:
    virtual ~FeedTransport() = default;

    // One attempt, never retried. The future finishes on the thread that called, through its event loop.
    virtual QFuture<FeedResponse> data(const QNetworkRequest &request) = 0;
};

} // namespace Skeppa

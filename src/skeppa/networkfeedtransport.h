// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/feedtransport.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSslCertificate>

namespace Skeppa {

// The production transport: one QNetworkAccessManager, redirects held to the request's own host, bodies
// capped in size, and the system's certificate authorities (plus any extra ones given, for local servers).
class NetworkFeedTransport : public QObject, public FeedTransport
{
    Q_OBJECT
public:
    // Far above any real feed; a larger answer is refused rather than held in memory.
    static constexpr qint64 kMaximumBodyBytes = 4 * 1024 * 1024;

    explicit NetworkFeedTransport(QObject *parent = nullptr);

    // Trusted in addition to the system's authorities, for every request sent from now on.
    void setAdditionalCaCertificates(const QList<QSslCertificate> &certificates);

    QFuture<FeedResponse> data(const QNetworkRequest &request) override;

private:
    QNetworkAccessManager m_manager;
    QList<QSslCertificate> m_additionalCaCertificates;
};

} // namespace Skeppa

// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/networkfeedtransport.h"

#include "skeppa/samehostredirectguard.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QPromise>
#include <QSslConfiguration>
#include <QTimer>

#include <memory>

namespace Skeppa {

namespace {

// Codes below 200 mean no usable answer arrived; from 200 on, Qt reports an HTTP status as an error.
bool isNetworkFailure(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

FeedResponse answerOf(QNetworkReply *reply, QByteArray body)
{
    FeedResponse response;
    response.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    response.headers = reply->rawHeaderPairs();
    response.body = std::move(body);
    return response;
}

QString unexpectedAnswer()
{
    return QCoreApplication::translate("Skeppa", "The server gave an unexpected answer.");
}

QString timedOut()
{
    return QCoreApplication::translate("Skeppa", "The request timed out.");
}

// One request in flight: fulfils the promise exactly once, whichever of finish, refused redirect or
// oversize comes first.
struct PendingFeedRequest
{
    QPromise<FeedResponse> promise;
    bool settled = false;
    bool oversize = false;
    std::optional<FeedResponse> refusedRedirect;

    void settle(FeedResponse response)
    {
        if (settled)
            return;
        settled = true;
        promise.addResult(std::move(response));
        promise.finish();
    }
};

} // namespace

NetworkFeedTransport::NetworkFeedTransport(QObject *parent)
    : QObject(parent)
{ }

void NetworkFeedTransport::setAdditionalCaCertificates(const QList<QSslCertificate> &certificates)
{
    m_additionalCaCertificates = certificates;
}

QFuture<FeedResponse> NetworkFeedTransport::data(const QNetworkRequest &request)
{
    auto pending = std::make_shared<PendingFeedRequest>();
    pending->promise.start();
    const QFuture<FeedResponse> future = pending->promise.future();

    QNetworkRequest guardedRequest = request;
    guardedRequest.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    // The request carries nothing that could tell one user from another.
    guardedRequest.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    guardedRequest.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    if (!m_additionalCaCertificates.isEmpty()) {
        QSslConfiguration ssl = guardedRequest.sslConfiguration();
        ssl.addCaCertificates(m_additionalCaCertificates);
        guardedRequest.setSslConfiguration(ssl);
    }

    const SameHostRedirectGuard guard = SameHostRedirectGuard::forRequestUrl(request.url());
    QNetworkReply *reply = m_manager.get(guardedRequest);

    connect(reply, &QNetworkReply::redirected, reply, [reply, pending, guard](const QUrl &target) {
        if (guard.allowsRedirect(target)) {
            emit reply->redirectAllowed();
            return;
        }
        // A refused redirect is an answer, not a failure: it completes with the redirect's own status.
        pending->refusedRedirect = answerOf(reply, {});
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, pending](qint64 received, qint64 total) {
        if (received > kMaximumBodyBytes || total > kMaximumBodyBytes) {
            pending->oversize = true;
            reply->abort();
        }
    });
    // Qt's transfer time-out counts only silence; a server that drips a byte now and then would hold the
    // check forever, so the same time also bounds the whole exchange.
    if (request.transferTimeout() > 0) {
        auto *deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
        deadline->start(request.transferTimeout());
    }
    connect(reply, &QNetworkReply::finished, reply, [reply, pending] {
        reply->deleteLater();
        if (pending->refusedRedirect) {
            pending->settle(*pending->refusedRedirect);
        } else if (pending->oversize) {
            pending->settle(FeedResponse::failure(unexpectedAnswer()));
        } else if (reply->error() == QNetworkReply::OperationCanceledError
            || reply->error() == QNetworkReply::TimeoutError) {
            // The only abort left is the transfer time-out's, and Qt words it as a cancellation.
            pending->settle(FeedResponse::failure(timedOut()));
        } else if (isNetworkFailure(reply->error())) {
            pending->settle(FeedResponse::failure(reply->errorString()));
        } else if (!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
            FeedResponse notHttp;
            notHttp.isHttp = false;
            pending->settle(notHttp);
        } else {
            pending->settle(answerOf(reply, reply->readAll()));
        }
    });
    return future;
}

} // namespace Skeppa

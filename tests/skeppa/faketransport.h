// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/feedtransport.h"
#include "skeppa/updatechecker.h"

#include <QPromise>
#include <QTest>

#include <memory>

// Records every request and answers only when the test says so.
class FakeTransport : public Skeppa::FeedTransport
{
public:
    QFuture<Skeppa::FeedResponse> data(const QNetworkRequest &request) override
    {
        requests.append(request);
        auto promise = std::make_shared<QPromise<Skeppa::FeedResponse>>();
        promise->start();
        pending.append(promise);
        return promise->future();
    }

    void answer(const Skeppa::FeedResponse &response)
    {
        const std::shared_ptr<QPromise<Skeppa::FeedResponse>> promise = pending.takeFirst();
        promise->addResult(response);
        promise->finish();
    }

    QList<QNetworkRequest> requests;
    QList<std::shared_ptr<QPromise<Skeppa::FeedResponse>>> pending;
};

// An HTTP answer with an optional entity tag.
inline Skeppa::FeedResponse httpAnswer(int status, const QByteArray &body = {}, const QByteArray &etag = {})
{
    Skeppa::FeedResponse response;
    response.statusCode = status;
    response.body = body;
    if (!etag.isEmpty())
        response.headers.append({ "ETag", etag });
    return response;
}

// Runs one check to its end with the given answer.
inline void finishCheck(
    Skeppa::UpdateChecker &checker, FakeTransport &transport, const Skeppa::FeedResponse &response)
{
    const QFuture<void> task = checker.check();
    QTRY_COMPARE(transport.pending.size(), 1);
    transport.answer(response);
    QTRY_VERIFY(task.isFinished());
}

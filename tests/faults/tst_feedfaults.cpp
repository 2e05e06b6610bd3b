// SPDX-License-Identifier: GPL-3.0-or-later
// A feed server that misbehaves after the handshake: it drips the body, resets mid-body or sends endless
// headers. Every check ends within its time limit with a failure, never a hang or a partial feed.
#include "../skeppa/httpstestserver.h"

#include "skeppa/networkfeedtransport.h"

#include <QNetworkRequest>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace Skeppa;

namespace {

enum class Misbehaviour
{
    drip,
    resetMidBody,
    hugeHeaders
};

void misbehave(QSslSocket *socket, Misbehaviour misbehaviour)
{
    switch (misbehaviour) {
    case Misbehaviour::drip: {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100000\r\n\r\n{");
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        timer->start(100);
        break;
    }
    case Misbehaviour::resetMidBody:
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 5000\r\n\r\n"
                      "{\"schema\": 1, \"app\": \"Lectorin\", \"releases\": [");
        socket->flush();
        QTimer::singleShot(100, socket, [socket] { socket->abort(); });
        break;
    case Misbehaviour::hugeHeaders: {
        socket->write("HTTP/1.1 200 OK\r\n");
        // One endless header line, then endless short ones: well past any sane header size.
        const QByteArray chunk(64 * 1024, 'h');
        socket->write("X-Long: ");
        for (int i = 0; i < 64; ++i)
            socket->write(chunk);
        socket->write("\r\n");
        for (int i = 0; i < 20000; ++i)
            socket->write("X-Many-" + QByteArray::number(i) + ": v\r\n");
        socket->write("Content-Length: 2\r\n\r\n{}");
        break;
    }
    }
}

} // namespace

class FeedFaultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void misbehavingServer_failsWithinTheLimit_data();
    void misbehavingServer_failsWithinTheLimit();

private:
    HttpsTestServer m_server;
};

void FeedFaultsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void FeedFaultsTest::misbehavingServer_failsWithinTheLimit_data()
{
    QTest::addColumn<Misbehaviour>("misbehaviour");
    QTest::newRow("slow drip") << Misbehaviour::drip;
    QTest::newRow("reset mid-body") << Misbehaviour::resetMidBody;
    QTest::newRow("huge headers") << Misbehaviour::hugeHeaders;
}

void FeedFaultsTest::misbehavingServer_failsWithinTheLimit()
{
    QFETCH(Misbehaviour, misbehaviour);
    m_server.setHandler([misbehaviour](const HttpsTestServer::Request &) {
        HttpsTestServer::Answer answer;
        answer.misbehave = [misbehaviour](QSslSocket *socket) { misbehave(socket, misbehaviour); };
        return answer;
    });
    NetworkFeedTransport transport;
    transport.setAdditionalCaCertificates({ m_server.certificate() });
    QNetworkRequest request(m_server.url(QStringLiteral("/lectorin/lectorin.json")));
    // The checker's 15 s, shortened: the limit is what is tested, not its length.
    request.setTransferTimeout(1500);

    QFuture<FeedResponse> future = transport.data(request);
    QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 20000);
    const FeedResponse response = future.result();
    if (misbehaviour == Misbehaviour::hugeHeaders && !response.transportError) {
        // Qt may take the headers in; then the answer must at least be the whole, tiny body.
        QCOMPARE(response.body, QByteArray("{}"));
        return;
    }
    QVERIFY(response.transportError.has_value());
    QVERIFY(!response.transportError->isEmpty());
    QVERIFY(response.body.isEmpty());
}

QTEST_GUILESS_MAIN(FeedFaultsTest)
#include "tst_feedfaults.moc"

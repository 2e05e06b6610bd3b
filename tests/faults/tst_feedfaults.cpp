// SPDX-License-Identifier: GPL-3.0-or-later
// A feed server that misbehaves after the handshake: it drips the body, resets mid-body or sends endless
// headers. Every check ends within its time limit with a failure, never a hang or a partial feed.
#include "skeppa/networkfeedtransport.h"

#include <QNetworkRequest>
#include <QProcess>
#include <QSslKey>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
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

// A TLS server for "localhost" with a throw-away certificate that answers every request the same bad way.
class MisbehavingServer : public QTcpServer
{
public:
    bool start()
    {
        const QString key = m_directory.filePath(QStringLiteral("key.pem"));
        const QString certificate = m_directory.filePath(QStringLiteral("certificate.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
            { "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-addext",
                "subjectAltName=DNS:localhost", "-days", "2", "-keyout", key, "-out", certificate });
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return false;
        QFile keyFile(key);
        QFile certificateFile(certificate);
        if (!keyFile.open(QIODevice::ReadOnly) || !certificateFile.open(QIODevice::ReadOnly))
            return false;
        m_key = QSslKey(keyFile.readAll(), QSsl::Rsa);
        m_certificate = QSslCertificate(certificateFile.readAll());
        return !m_key.isNull() && !m_certificate.isNull() && listen(QHostAddress::LocalHost);
    }

    Misbehaviour misbehaviour = Misbehaviour::drip;
    QSslCertificate certificate() const { return m_certificate; }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        auto *request = new QByteArray;
        connect(socket, &QObject::destroyed, [request] { delete request; });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QSslSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (request->contains("\r\n\r\n") && !socket->property("answered").toBool()) {
                socket->setProperty("answered", true);
                answer(socket);
            }
        });
        socket->startServerEncryption();
    }

private:
    void answer(QSslSocket *socket)
    {
        switch (misbehaviour) {
        case Misbehaviour::drip: {
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100000\r\n\r\n{");
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
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

    QTemporaryDir m_directory;
    QSslKey m_key;
    QSslCertificate m_certificate;
};

} // namespace

class FeedFaultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void misbehavingServer_failsWithinTheLimit_data();
    void misbehavingServer_failsWithinTheLimit();

private:
    MisbehavingServer m_server;
};

void FeedFaultsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_server.start());
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
    m_server.misbehaviour = misbehaviour;
    NetworkFeedTransport transport;
    transport.setAdditionalCaCertificates({ m_server.certificate() });
    QNetworkRequest request(
        QUrl(QStringLiteral("https://localhost:%1/lectorin/lectorin.json").arg(m_server.serverPort())));
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

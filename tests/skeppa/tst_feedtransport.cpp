// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpstestserver.h"
#include "testfeeds.h"

#include "skeppa/networkfeedtransport.h"
#include "skeppa/updatechecker.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Skeppa;

namespace {

const QString kFeedPath = QStringLiteral("/lectorin/lectorin.json");

} // namespace

class FeedTransportTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void firstCheck_sendsBareRequestAndStoresTag();
    void secondCheck_revalidatesWithStoredTagAndCopy();
    void answerWithoutTag_clearsStoredTag();
    void redirect_data();
    void redirect();
    void errorStatus_isReportedWithItsCode();
    void malformedBody_dropsCachedFeed();
    void oversizeBody_isRefused();
    void silentServer_timesOut();
    void untrustedCertificate_failsWithTransportError();

private:
    void checkAndWait();

    HttpsTestServer m_server;
    std::unique_ptr<QTemporaryDir> m_directory;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<NetworkFeedTransport> m_transport;
    std::unique_ptr<UpdateChecker> m_checker;
    QDateTime m_now;
};

void FeedTransportTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void FeedTransportTest::init()
{
    m_server.setHandler([](const HttpsTestServer::Request &) {
        return HttpsTestServer::Answer { 200, { { "ETag", "\"v1\"" } }, feedDocument({ 5 }) };
    });
    m_directory = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<QSettings>(
        m_directory->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    m_transport = std::make_unique<NetworkFeedTransport>();
    m_transport->setAdditionalCaCertificates({ m_server.certificate() });
    m_now = QDateTime(QDate(2025, 3, 7), QTime(12, 0), Qt::UTC);
    m_checker = std::make_unique<UpdateChecker>();
    m_checker->configure(m_server.url(kFeedPath),
        AppInfo { QStringLiteral("Lectorin"), QStringLiteral("1.0"), 1 }, m_settings.get(), m_transport.get(),
        [this] { return m_now; });
}

void FeedTransportTest::cleanup()
{
    m_checker.reset();
    m_transport.reset();
    m_settings.reset();
    m_directory.reset();
}

void FeedTransportTest::checkAndWait()
{
    const qsizetype requestsBefore = m_server.requests().size();
    const QFuture<void> task = m_checker->check();
    QTRY_VERIFY_WITH_TIMEOUT(task.isFinished(), 20000);
    QVERIFY(m_server.requests().size() > requestsBefore);
}

void FeedTransportTest::firstCheck_sendsBareRequestAndStoresTag()
{
    checkAndWait();
    QCOMPARE(m_checker->state().kind, UpdateChecker::State::Kind::result);
    QCOMPARE(m_checker->state().outcome->kind, UpdateOutcome::Kind::available);

    const HttpsTestServer::Request &request = m_server.requests().constLast();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.target, kFeedPath.toUtf8());
    QCOMPARE(request.header("User-Agent"), QByteArray("Skeppa/1"));
    QVERIFY(!request.hasHeader("If-None-Match"));
    QVERIFY(!request.hasHeader("Cookie"));

    QCOMPARE(m_settings->value(UpdateChecker::Key::etag).toString(), QStringLiteral("\"v1\""));
    QCOMPARE(m_settings->value(UpdateChecker::Key::feedData).toByteArray(), feedDocument({ 5 }));
}

void FeedTransportTest::secondCheck_revalidatesWithStoredTagAndCopy()
{
    checkAndWait();
    m_server.setHandler([](const HttpsTestServer::Request &request) {
        if (request.header("If-None-Match") == "\"v1\"")
            return HttpsTestServer::Answer { 304, { { "ETag", "\"v1\"" } }, {} };
        return HttpsTestServer::Answer { 200, {}, feedDocument({ 1 }) };
    });
    m_now = m_now.addSecs(3600);
    checkAndWait();

    QCOMPARE(m_server.requests().constLast().header("If-None-Match"), QByteArray("\"v1\""));
    // Decided from the stored copy: build 5 is still on offer, and the success moves lastCheck.
    QCOMPARE(m_checker->availableRelease()->build, 5);
    QCOMPARE(m_checker->lastCheck(), m_now);
    QCOMPARE(m_settings->value(UpdateChecker::Key::feedData).toByteArray(), feedDocument({ 5 }));
}

void FeedTransportTest::answerWithoutTag_clearsStoredTag()
{
    checkAndWait();
    QVERIFY(m_settings->contains(UpdateChecker::Key::etag));
    m_server.setHandler([](const HttpsTestServer::Request &) {
        return HttpsTestServer::Answer { 200, {}, feedDocument({ 7 }) };
    });
    checkAndWait();
    QVERIFY(!m_settings->contains(UpdateChecker::Key::etag));
    QCOMPARE(m_settings->value(UpdateChecker::Key::feedData).toByteArray(), feedDocument({ 7 }));
    QCOMPARE(m_checker->availableRelease()->build, 7);
}

void FeedTransportTest::redirect_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("location"); // %1 is the server's port
    QTest::addColumn<bool>("followed");

    QTest::newRow("same host, other path") << 302 << "https://localhost:%1/moved/feed.json" << true;
    QTest::newRow("same host in capitals") << 301 << "https://LOCALHOST:%1/moved/feed.json" << true;
    QTest::newRow("relative location") << 307 << "/moved/feed.json" << true;
    QTest::newRow("same host over plain http") << 302 << "http://localhost:%1/moved/feed.json" << false;
    QTest::newRow("other host") << 302 << "https://127.0.0.1:%1/moved/feed.json" << false;
    QTest::newRow("subdomain of the feed host")
        << 302 << "https://feeds.localhost:%1/moved/feed.json" << false;
    QTest::newRow("other host, 308") << 308 << "https://127.0.0.1:%1/moved/feed.json" << false;
}

void FeedTransportTest::redirect()
{
    QFETCH(int, status);
    QFETCH(QString, location);
    QFETCH(bool, followed);

    const QByteArray target
        = (location.contains(u"%1") ? location.arg(m_server.serverPort()) : location).toUtf8();
    m_server.setHandler([status, target](const HttpsTestServer::Request &request) {
        if (request.target == "/moved/feed.json")
            return HttpsTestServer::Answer { 200, {}, feedDocument({ 9 }) };
        return HttpsTestServer::Answer::redirect(status, target);
    });
    const qsizetype requestsBefore = m_server.requests().size();
    checkAndWait();

    if (followed) {
        QCOMPARE(m_server.requests().size(), requestsBefore + 2);
        QCOMPARE(m_server.requests().constLast().header("User-Agent"), QByteArray("Skeppa/1"));
        QCOMPARE(m_checker->availableRelease()->build, 9);
    } else {
        QCOMPARE(m_server.requests().size(), requestsBefore + 1);
        QCOMPARE(m_checker->state().kind, UpdateChecker::State::Kind::failed);
        QCOMPARE(m_checker->state().message, QStringLiteral("The server answered %1.").arg(status));
        QVERIFY(!m_checker->lastCheck());
    }
}

void FeedTransportTest::errorStatus_isReportedWithItsCode()
{
    m_server.setHandler([](const HttpsTestServer::Request &) {
        return HttpsTestServer::Answer { 404, {}, "gone" };
    });
    checkAndWait();
    QCOMPARE(m_checker->state().message, QStringLiteral("The server answered 404."));
}

void FeedTransportTest::malformedBody_dropsCachedFeed()
{
    checkAndWait();
    m_server.setHandler([](const HttpsTestServer::Request &) {
        return HttpsTestServer::Answer { 200, { { "ETag", "\"v2\"" } }, "<html>maintenance</html>" };
    });
    m_now = m_now.addSecs(60);
    checkAndWait();
    QCOMPARE(m_checker->state(),
        UpdateChecker::State::failed(QStringLiteral("The update information could not be read."), m_now));
    QVERIFY(!m_settings->contains(UpdateChecker::Key::etag));
    QVERIFY(!m_settings->contains(UpdateChecker::Key::feedData));
    QCOMPARE(m_checker->lastCheck(), m_now.addSecs(-60));
}

void FeedTransportTest::oversizeBody_isRefused()
{
    const QByteArray huge(NetworkFeedTransport::kMaximumBodyBytes + 1, ' ');
    m_server.setHandler([huge](const HttpsTestServer::Request &) {
        return HttpsTestServer::Answer { 200, {}, huge };
    });
    checkAndWait();
    QCOMPARE(m_checker->state().message, QStringLiteral("The server gave an unexpected answer."));
    QVERIFY(!m_settings->contains(UpdateChecker::Key::feedData));
}

void FeedTransportTest::silentServer_timesOut()
{
    m_server.setHandler([](const HttpsTestServer::Request &) {
        HttpsTestServer::Answer silence;
        silence.neverAnswer = true;
        return silence;
    });
    QNetworkRequest request(m_server.url(kFeedPath));
    // The checker asks for 15 s; a short one keeps the test quick and exercises the same path.
    request.setTransferTimeout(300);
    const QFuture<FeedResponse> answer = m_transport->data(request);
    QTRY_VERIFY_WITH_TIMEOUT(answer.isFinished(), 20000);
    QCOMPARE(answer.result().transportError, QStringLiteral("The request timed out."));
}

void FeedTransportTest::untrustedCertificate_failsWithTransportError()
{
    NetworkFeedTransport systemTrustOnly;
    const QFuture<FeedResponse> answer = systemTrustOnly.data(QNetworkRequest(m_server.url(kFeedPath)));
    QTRY_VERIFY_WITH_TIMEOUT(answer.isFinished(), 20000);
    QVERIFY(answer.result().transportError);
    QVERIFY(!answer.result().transportError->isEmpty());
    QCOMPARE(answer.result().statusCode, 0);
}

QTEST_GUILESS_MAIN(FeedTransportTest)
#include "tst_feedtransport.moc"

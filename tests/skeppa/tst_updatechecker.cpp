// SPDX-License-Identifier: GPL-3.0-or-later
#include "faketransport.h"
#include "testfeeds.h"

#include "skeppa/updatechecker.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Skeppa;
using State = UpdateChecker::State;
using Key = UpdateChecker::Key;

namespace {

const char kConfigureHttpFeedArgument[] = "--configure-http-feed";

} // namespace

class UpdateCheckerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void unconfigured_checkFails();
    void configure_readsPersistedState_data();
    void configure_readsPersistedState();
    void configure_httpFeedUrl_stopsTheProcess();
    void automaticCheckSetting_isWrittenEveryTime();
    void check_isSingleFlight();
    void request_carriesTagOnlyWithStoredCopy_data();
    void request_carriesTagOnlyWithStoredCopy();
    void failedCheck_data();
    void failedCheck();
    void notModified_decidesFromStoredCopy();
    void undecodableFeed_dropsCachedCopy_data();
    void undecodableFeed_dropsCachedCopy();
    void skip_turnsAvailableIntoSkipped();
    void checkIfDue_data();
    void checkIfDue();
    void reconfigureDuringCheck_dropsTheStaleAnswer();
    void checkerGoneBeforeTheAnswer_isHarmless();

private:
    void configure();
    void finishCheck(const FeedResponse &response) { ::finishCheck(*m_checker, *m_transport, response); }

    std::unique_ptr<QTemporaryDir> m_directory;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<FakeTransport> m_transport;
    std::unique_ptr<UpdateChecker> m_checker;
    QDateTime m_now;
};

void UpdateCheckerTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void UpdateCheckerTest::init()
{
    m_directory = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<QSettings>(
        m_directory->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    m_transport = std::make_unique<FakeTransport>();
    m_checker = std::make_unique<UpdateChecker>();
    m_now = QDateTime(QDate(2025, 3, 7), QTime(12, 0), Qt::UTC);
}

void UpdateCheckerTest::cleanup()
{
    m_checker.reset();
    m_transport.reset();
    m_settings.reset();
    m_directory.reset();
}

void UpdateCheckerTest::configure()
{
    m_checker->configure(QUrl(QStringLiteral("https://updates.example.org/lectorin/lectorin.json")),
        AppInfo { QStringLiteral("Lectorin"), QStringLiteral("1.0"), 50 }, m_settings.get(),
        m_transport.get(), [this] { return m_now; });
}

void UpdateCheckerTest::unconfigured_checkFails()
{
    const QFuture<void> task = m_checker->check();
    QCOMPARE(m_checker->state().kind, State::Kind::checking);
    QTRY_VERIFY(task.isFinished());
    QCOMPARE(m_checker->state(),
        State::failed(QStringLiteral("The update check is not configured."), m_checker->state().at));
    QVERIFY(m_checker->state().at.isValid());
}

void UpdateCheckerTest::configure_readsPersistedState_data()
{
    QTest::addColumn<QVariant>("enabled");
    QTest::addColumn<QVariant>("lastCheck");
    QTest::addColumn<QVariant>("skippedBuild");
    QTest::addColumn<bool>("expectedEnabled");
    QTest::addColumn<QDateTime>("expectedLastCheck"); // invalid: absent
    QTest::addColumn<qint64>("expectedSkippedBuild"); // -1: absent

    const QDateTime earlier(QDate(2025, 3, 6), QTime(8, 30), Qt::UTC);
    QTest::newRow("nothing stored") << QVariant() << QVariant() << QVariant() << false << QDateTime()
                                    << qint64(-1);
    QTest::newRow("all stored") << QVariant(true) << QVariant(earlier) << QVariant(60) << true << earlier
                                << qint64(60);
    QTest::newRow("wrong types") << QVariant(QStringLiteral("maybe")) << QVariant(QStringLiteral("yesterday"))
                                 << QVariant(QStringLiteral("sixty")) << false << QDateTime() << qint64(-1);
}

void UpdateCheckerTest::configure_readsPersistedState()
{
    QFETCH(QVariant, enabled);
    QFETCH(QVariant, lastCheck);
    QFETCH(QVariant, skippedBuild);
    QFETCH(bool, expectedEnabled);
    QFETCH(QDateTime, expectedLastCheck);
    QFETCH(qint64, expectedSkippedBuild);

    const std::pair<QLatin1String, QVariant> stored[]
        = { { Key::enabled, enabled }, { Key::lastCheck, lastCheck }, { Key::skippedBuild, skippedBuild } };
    for (const auto &[key, value] : stored) {
        if (value.isValid())
            m_settings->setValue(key, value);
    }
    // Read back through a fresh store, as the next start of the program would.
    m_settings->sync();
    m_settings = std::make_unique<QSettings>(m_settings->fileName(), QSettings::IniFormat);
    configure();

    QCOMPARE(m_checker->isAutomaticCheckEnabled(), expectedEnabled);
    QCOMPARE(m_checker->lastCheck().value_or(QDateTime()), expectedLastCheck);
    QCOMPARE(m_checker->skippedBuild().value_or(-1), expectedSkippedBuild);
    QCOMPARE(m_checker->state(), State::idle());
    QCOMPARE(m_settings->value(Key::enabled).toBool(), expectedEnabled);
    QCOMPARE(m_checker->configuration()->app.build, 50);
}

void UpdateCheckerTest::configure_httpFeedUrl_stopsTheProcess()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(kConfigureHttpFeedArgument) });
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QVERIFY2(child.readAllStandardError().contains("is not https"), "the fatal message names the cause");
}

void UpdateCheckerTest::automaticCheckSetting_isWrittenEveryTime()
{
    configure();
    QSignalSpy changes(m_checker.get(), &UpdateChecker::automaticCheckEnabledChanged);
    m_settings->remove(Key::enabled);
    m_checker->setAutomaticCheckEnabled(false);
    QCOMPARE(changes.size(), 0);
    QVERIFY(m_settings->contains(Key::enabled));
    m_checker->setAutomaticCheckEnabled(true);
    m_checker->setAutomaticCheckEnabled(true);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(m_settings->value(Key::enabled).toBool(), true);
    QVERIFY(m_transport->requests.isEmpty());
}

void UpdateCheckerTest::check_isSingleFlight()
{
    configure();
    QSignalSpy stateChanges(m_checker.get(), &UpdateChecker::stateChanged);
    const QFuture<void> first = m_checker->check();
    const QFuture<void> second = m_checker->check();
    QTRY_COMPARE(m_transport->requests.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(m_transport->requests.size(), 1);
    QVERIFY(!first.isFinished() && !second.isFinished());

    m_transport->answer(httpAnswer(200, feedDocument({ 60 })));
    QTRY_VERIFY(first.isFinished());
    QVERIFY(second.isFinished());
    QCOMPARE(stateChanges.size(), 2); // checking, then the result
    QCOMPARE(m_checker->availableRelease()->build, 60);
    QCOMPARE(m_checker->state().at, m_now);
    QCOMPARE(m_checker->lastCheck(), m_now);
    QCOMPARE(m_settings->value(Key::lastCheck).toDateTime(), m_now);

    // Finished, so the next call starts a new check.
    m_checker->check();
    QTRY_COMPARE(m_transport->requests.size(), 2);
}

void UpdateCheckerTest::request_carriesTagOnlyWithStoredCopy_data()
{
    QTest::addColumn<bool>("storedTag");
    QTest::addColumn<bool>("storedCopy");

    QTest::newRow("tag only") << true << false;
    QTest::newRow("copy only") << false << true;
    QTest::newRow("both") << true << true;
}

void UpdateCheckerTest::request_carriesTagOnlyWithStoredCopy()
{
    QFETCH(bool, storedTag);
    QFETCH(bool, storedCopy);
    if (storedTag)
        m_settings->setValue(Key::etag, QStringLiteral("W/\"abc\""));
    if (storedCopy)
        m_settings->setValue(Key::feedData, feedDocument({ 60 }));
    configure();
    m_checker->check();
    QTRY_COMPARE(m_transport->requests.size(), 1);

    const QNetworkRequest &request = m_transport->requests.first();
    QCOMPARE(request.url(), m_checker->configuration()->feedURL);
    QCOMPARE(request.rawHeader("User-Agent"), QByteArray("Skeppa/1"));
    QCOMPARE(request.transferTimeout(), 15000);
    QCOMPARE(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(),
        int(QNetworkRequest::AlwaysNetwork));
    QCOMPARE(request.hasRawHeader("If-None-Match"), storedTag && storedCopy);
    if (storedTag && storedCopy)
        QCOMPARE(request.rawHeader("If-None-Match"), QByteArray("W/\"abc\""));
}

void UpdateCheckerTest::failedCheck_data()
{
    QTest::addColumn<FeedResponse>("response");
    QTest::addColumn<QString>("message");

    FeedResponse notHttp;
    notHttp.isHttp = false;
    QTest::newRow("transport error, verbatim")
        << FeedResponse::failure(QStringLiteral("Connection refused")) << "Connection refused";
    QTest::newRow("not HTTP") << notHttp << "The server gave an unexpected answer.";
    QTest::newRow("304 without stored copy") << httpAnswer(304) << "The server gave an unexpected answer.";
    QTest::newRow("500") << httpAnswer(500, "oops") << "The server answered 500.";
    QTest::newRow("204") << httpAnswer(204) << "The server answered 204.";
}

void UpdateCheckerTest::failedCheck()
{
    QFETCH(FeedResponse, response);
    QFETCH(QString, message);

    const QDateTime earlier = m_now.addDays(-3);
    m_settings->setValue(Key::lastCheck, earlier);
    m_settings->setValue(Key::etag, QStringLiteral("\"kept\""));
    configure();
    m_now = m_now.addSecs(5);
    QSignalSpy lastCheckChanges(m_checker.get(), &UpdateChecker::lastCheckChanged);
    finishCheck(response);

    QCOMPARE(m_checker->state(), State::failed(message, m_now));
    QCOMPARE(m_checker->lastCheck(), earlier);
    QCOMPARE(lastCheckChanges.size(), 0);
    QCOMPARE(m_settings->value(Key::lastCheck).toDateTime(), earlier);
    QCOMPARE(m_settings->value(Key::etag).toString(), QStringLiteral("\"kept\""));
}

void UpdateCheckerTest::notModified_decidesFromStoredCopy()
{
    m_settings->setValue(Key::etag, QStringLiteral("\"v1\""));
    m_settings->setValue(Key::feedData, feedDocument({ 49, 61 }));
    configure();
    finishCheck(httpAnswer(304));

    QCOMPARE(m_checker->availableRelease()->build, 61);
    QCOMPARE(m_checker->lastCheck(), m_now);
    QCOMPARE(m_settings->value(Key::etag).toString(), QStringLiteral("\"v1\""));
    QCOMPARE(m_settings->value(Key::feedData).toByteArray(), feedDocument({ 49, 61 }));
}

void UpdateCheckerTest::undecodableFeed_dropsCachedCopy_data()
{
    QTest::addColumn<FeedResponse>("response");
    QTest::addColumn<QByteArray>("storedCopy");

    QTest::newRow("200 with garbage") << httpAnswer(200, "<html>", "\"v2\"") << feedDocument({ 60 });
    QTest::newRow("200 with schema 2")
        << httpAnswer(200, R"({"schema": 2})", "\"v2\"") << feedDocument({ 60 });
    QTest::newRow("304 over a broken copy") << httpAnswer(304) << QByteArray(R"({"schema": 1})");
}

void UpdateCheckerTest::undecodableFeed_dropsCachedCopy()
{
    QFETCH(FeedResponse, response);
    QFETCH(QByteArray, storedCopy);

    m_settings->setValue(Key::etag, QStringLiteral("\"v1\""));
    m_settings->setValue(Key::feedData, storedCopy);
    configure();
    finishCheck(response);

    QCOMPARE(m_checker->state(),
        State::failed(QStringLiteral("The update information could not be read."), m_now));
    QVERIFY(!m_settings->contains(Key::etag));
    QVERIFY(!m_settings->contains(Key::feedData));
    QVERIFY(!m_checker->lastCheck());
}

void UpdateCheckerTest::skip_turnsAvailableIntoSkipped()
{
    configure();
    finishCheck(httpAnswer(200, feedDocument({ 60 })));
    const Release offered = *m_checker->availableRelease();
    const QDateTime checkedAt = m_checker->state().at;
    m_now = m_now.addSecs(600);

    Release other = offered;
    other.build = 59;
    m_checker->skip(other);
    QCOMPARE(m_checker->skippedBuild(), 59);
    QCOMPARE(m_checker->state(), State::result(UpdateOutcome::available(offered), checkedAt));

    QSignalSpy stateChanges(m_checker.get(), &UpdateChecker::stateChanged);
    m_checker->skip(offered);
    QCOMPARE(m_checker->state(), State::result(UpdateOutcome::skipped(offered), checkedAt));
    QCOMPARE(stateChanges.size(), 1);
    QVERIFY(!m_checker->availableRelease());
    QCOMPARE(m_settings->value(Key::skippedBuild).toLongLong(), 60);
    QCOMPARE(m_transport->requests.size(), 1);

    // The skip survives a restart and still applies to the next check's result.
    configure();
    QCOMPARE(m_checker->skippedBuild(), 60);
    finishCheck(httpAnswer(200, feedDocument({ 60 })));
    QCOMPARE(m_checker->state().outcome, UpdateOutcome::skipped(offered));
}

void UpdateCheckerTest::checkIfDue_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<qint64>("secondsSinceLastCheck"); // -1: never checked
    QTest::addColumn<bool>("checks");

    QTest::newRow("off, long ago") << false << qint64(10 * 86400) << false;
    QTest::newRow("on, never checked") << true << qint64(-1) << true;
    QTest::newRow("on, 23:59 ago") << true << qint64(86400 - 60) << false;
    QTest::newRow("on, 24:00 ago") << true << qint64(86400) << true;
    QTest::newRow("on, clock set back") << true << qint64(-3600 * 5) << false;
}

void UpdateCheckerTest::checkIfDue()
{
    QFETCH(bool, enabled);
    QFETCH(qint64, secondsSinceLastCheck);
    QFETCH(bool, checks);

    m_settings->setValue(Key::enabled, enabled);
    if (secondsSinceLastCheck != -1) {
        // A negative offset puts the last check in the future, as a clock set back does.
        m_settings->setValue(Key::lastCheck, m_now.addSecs(-secondsSinceLastCheck));
    }
    configure();
    const std::optional<QFuture<void>> task = m_checker->checkIfDue();
    QCOMPARE(task.has_value(), checks);
    QCOMPARE(m_checker->state().kind, checks ? State::Kind::checking : State::Kind::idle);
    if (checks)
        QTRY_COMPARE(m_transport->requests.size(), 1);
}

void UpdateCheckerTest::reconfigureDuringCheck_dropsTheStaleAnswer()
{
    configure();
    const QFuture<void> task = m_checker->check();
    QTRY_COMPARE(m_transport->pending.size(), 1);
    configure();
    m_transport->answer(httpAnswer(200, feedDocument({ 60 })));
    QTRY_VERIFY(task.isFinished());
    QCOMPARE(m_checker->state(), State::idle());
    QVERIFY(!m_checker->lastCheck());
}

void UpdateCheckerTest::checkerGoneBeforeTheAnswer_isHarmless()
{
    configure();
    const QFuture<void> task = m_checker->check();
    QTRY_COMPARE(m_transport->pending.size(), 1);
    m_checker.reset();
    m_transport->answer(httpAnswer(200, feedDocument({ 60 })));
    QCoreApplication::processEvents();
    QVERIFY(task.isFinished());
    QVERIFY(!m_settings->contains(Key::feedData));
}

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], kConfigureHttpFeedArgument) == 0) {
        UpdateChecker checker;
        checker.configure(
            QUrl(QStringLiteral("http://updates.example.org/lectorin/lectorin.json")), AppInfo {});
        return 0;
    }
    UpdateCheckerTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updatechecker.moc"

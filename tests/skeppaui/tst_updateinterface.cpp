// SPDX-License-Identifier: GPL-3.0-or-later
#include "../skeppa/faketransport.h"
#include "../skeppa/testfeeds.h"

#include "skeppaui/availablereleaserow.h"
#include "skeppaui/downloadbutton.h"
#include "skeppaui/updatecommands.h"
#include "skeppaui/updatenotice.h"
#include "skeppaui/updateresultrow.h"
#include "skeppaui/updatesettingssection.h"
#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"
#include "skeppa/updatefeed.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Skeppa;
using namespace SkeppaUI;
using State = UpdateChecker::State;

Q_DECLARE_METATYPE(Skeppa::FeedResponse)

namespace {

const QUrl kFeedUrl(QStringLiteral("https://updates.example.org/lectorin/lectorin.json"));

Release release(qint64 build,
    const QUrl &url
    = QUrl(QStringLiteral("https://github.com/lectorin/lectorin/releases/download/x/l.tar.gz")))
{
    Release made;
    made.version = QStringLiteral("1.%1").arg(build);
    made.build = build;
    made.minimumSystemVersion = QStringLiteral("1.0");
    made.date = QStringLiteral("2025-03-07");
    made.url = url;
    return made;
}

FeedResponse feedAnswer(
    const QList<qint64> &builds, const QString &minimumSystemVersion = QStringLiteral("1.0"))
{
    return httpAnswer(200, feedDocument(builds, minimumSystemVersion));
}

} // namespace

// Collects the addresses the views ask the desktop to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class UpdateInterfaceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void resultRow_showsEachState_data();
    void resultRow_showsEachState();
    void upToDate_withoutConfiguration_startsAtTheSpace();
    void checkNow_isDisabledWhileChecking();
    void footer_namesFeedHostOrDash();
    void lastChecked_usesRelativeDayNames_data();
    void lastChecked_usesRelativeDayNames();
    void section_toggleWritesTheSetting();
    void downloadButton_followsHostPolicy_data();
    void downloadButton_followsHostPolicy();
    void releaseRow_notesAndChecksum();
    void notice_appearsAndSkipHidesIt();
    void commands_checkThenShowResult();

private:
    void configure(UpdateChecker &checker);
    void finishCheck(const FeedResponse &response) { ::finishCheck(*m_checker, *m_transport, response); }

    std::unique_ptr<QTemporaryDir> m_directory;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<FakeTransport> m_transport;
    std::unique_ptr<UpdateChecker> m_checker;
    UrlRecorder m_urls;
    QDateTime m_now;
};

void UpdateInterfaceTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_urls, "open");
}

void UpdateInterfaceTest::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void UpdateInterfaceTest::init()
{
    m_directory = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<QSettings>(
        m_directory->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    m_transport = std::make_unique<FakeTransport>();
    m_checker = std::make_unique<UpdateChecker>();
    m_now = QDateTime(QDate(2025, 3, 7), QTime(12, 0));
    m_urls.opened.clear();
}

void UpdateInterfaceTest::cleanup()
{
    m_checker.reset();
    m_transport.reset();
    m_settings.reset();
    m_directory.reset();
}

void UpdateInterfaceTest::configure(UpdateChecker &checker)
{
    checker.configure(kFeedUrl, AppInfo { QStringLiteral("Lectorin"), QStringLiteral("1.0"), 50 },
        m_settings.get(), m_transport.get(), [this] { return m_now; });
}

void UpdateInterfaceTest::resultRow_showsEachState_data()
{
    QTest::addColumn<FeedResponse>("answer"); // status 0: leave the check running
    QTest::addColumn<bool>("check"); // false: stay idle
    QTest::addColumn<QVariant>("skippedBuild");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("showsReleaseRow");

    const QString running = SystemVersion::current().description();
    QTest::newRow("idle") << FeedResponse() << false << QVariant() << QString() << false;
    QTest::newRow("checking") << FeedResponse() << true << QVariant() << QStringLiteral("Checking\u2026")
                              << false;
    QTest::newRow("failed") << httpAnswer(503) << true << QVariant()
                            << QStringLiteral("The server answered 503.") << false;
    QTest::newRow("up to date") << feedAnswer({ 50 }) << true << QVariant()
                                << QStringLiteral("1.0 (50) is the latest version.") << false;
    QTest::newRow("available") << feedAnswer({ 50, 51 }) << true << QVariant()
                               << QStringLiteral("Version 1.51 is available.") << true;
    QTest::newRow("skipped") << feedAnswer({ 51 }) << true << QVariant(51)
                             << QStringLiteral("Version 1.51 is available.") << true;
    QTest::newRow("unsupported") << feedAnswer({ 51 }, QStringLiteral("999.0")) << true << QVariant()
                                 << QStringLiteral("Version 1.51 needs Linux 999. This computer runs Linux ")
            + running + u'.' << false;
}

void UpdateInterfaceTest::resultRow_showsEachState()
{
    QFETCH(FeedResponse, answer);
    QFETCH(bool, check);
    QFETCH(QVariant, skippedBuild);
    QFETCH(QString, expected);
    QFETCH(bool, showsReleaseRow);

    if (skippedBuild.isValid())
        m_settings->setValue(UpdateChecker::Key::skippedBuild, skippedBuild);
    configure(*m_checker);
    UpdateResultRow row(*m_checker);
    if (check && answer.statusCode == 0)
        m_checker->check();
    else if (check)
        finishCheck(answer);

    QCOMPARE(row.text(), expected);
    QCOMPARE(row.findChild<AvailableReleaseRow *>() != nullptr, showsReleaseRow);
}

void UpdateInterfaceTest::upToDate_withoutConfiguration_startsAtTheSpace()
{
    QCOMPARE(UpdateTexts::upToDate(std::nullopt), QStringLiteral(" is the latest version."));
}

void UpdateInterfaceTest::checkNow_isDisabledWhileChecking()
{
    configure(*m_checker);
    UpdateSettingsSection section(*m_checker, nullptr, [this] { return m_now; });
    QVERIFY(section.checkNowButton()->isEnabled());

    QTest::mouseClick(section.checkNowButton(), Qt::LeftButton);
    QCOMPARE(m_checker->state().kind, State::Kind::checking);
    QVERIFY(!section.checkNowButton()->isEnabled());
    QTest::mouseClick(section.checkNowButton(), Qt::LeftButton);
    QTRY_COMPARE(m_transport->pending.size(), 1);
    QCOMPARE(m_transport->requests.size(), 1);

    m_transport->answer(feedAnswer({ 50 }));
    QTRY_VERIFY(section.checkNowButton()->isEnabled());
    QVERIFY(section.lastCheckedLabel()->text().startsWith(QStringLiteral("Today at ")));
}

void UpdateInterfaceTest::footer_namesFeedHostOrDash()
{
    UpdateSettingsSection section(*m_checker);
    QVERIFY(
        section.footerLabel()->text().startsWith(QStringLiteral("When on, the app asks \u2014 once a day")));
    QCOMPARE(section.lastCheckedLabel()->text(), QStringLiteral("Never"));

    configure(*m_checker);
    QCOMPARE(section.footerLabel()->text(),
        QStringLiteral("When on, the app asks updates.example.org once a day whether a newer version exists. "
                       "The request carries no identifier and nothing about you or your computer."));
}

void UpdateInterfaceTest::lastChecked_usesRelativeDayNames_data()
{
    QTest::addColumn<QDateTime>("lastCheck");
    QTest::addColumn<QString>("expectedDay"); // followed by " at " and the short time; "Never" alone

    const QDate today(2025, 3, 7);
    QTest::newRow("never") << QDateTime() << QStringLiteral("Never");
    QTest::newRow("today") << QDateTime(today, QTime(9, 30)) << QStringLiteral("Today");
    QTest::newRow("yesterday") << QDateTime(today.addDays(-1), QTime(23, 5)) << QStringLiteral("Yesterday");
    QTest::newRow("tomorrow (clock set back)")
        << QDateTime(today.addDays(1), QTime(1, 0)) << QStringLiteral("Tomorrow");
    QTest::newRow("earlier") << QDateTime(today.addDays(-3), QTime(8, 0)) << QStringLiteral("Mar 4, 2025");
}

void UpdateInterfaceTest::lastChecked_usesRelativeDayNames()
{
    QFETCH(QDateTime, lastCheck);
    QFETCH(QString, expectedDay);

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const std::optional<QDateTime> last = lastCheck.isValid() ? std::optional(lastCheck) : std::nullopt;
    const QString expected = last
        ? expectedDay + QStringLiteral(" at ") + english.toString(lastCheck.time(), QLocale::ShortFormat)
        : expectedDay;
    QCOMPARE(UpdateTexts::lastChecked(last, m_now, english), expected);
}

void UpdateInterfaceTest::section_toggleWritesTheSetting()
{
    configure(*m_checker);
    UpdateSettingsSection section(*m_checker);
    QVERIFY(!section.automaticCheckToggle()->isChecked());
    section.automaticCheckToggle()->click();
    QVERIFY(m_checker->isAutomaticCheckEnabled());
    QCOMPARE(m_settings->value(UpdateChecker::Key::enabled).toBool(), true);
}

void UpdateInterfaceTest::downloadButton_followsHostPolicy_data()
{
    QTest::addColumn<bool>("configured");
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("code hosting") << true << QUrl(QStringLiteral("https://github.com/x/y/l.tar.gz")) << true;
    QTest::newRow("other host") << true << QUrl(QStringLiteral("https://mirror.example.net/l.tar.gz"))
                                << false;
    QTest::newRow("no configuration")
        << false << QUrl(QStringLiteral("https://github.com/x/y/l.tar.gz")) << false;
}

void UpdateInterfaceTest::downloadButton_followsHostPolicy()
{
    QFETCH(bool, configured);
    QFETCH(QUrl, url);
    QFETCH(bool, enabled);

    if (configured)
        configure(*m_checker);
    DownloadButton button(release(51, url), *m_checker);
    QCOMPARE(button.text(), QStringLiteral("Download\u2026"));
    QCOMPARE(button.isEnabled(), enabled);
    QCOMPARE(button.toolTip(),
        enabled ? QString() : QStringLiteral("The download address is not on the update server."));
    button.click();
    QCOMPARE(m_urls.opened, enabled ? QList<QUrl> { url } : QList<QUrl>());
}

void UpdateInterfaceTest::releaseRow_notesAndChecksum()
{
    Release withNotes = release(51);
    withNotes.notes = QUrl(QStringLiteral("https://updates.example.org/notes/51.html"));
    withNotes.sha256 = QStringLiteral("ab12");
    Release foreignNotes = release(51);
    foreignNotes.notes = QUrl(QStringLiteral("https://tracker.example.net/notes"));

    {
        AvailableReleaseRow unconfigured(withNotes, *m_checker);
        QVERIFY(!unconfigured.findChild<QLabel *>(QStringLiteral("releaseNotes")));
    }
    configure(*m_checker);
    AvailableReleaseRow row(withNotes, *m_checker);
    const auto *notes = row.findChild<QLabel *>(QStringLiteral("releaseNotes"));
    QVERIFY(notes);
    QVERIFY(notes->text().contains(QStringLiteral("https://updates.example.org/notes/51.html")));
    QVERIFY(notes->text().contains(QStringLiteral("Release Notes")));
    const auto *checksum = row.findChild<QLabel *>(QStringLiteral("releaseChecksum"));
    QVERIFY(checksum);
    QCOMPARE(checksum->text(), QStringLiteral("SHA-256: ab12"));

    AvailableReleaseRow foreign(foreignNotes, *m_checker);
    QVERIFY(!foreign.findChild<QLabel *>(QStringLiteral("releaseNotes")));
    QVERIFY(!foreign.findChild<QLabel *>(QStringLiteral("releaseChecksum")));
}

void UpdateInterfaceTest::notice_appearsAndSkipHidesIt()
{
    configure(*m_checker);
    QWidget host;
    auto *layout = new QVBoxLayout(&host);
    auto *notice = new UpdateNotice(*m_checker);
    layout->addWidget(notice);
    host.show();
    QVERIFY(!notice->isVisible());

    finishCheck(feedAnswer({ 51 }));
    QTRY_VERIFY(notice->isVisible());
    QCOMPARE(notice->messageLabel()->text(), QStringLiteral("Version 1.51 is available."));
    QVERIFY(notice->findChild<DownloadButton *>());
    QCOMPARE(notice->skipButton()->toolTip(), QStringLiteral("Skip this version"));
    QCOMPARE(notice->skipButton()->accessibleName(), QStringLiteral("Skip this version"));

    notice->skipButton()->click();
    QCOMPARE(m_checker->state().outcome->kind, UpdateOutcome::Kind::skipped);
    QCOMPARE(m_settings->value(UpdateChecker::Key::skippedBuild).toLongLong(), 51);
    QTRY_VERIFY(!notice->isVisible());
    QVERIFY(!notice->release());
}

void UpdateInterfaceTest::commands_checkThenShowResult()
{
    configure(*m_checker);
    int shown = 0;
    UpdateCommands commands(*m_checker, [&] {
        // The check has already started when the result is shown.
        QCOMPARE(m_checker->state().kind, State::Kind::checking);
        ++shown;
    });
    QAction *action = commands.checkForUpdatesAction();
    QCOMPARE(action->text(), QStringLiteral("Check for Updates\u2026"));
    QVERIFY(action->isEnabled());

    action->trigger();
    QCOMPARE(shown, 1);
    QVERIFY(!action->isEnabled());
    QTRY_COMPARE(m_transport->pending.size(), 1);
    m_transport->answer(feedAnswer({ 50 }));
    QTRY_VERIFY(action->isEnabled());

    UpdateCommands withoutAction(*m_checker);
    QSignalSpy requested(&withoutAction, &UpdateCommands::showResultRequested);
    withoutAction.checkForUpdatesAction()->trigger();
    QCOMPARE(requested.size(), 1);
}

QTEST_MAIN(UpdateInterfaceTest)
#include "tst_updateinterface.moc"

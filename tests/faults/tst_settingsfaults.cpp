// SPDX-License-Identifier: GPL-3.0-or-later
// Every key the program reads, holding every wrong type a damaged or hand-edited store can give back: each
// read falls back to its default or a clamped value, and nothing the user had is rewritten on the way.
#include "catalogue/appearancesetting.h"
#include "catalogue/appmodel.h"
#include "catalogue/sidebarhistory.h"
#include "skeppa/feedtransport.h"
#include "skeppa/updatechecker.h"
#include "themes/colorschemestore.h"
#include "themes/themelibrary.h"

#include <QPromise>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace Lectorin;

namespace {

// Answers every request at once with a 304, so a wrong-typed stored feed copy gets read.
class NotModifiedTransport : public Skeppa::FeedTransport
{
public:
    QFuture<Skeppa::FeedResponse> data(const QNetworkRequest &) override
    {
        Skeppa::FeedResponse response;
        response.statusCode = 304;
        QPromise<Skeppa::FeedResponse> promise;
        promise.start();
        promise.addResult(response);
        promise.finish();
        return promise.future();
    }
};

const QStringList kKeys { "history", "viewerFontScale", "appearance", "historyLimit", "historyPaneHeight",
    "lastWindowWidth", "lastWindowHeight", "themeMode", "themeSingle", "themeLight", "themeDark",
    "skeppa.enabled", "skeppa.lastCheck", "skeppa.skippedBuild", "skeppa.etag", "skeppa.feedData" };

} // namespace

class SettingsFaultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void wrongType_everyKeyFallsBack_data();
    void wrongType_everyKeyFallsBack();
    void damagedIniText_everyKeyFallsBack();

private:
    void readEveryKey(QSettings &settings);

    QTemporaryDir m_dir;
};

void SettingsFaultsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void SettingsFaultsTest::wrongType_everyKeyFallsBack_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("empty text") << QVariant(QString());
    QTest::newRow("garbage text") << QVariant(QStringLiteral("\u00ff<&>\n"));
    QTest::newRow("nan text") << QVariant(QStringLiteral("nan"));
    QTest::newRow("inf text") << QVariant(QStringLiteral("-inf"));
    QTest::newRow("huge text") << QVariant(QStringLiteral("1e308"));
    QTest::newRow("nan") << QVariant(std::nan(""));
    QTest::newRow("infinity") << QVariant(HUGE_VAL);
    QTest::newRow("huge") << QVariant(1.0e300);
    QTest::newRow("negative") << QVariant(-5);
    QTest::newRow("int max") << QVariant(std::numeric_limits<qint64>::max());
    QTest::newRow("uint64 max") << QVariant(std::numeric_limits<quint64>::max());
    QTest::newRow("bool") << QVariant(true);
    QTest::newRow("bytes") << QVariant(QByteArray("\x00\xff\x01", 3));
    QTest::newRow("date") << QVariant(QDateTime(QDate(1, 1, 1), QTime(0, 0)));
    QTest::newRow("invalid date") << QVariant(QDateTime());
    QTest::newRow("empty list") << QVariant(QStringList());
    QTest::newRow("list") << QVariant(QStringList { "1/ls", "" });
    QTest::newRow("mixed list") << QVariant(QVariantList { 1, QStringLiteral("x"), QVariant() });
    QTest::newRow("map") << QVariant(QVariantMap { { "a", 1 } });
}

void SettingsFaultsTest::wrongType_everyKeyFallsBack()
{
    QFETCH(QVariant, value);
    QSettings settings(m_dir.filePath(QStringLiteral("typed.ini")), QSettings::IniFormat);
    settings.clear();
    for (const QString &key : kKeys)
        settings.setValue(key, value);
    readEveryKey(settings);
}

void SettingsFaultsTest::damagedIniText_everyKeyFallsBack()
{
    // What a hand edit or a half-written file leaves: values the INI reader hands back as text or nothing.
    const QString path = m_dir.filePath(QStringLiteral("damaged.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray text = "[General]\n";
    int n = 0;
    const QList<QByteArray> values { "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x2\\xff)", "@ByteArray(",
        "\"unterminated", "1, 2, 3", "@DateTime(garbage)", "@Size(1 2)", "\\xff\\xfe" };
    for (const QString &key : kKeys)
        text += key.toUtf8() + '=' + values.at(n++ % values.size()) + '\n';
    text += "\x00\xff=1\n";
    QVERIFY(file.write(text) == text.size());
    file.close();
    QSettings settings(path, QSettings::IniFormat);
    readEveryKey(settings);
}

void SettingsFaultsTest::readEveryKey(QSettings &settings)
{
    QMap<QString, QVariant> before;
    for (const QString &key : kKeys)
        before.insert(key, settings.value(key));

    AppModel app(
        &settings, AppModel::Discovery { [] { return QStringList(); }, [] { return QStringList(); } });
    QVERIFY(std::isfinite(app.fontScale()));
    QVERIFY(app.fontScale() >= AppModel::kMinFontScale && app.fontScale() <= AppModel::kMaxFontScale);
    QVERIFY(app.history().size() <= AppModel::kHistoryCapacity);

    const AppearanceSetting appearance = storedAppearance(settings);
    QVERIFY(allAppearanceSettings().contains(appearance));

    // The stored limit stays as it is; the clamp applies where rows are counted.
    const int limit = SidebarHistory::storedHistoryLimit(settings);
    QVERIFY(
        SidebarHistory::displayedHistory(app.history(), limit).size() <= SidebarHistory::kMaxHistoryLimit);
    const double paneHeight = SidebarHistory::storedPaneHeight(settings);
    QVERIFY(std::isfinite(paneHeight));
    QVERIFY(std::isfinite(SidebarHistory::laidOutPaneHeight(paneHeight, 600)));

    ThemeLibrary library(
        m_dir.filePath(QStringLiteral("noshipped")), m_dir.filePath(QStringLiteral("nouser")));
    library.reload();
    ColorSchemeStore store(&library, &settings);
    QVERIFY(!store.theme().has_value());

    NotModifiedTransport transport;
    Skeppa::UpdateChecker checker;
    const QDateTime now(QDate(2025, 3, 7), QTime(12, 0), Qt::UTC);
    checker.configure(QUrl(QStringLiteral("https://updates.example.org/lectorin/lectorin.json")),
        Skeppa::AppInfo { QStringLiteral("Lectorin"), QStringLiteral("1.0"), 1 }, &settings, &transport,
        [now] { return now; });
    if (const auto lastCheck = checker.lastCheck())
        QVERIFY(lastCheck->isValid());
    checker.check();
    QTRY_VERIFY(checker.state().kind == Skeppa::UpdateChecker::State::Kind::failed
        || checker.state().kind == Skeppa::UpdateChecker::State::Kind::result);

    // Reading rewrites none of the viewer's keys; the update check may normalise its switch, record the check
    // and drop an unreadable feed copy.
    for (const QString &key : kKeys) {
        if (key.startsWith(QLatin1String("skeppa.")))
            continue;
        const QVariant now = settings.value(key);
        QCOMPARE(now.typeId(), before.value(key).typeId());
        if (now.typeId() != QMetaType::Double || !std::isnan(now.toDouble()))
            QCOMPARE(now, before.value(key));
    }
}

QTEST_GUILESS_MAIN(SettingsFaultsTest)
#include "tst_settingsfaults.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appearancesetting.h"
#include "catalogue/appmodel.h"

#include "cataloguetestfiles.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTest>

#include <atomic>
#include <memory>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

namespace {

// A manual tree and a command folder on disk, and a model over them with its own settings file.
struct Fixture
{
    QTemporaryDir dir;
    std::atomic<int> manualDiscoveries = 0;
    std::unique_ptr<QSettings> settings;

    Fixture() { settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat); }
    // A command scan may still be running when a test ends; its discovery reads this fixture.
    ~Fixture() { QThreadPool::globalInstance()->waitForDone(); }
    QString man() const { return dir.filePath("man"); }
    QString bin() const { return dir.filePath("bin"); }

    std::unique_ptr<AppModel> makeModel()
    {
        AppModel::Discovery discovery {
            [this] {
                ++manualDiscoveries;
                return QStringList { man() };
            },
            [this] { return QStringList { bin() }; },
        };
        return std::make_unique<AppModel>(settings.get(), std::move(discovery));
    }
};

} // namespace

class AppModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void resolvePage_exactPrefixFallbackAndCase();
    void firstLoad_runsOnceForManyWindows();
    void refreshIndex_droppedDuringLoadAndWhileRunning();
    void helpPages_appearAfterCommandScanAndLeaveAfterRescan();
    void history_promoteNoPromoteCapAndClear();
    void history_survivesSettingsRoundTrip();
    void fontScale_clampedFromStoreAndOnAssignment_data();
    void fontScale_clampedFromStoreAndOnAssignment();
    void appearance_storedKeyTakesOnlyItsRawValues();
};

void AppModelTest::resolvePage_exactPrefixFallbackAndCase()
{
    Fixture fixture;
    for (const char *file :
        { "man1/printf.1", "man3/printf.3", "man1/perl.1", "man1/perlfunc.1", "man3/SSL.3ssl" })
        touch(fixture.man() + "/" + file);
    auto model = fixture.makeModel();
    QSignalSpy ready(model.get(), &AppModel::indexStateChanged);
    model->loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, 10000);

    const auto sectionOf = [&](const QString &name, std::optional<QString> section) {
        const auto page = model->resolvePage(name, section);
        return page ? page->section : QStringLiteral("none");
    };
    QCOMPARE(sectionOf("printf", std::nullopt), QStringLiteral("1"));
    QCOMPARE(sectionOf("printf", "3"), QStringLiteral("3"));
    QCOMPARE(sectionOf("printf", "2"), QStringLiteral("1"));
    QCOMPARE(sectionOf("printf", ""), QStringLiteral("1"));
    QCOMPARE(sectionOf("Printf", std::nullopt), QStringLiteral("none"));
    QCOMPARE(sectionOf("perl", "1p"), QStringLiteral("1"));
    QCOMPARE(sectionOf("SSL", "3"), QStringLiteral("3ssl"));
    QCOMPARE(sectionOf("nothing", "1"), QStringLiteral("none"));
    QCOMPARE(model->page("3/printf")->displayName, QStringLiteral("printf(3)"));
    QVERIFY(!model->page("9/printf"));
}

void AppModelTest::firstLoad_runsOnceForManyWindows()
{
    Fixture fixture;
    touch(fixture.man() + "/man1/ls.1");
    auto model = fixture.makeModel();
    QSignalSpy ready(model.get(), &AppModel::indexStateChanged);
    QSignalSpy pages(model.get(), &AppModel::pagesChanged);
    QCOMPARE(model->indexState(), AppModel::IndexState::loading);
    model->loadIndexIfNeeded();
    model->loadIndexIfNeeded();
    QVERIFY(model->indexLoadStarted());
    QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, 10000);
    model->loadIndexIfNeeded();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls" }));
    QCOMPARE(model->indexState(), AppModel::IndexState::ready);
    // The model waits for its discoveries as it goes, so a second one would have run by then.
    model.reset();
    QCOMPARE(fixture.manualDiscoveries.load(), 1);
}

void AppModelTest::refreshIndex_droppedDuringLoadAndWhileRunning()
{
    Fixture fixture;
    touch(fixture.man() + "/man1/ls.1");
    auto model = fixture.makeModel();
    QSignalSpy ready(model.get(), &AppModel::indexStateChanged);
    QSignalSpy refreshing(model.get(), &AppModel::isRefreshingIndexChanged);
    QSignalSpy loaded(model.get(), &AppModel::indexLoaded);

    model->refreshIndex(); // before any load: nothing
    model->loadIndexIfNeeded();
    model->refreshIndex(); // during the first load: dropped
    QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, 10000);
    QCOMPARE(fixture.manualDiscoveries.load(), 1);

    touch(fixture.man() + "/man8/mount.8");
    model->refreshIndex();
    model->refreshIndex(); // while the first re-scan runs: dropped
    QVERIFY(model->isRefreshingIndex());
    QTRY_COMPARE_WITH_TIMEOUT(refreshing.size(), 2, 10000);
    QVERIFY(!model->isRefreshingIndex());
    QCOMPARE(fixture.manualDiscoveries.load(), 2);
    QCOMPARE(loaded.size(), 2);
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls", "8/mount" }));
    QCOMPARE(model->indexState(), AppModel::IndexState::ready); // never back to loading
    QCOMPARE(ready.size(), 1);
}

void AppModelTest::helpPages_appearAfterCommandScanAndLeaveAfterRescan()
{
    Fixture fixture;
    touch(fixture.man() + "/man1/ls.1");
    touch(fixture.bin() + "/ls", kExecutable);
    touch(fixture.bin() + "/foo", kExecutable);
    touch(fixture.bin() + "/bar", kExecutable);
    auto model = fixture.makeModel();
    QSignalSpy helpLoaded(model.get(), &AppModel::helpPagesLoaded);
    model->loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(helpLoaded.size(), 1, 10000);

    QCOMPARE(idsOf(model->helpPages()), QStringList({ "help/bar", "help/foo" }));
    QCOMPARE(model->resolvePage("foo", std::nullopt)->id(), QStringLiteral("help/foo"));
    QCOMPARE(model->resolvePage("ls", std::nullopt)->id(), QStringLiteral("1/ls"));
    QVERIFY(model->page("help/bar"));
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls" })); // help pages are not catalogue pages

    // "foo" disappears from the path; "bar" gains a manual page.
    QFile::remove(fixture.bin() + "/foo");
    touch(fixture.man() + "/man1/bar.1");
    // Until the new command scan ends, the old help pages stay reachable.
    QString fooWhenCatalogueArrived;
    connect(model.get(), &AppModel::indexLoaded, this, [&] {
        const auto foo = model->resolvePage("foo", std::nullopt);
        fooWhenCatalogueArrived = foo ? foo->id() : QStringLiteral("none");
    });
    model->refreshIndex();
    QTRY_COMPARE_WITH_TIMEOUT(helpLoaded.size(), 2, 10000);
    QCOMPARE(fooWhenCatalogueArrived, QStringLiteral("help/foo"));
    QVERIFY(!model->resolvePage("foo", std::nullopt));
    QVERIFY(!model->page("help/foo"));
    QVERIFY(model->pagesNamed("foo").isEmpty());
    QCOMPARE(model->resolvePage("bar", std::nullopt)->id(), QStringLiteral("1/bar"));
    QVERIFY(!model->page("help/bar"));
    QVERIFY(model->helpPages().isEmpty());
}

void AppModelTest::history_promoteNoPromoteCapAndClear()
{
    Fixture fixture;
    fixture.settings->setValue("history", QStringList { "3/printf", "1/ls" });
    auto model = fixture.makeModel();
    QSignalSpy changes(model.get(), &AppModel::historyChanged);

    model->recordVisit("1/ls", false);
    QCOMPARE(model->history(), QStringList({ "3/printf", "1/ls" }));
    QCOMPARE(changes.size(), 0);
    model->recordVisit("1/ls", true);
    QCOMPARE(model->history(), QStringList({ "1/ls", "3/printf" }));
    model->recordVisit("5/passwd", false);
    QCOMPARE(model->history(), QStringList({ "5/passwd", "1/ls", "3/printf" }));
    model->recordVisit("5/passwd", true); // already first: nothing changes
    QCOMPARE(changes.size(), 2);
    QCOMPARE(fixture.settings->value("history").toStringList(), model->history());

    for (int i = 0; i < 120; ++i)
        model->recordVisit(QStringLiteral("1/page%1").arg(i), true);
    QCOMPARE(model->history().size(), 100);
    QCOMPARE(model->history().first(), QStringLiteral("1/page119"));
    QCOMPARE(model->history().last(), QStringLiteral("1/page20"));

    model->clearHistory();
    QVERIFY(model->history().isEmpty());
    QVERIFY(!fixture.settings->contains("history"));
}

void AppModelTest::history_survivesSettingsRoundTrip()
{
    Fixture fixture;
    {
        auto model = fixture.makeModel();
        model->recordVisit("1/ls", true); // a one-element list is written as a plain INI string
    }
    fixture.settings->sync();
    fixture.settings
        = std::make_unique<QSettings>(fixture.dir.filePath("settings.ini"), QSettings::IniFormat);
    QCOMPARE(fixture.makeModel()->history(), QStringList({ "1/ls" }));

    fixture.settings->setValue("history", 42);
    QVERIFY(fixture.makeModel()->history().isEmpty());
    fixture.settings->setValue("history", QVariantList { "1/ls", 7 });
    QVERIFY(fixture.makeModel()->history().isEmpty());
    QStringList long_;
    for (int i = 0; i < 150; ++i)
        long_ << QStringLiteral("1/p%1").arg(i);
    fixture.settings->setValue("history", long_);
    QCOMPARE(fixture.makeModel()->history().size(), 150); // read as stored; trimmed on the next visit
}

void AppModelTest::fontScale_clampedFromStoreAndOnAssignment_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<double>("loaded");
    QTest::newRow("5") << QVariant(5.0) << 3.0;
    QTest::newRow("0.2") << QVariant(0.2) << 0.5;
    QTest::newRow("0") << QVariant(0.0) << 1.0;
    QTest::newRow("-1") << QVariant(-1.0) << 1.0;
    QTest::newRow("missing") << QVariant() << 1.0;
    QTest::newRow("1.5 as text") << QVariant("1.5") << 1.5;
    QTest::newRow("garbage") << QVariant("big") << 1.0;
    QTest::newRow("list") << QVariant(QStringList { "2" }) << 1.0;
    QTest::newRow("nan") << QVariant("nan") << 1.0;
}

void AppModelTest::fontScale_clampedFromStoreAndOnAssignment()
{
    QFETCH(QVariant, stored);
    QFETCH(double, loaded);
    Fixture fixture;
    if (stored.isValid())
        fixture.settings->setValue("viewerFontScale", stored);
    auto model = fixture.makeModel();
    QCOMPARE(model->fontScale(), loaded);

    QSignalSpy changes(model.get(), &AppModel::fontScaleChanged);
    model->setFontScale(10);
    model->setFontScale(3.5);
    QCOMPARE(model->fontScale(), 3.0);
    QCOMPARE(changes.size(), loaded == 3.0 ? 0 : 1);
    QCOMPARE(fixture.settings->value("viewerFontScale").toDouble(), loaded == 3.0 ? stored.toDouble() : 3.0);
    model->setFontScale(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(model->fontScale(), 3.0);
}

void AppModelTest::appearance_storedKeyTakesOnlyItsRawValues()
{
    Fixture fixture;
    QCOMPARE(storedAppearance(*fixture.settings), AppearanceSetting::system);
    fixture.settings->setValue("appearance", "light");
    QCOMPARE(storedAppearance(*fixture.settings), AppearanceSetting::light);
    fixture.settings->setValue("appearance", "Dark");
    QCOMPARE(storedAppearance(*fixture.settings), AppearanceSetting::system);
    fixture.settings->setValue("appearance", 3);
    QCOMPARE(storedAppearance(*fixture.settings), AppearanceSetting::system);
}

QTEST_GUILESS_MAIN(AppModelTest)
#include "tst_appmodel.moc"

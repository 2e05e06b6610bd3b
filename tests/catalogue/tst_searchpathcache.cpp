// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "catalogue/catalogueloader.h"
#include "catalogue/searchpathcache.h"
#include "render/pendingpagelookup.h"

#include "cataloguetestfiles.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

namespace {

// Two manual trees, a cache file, and a discovery that answers only once the test lets it: a slow login
// shell.
struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<QSettings> settings;
    std::atomic<bool> shellStarted = false;
    std::atomic<bool> stopped = false;
    std::atomic<int> discoveries = 0;
    QStringList discoveredManual;

    Fixture()
    {
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        touch(dir.filePath("old/man1/ls.1"));
        touch(dir.filePath("new/man1/ls.1"));
        touch(dir.filePath("new/man8/mount.8"));
        discoveredManual = { dir.filePath("new") };
    }
    QString cacheFile() const { return dir.filePath("cache/search-paths.json"); }
    SearchPathSet oldPaths() const { return { { dir.filePath("old") }, { dir.filePath("bin") } }; }

    std::unique_ptr<AppModel> makeModel()
    {
        AppModel::Discovery discovery {
            [this] {
                ++discoveries;
                while (!shellStarted)
                    QThread::msleep(5);
                return discoveredManual;
            },
            [this] { return QStringList { dir.filePath("bin") }; },
            cacheFile(),
        };
        // As the login shell would, the wait ends when the discovery is stopped.
        discovery.stop = [this] {
            stopped = true;
            shellStarted = true;
        };
        return std::make_unique<AppModel>(settings.get(), std::move(discovery));
    }
};

} // namespace

class SearchPathCacheTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void file_roundTripsAndRejectsWhatItDidNotWrite();
    void firstStart_discoversThenRemembers();
    void laterStart_showsCachedPathsBeforeTheShellAnswers();
    void laterStart_unchangedPathsAreNotScannedAgain();
    void quitting_stopsTheDiscoveryThatRuns();
};

void SearchPathCacheTest::file_roundTripsAndRejectsWhatItDidNotWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("deeper/search-paths.json");
    QVERIFY(!SearchPathCache::read(path));
    const SearchPathSet paths { { "/usr/share/man", "/opt/a b/man" }, { "/usr/bin" } };
    QVERIFY(SearchPathCache::write(path, paths));
    QCOMPARE(SearchPathCache::read(path), paths);
    // Another login shell or search path in the environment may discover other folders.
    const QByteArray shell = qgetenv("SHELL");
    qputenv("SHELL", "/bin/another-shell");
    QVERIFY(!SearchPathCache::read(path));
    qputenv("SHELL", shell);
    QCOMPARE(SearchPathCache::read(path), paths);

    for (const QByteArray &damaged : { QByteArray("not json"), QByteArray("{}"), QByteArray("[1,2]"),
             QByteArray(R"({"manualDirectories":[],"commandDirectories":["/bin"]})"),
             QByteArray(R"({"manualDirectories":["relative/man"],"commandDirectories":["/bin"]})"),
             QByteArray(R"({"manualDirectories":[7],"commandDirectories":["/bin"]})") }) {
        writeFile(path, damaged);
        QVERIFY2(!SearchPathCache::read(path), damaged.constData());
    }
    writeFile(dir.filePath("plain"), "a file where a folder should be");
    QVERIFY(!SearchPathCache::write(dir.filePath("plain/search-paths.json"), paths));
}

void SearchPathCacheTest::firstStart_discoversThenRemembers()
{
    Fixture fixture;
    fixture.shellStarted = true;
    auto model = fixture.makeModel();
    QSignalSpy helpLoaded(model.get(), &AppModel::helpPagesLoaded);
    model->loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(helpLoaded.size(), 1, 10000);
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls", "8/mount" }));
    const auto stored = SearchPathCache::read(fixture.cacheFile());
    QVERIFY(stored);
    QCOMPARE(stored->manualDirectories, fixture.discoveredManual);
    QCOMPARE(fixture.discoveries.load(), 1);
}

void SearchPathCacheTest::laterStart_showsCachedPathsBeforeTheShellAnswers()
{
    Fixture fixture;
    QVERIFY(SearchPathCache::write(fixture.cacheFile(), fixture.oldPaths()));
    auto model = fixture.makeModel();
    QSignalSpy ready(model.get(), &AppModel::indexStateChanged);
    QSignalSpy refreshing(model.get(), &AppModel::isRefreshingIndexChanged);
    model->loadIndexIfNeeded();
    // The shell has not answered, yet the catalogue of the remembered folders is there.
    QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, 10000);
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls" }));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.discoveries.load(), 1, 10000);

    // A page the remembered folders lack waits for the shell before it is called not installed; one they
    // hold is found at once.
    using Found = std::optional<ManPage>;
    const auto lookUp = [&](const QString &name) {
        auto *lookup = new PendingPageLookup(model.get(), { name, std::nullopt }, model.get());
        auto spy = std::make_unique<QSignalSpy>(lookup, &PendingPageLookup::finished);
        lookup->start();
        return spy;
    };
    const auto ls = lookUp("ls");
    const auto mount = lookUp("mount");
    const auto nosuch = lookUp("nosuch");
    QCOMPARE(ls->size(), 1);
    QCOMPARE(ls->first().first().value<Found>()->id(), "1/ls");
    QCOMPARE(mount->size(), 0);
    QCOMPARE(nosuch->size(), 0);

    fixture.shellStarted = true;
    QTRY_COMPARE_WITH_TIMEOUT(refreshing.size(), 2, 10000);
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls", "8/mount" }));
    QCOMPARE(mount->size(), 1);
    QCOMPARE(mount->first().first().value<Found>()->id(), "8/mount");
    QCOMPARE(nosuch->size(), 1);
    QCOMPARE(nosuch->first().first().value<Found>(), std::nullopt);
    QTRY_COMPARE_WITH_TIMEOUT(
        SearchPathCache::read(fixture.cacheFile())->manualDirectories, fixture.discoveredManual, 10000);
    QCOMPARE(model->indexState(), AppModel::IndexState::ready);
}

void SearchPathCacheTest::laterStart_unchangedPathsAreNotScannedAgain()
{
    Fixture fixture;
    fixture.discoveredManual = fixture.oldPaths().manualDirectories;
    QVERIFY(SearchPathCache::write(fixture.cacheFile(), fixture.oldPaths()));
    auto model = fixture.makeModel();
    QSignalSpy loaded(model.get(), &AppModel::indexLoaded);
    QSignalSpy refreshing(model.get(), &AppModel::isRefreshingIndexChanged);
    model->loadIndexIfNeeded();
    fixture.shellStarted = true;
    // Confirming ends in `idle`; a wrongly started re-scan would have loaded again on its way there.
    const auto *loader = model->findChild<CatalogueLoader *>();
    QVERIFY(loader);
    QTRY_COMPARE_WITH_TIMEOUT(loader->state(), CatalogueLoader::State::idle, 10000);
    QCOMPARE(fixture.discoveries.load(), 1);
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(refreshing.size(), 0);
    QCOMPARE(idsOf(model->pages()), QStringList({ "1/ls" }));

    // A re-scan the user asks for still discovers afresh.
    model->refreshIndex();
    QTRY_COMPARE_WITH_TIMEOUT(refreshing.size(), 2, 10000);
    QCOMPARE(fixture.discoveries.load(), 2);
}

// A login shell that never answers would keep the program from quitting; the model stops it as it goes.
void SearchPathCacheTest::quitting_stopsTheDiscoveryThatRuns()
{
    Fixture fixture;
    auto model = fixture.makeModel();
    model->loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(fixture.discoveries.load(), 1, 10000);
    QVERIFY(!fixture.stopped);
    model.reset();
    QVERIFY(fixture.stopped);
}

QTEST_GUILESS_MAIN(SearchPathCacheTest)
#include "tst_searchpathcache.moc"

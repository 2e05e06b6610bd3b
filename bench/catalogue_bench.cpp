// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue costs over a synthetic 100,000-page manual tree, with the bare directory walk as the floor.
#include "synthetictree.h"

#include "catalogue/appmodel.h"
#include "catalogue/manindex.h"
#include "catalogue/sidebarfilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>

#include <memory>

using namespace Lectorin;

namespace {

constexpr int kPageCount = 100000;

SyntheticTree &tree()
{
    static SyntheticTree instance(kPageCount);
    return instance;
}

// The model loaded over the tree once, as the program loads it.
AppModel &loadedModel()
{
    static QTemporaryDir settingsFolder;
    static QSettings settings(settingsFolder.filePath(QStringLiteral("bench.ini")), QSettings::IniFormat);
    static std::unique_ptr<AppModel> model = [] {
        auto loaded = std::make_unique<AppModel>(&settings,
            AppModel::Discovery {
                [] { return QStringList { tree().root() }; }, [] { return QStringList(); } });
        QEventLoop loop;
        QObject::connect(loaded.get(), &AppModel::helpPagesLoaded, &loop, &QEventLoop::quit);
        loaded->loadIndexIfNeeded();
        loop.exec();
        return loaded;
    }();
    return *model;
}

// The roots of LECTORIN_BENCH_MANPATH (colon-separated), for the same figures over a real manual path.
QStringList realRoots()
{
    return qEnvironmentVariable("LECTORIN_BENCH_MANPATH").split(u':', Qt::SkipEmptyParts);
}

// What a scan lists: each root and its "man*" folders.
QList<QByteArray> listedFolders(const QStringList &roots)
{
    QList<QByteArray> folders;
    for (const QString &root : roots) {
        folders.append(QFile::encodeName(root));
        for (const QString &entry : QDir(root).entryList({ QStringLiteral("man*") }, QDir::Dirs))
            folders.append(QFile::encodeName(root + u'/' + entry));
    }
    return folders;
}

void walk(benchmark::State &state, const QList<QByteArray> &folders)
{
    for (auto _ : state) {
        qsizetype entries = 0;
        for (const QByteArray &folder : folders) {
            DIR *directory = opendir(folder.constData());
            if (!directory)
                continue;
            while (const dirent *entry = readdir(directory)) {
                benchmark::DoNotOptimize(entry->d_name[0]);
                ++entries;
            }
            closedir(directory);
        }
        benchmark::DoNotOptimize(entries);
    }
}

void scan(benchmark::State &state, const QList<PageLanguages::ManualRoot> &roots)
{
    for (auto _ : state) {
        Catalogue catalogue = ManIndex::scanWithTranslations(roots);
        benchmark::DoNotOptimize(catalogue.pages().size());
        // Freeing a catalogue is not part of a scan: the program frees the old one when the new one is shown.
        state.PauseTiming();
        catalogue = Catalogue();
        state.ResumeTiming();
    }
    state.counters["pages"] = double(ManIndex::scanWithTranslations(roots).pages().size());
}

void scan(benchmark::State &state, const QStringList &roots)
{
    scan(state, PageLanguages::withTranslations(roots, {}));
}

void BM_BareDirectoryWalk(benchmark::State &state)
{
    walk(state, listedFolders({ tree().root() }));
}
BENCHMARK(BM_BareDirectoryWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ManIndexScan(benchmark::State &state)
{
    scan(state, { tree().root() });
}
BENCHMARK(BM_ManIndexScan)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RealPathWalk(benchmark::State &state)
{
    if (realRoots().isEmpty())
        state.SkipWithError("LECTORIN_BENCH_MANPATH is not set");
    walk(state, listedFolders(realRoots()));
}
BENCHMARK(BM_RealPathWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RealPathScan(benchmark::State &state)
{
    if (realRoots().isEmpty())
        state.SkipWithError("LECTORIN_BENCH_MANPATH is not set");
    scan(state, realRoots());
}
BENCHMARK(BM_RealPathScan)->Unit(benchmark::kMillisecond)->UseRealTime();

// A German reader's scan: each root's de_DE.UTF-8, de_DE, de.UTF-8 and de folders before the root.
void BM_RealPathScanGerman(benchmark::State &state)
{
    if (realRoots().isEmpty())
        state.SkipWithError("LECTORIN_BENCH_MANPATH is not set");
    scan(state, PageLanguages::withTranslations(realRoots(), { QStringLiteral("de_DE.UTF-8") }));
}
BENCHMARK(BM_RealPathScanGerman)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FilterKeystroke(benchmark::State &state, const char *filter)
{
    AppModel &model = loadedModel();
    const QString typed = QString::fromLatin1(filter);
    qsizetype matches = 0;
    for (auto _ : state) {
        // What a keystroke costs: normalise the field's text, rank and sort both lists.
        const SidebarFilter::Sections sections = SidebarFilter::sections(model, typed, true);
        matches = sections.commands.count();
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = double(matches);
}
BENCHMARK_CAPTURE(BM_FilterKeystroke, l, "l")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke, ls, "ls")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke, git, "git")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke, x, "x")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke, zz, "zz")->Unit(benchmark::kMicrosecond);

void BM_ResolvePage(benchmark::State &state)
{
    AppModel &model = loadedModel();
    const QStringList names = tree().sampleNames();
    const std::optional<QString> section = QStringLiteral("3");
    qsizetype next = 0;
    for (auto _ : state) {
        const QString &name = names.at(next++ % names.size());
        benchmark::DoNotOptimize(model.resolvePage(name, next % 2 ? section : std::nullopt));
    }
}
BENCHMARK(BM_ResolvePage)->Unit(benchmark::kNanosecond);

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

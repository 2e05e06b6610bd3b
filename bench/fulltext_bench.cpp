// SPDX-License-Identifier: GPL-3.0-or-later
// The full-text index over this machine's manual pages: first index, re-index with nothing changed, queries
// of one and two common words, and the index size against the text it holds. LECTORIN_BENCH_PAGES limits
// the pages indexed (all of them by default).
#include "catalogue/manindex.h"
#include "catalogue/searchpaths.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextindexer.h"
#include "fulltext/fulltextsearch.h"
#include "fulltext/pagetext.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace Lectorin;

struct Corpus
{
    QTemporaryDir directory;
    QList<ManPage> pages;
    QString indexPath;
};

Corpus &corpus()
{
    static Corpus shared = [] {
        Corpus made;
        made.pages = ManIndex::scan(SearchPaths::manualDirectories()).pages();
        const qsizetype limit = qEnvironmentVariableIntValue("LECTORIN_BENCH_PAGES");
        if (limit > 0 && limit < made.pages.size())
            made.pages.resize(limit);
        made.indexPath = made.directory.filePath(QStringLiteral("fulltext.sqlite"));
        return made;
    }();
    return shared;
}

// Processor seconds of this process and its finished children: on a shared machine the wall time says more
// about the neighbours than about the indexer.
double processorSeconds()
{
    double seconds = 0;
    for (const int who : { RUSAGE_SELF, RUSAGE_CHILDREN }) {
        rusage usage {};
        getrusage(who, &usage);
        seconds += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

qint64 indexBytes(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

void firstIndex(benchmark::State &state)
{
    Corpus &data = corpus();
    qint64 textBytes = 0;
    for (auto _ : state) {
        FullTextIndex::removeFiles(data.indexPath);
        const double processorBefore = processorSeconds();
        const auto summary = FullTextIndexer::updateBlocking(data.pages, { data.indexPath }, {});
        benchmark::DoNotOptimize(summary);
        const double processor = processorSeconds() - processorBefore;
        state.counters["pages"] = double(summary.indexed);
        state.counters["cpu-s"] = processor;
        state.counters["cpu-ms/page"] = summary.indexed ? processor * 1e3 / double(summary.indexed) : 0.0;
    }
    // The text the index holds, measured apart from the timed run.
    const auto index = FullTextIndex::openForReading(data.indexPath);
    for (const ManPage &page : std::as_const(data.pages)) {
        if (const auto text = PageText::renderBlocking(page, QStringLiteral("/usr/bin/mandoc")))
            textBytes += text->toUtf8().size();
    }
    state.counters["text-MB"] = double(textBytes) / 1e6;
    state.counters["index-MB"] = double(indexBytes(data.indexPath)) / 1e6;
    state.counters["size-ratio"] = textBytes ? double(indexBytes(data.indexPath)) / double(textBytes) : 0.0;
}

void unchangedReindex(benchmark::State &state)
{
    Corpus &data = corpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(FullTextIndexer::updateBlocking(data.pages, { data.indexPath }, {}));
}

void query(benchmark::State &state, const char *filter)
{
    Corpus &data = corpus();
    qsizetype hits = 0;
    for (auto _ : state) {
        hits = FullTextSearch::searchBlocking(data.indexPath, QString::fromUtf8(filter)).size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(hits);
}

} // namespace

BENCHMARK(firstIndex)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(unchangedReindex)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(query, oneWord, "file")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK_CAPTURE(query, twoWords, "file directory")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK_CAPTURE(query, phrase, "\"regular expression\"")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

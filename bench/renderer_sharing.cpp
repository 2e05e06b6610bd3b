// SPDX-License-Identifier: GPL-3.0-or-later
// What one renderer for every tab costs a tab while another tab is busy. Two views in one window stand for
// two tabs; the program's engine flags apply unless --separate is given (then each page gets its own
// renderer, the engine's default). Prints, for a small page loaded in the second view:
//   idle       the load while the first view is idle
//   beside     the load started right after the first view began loading a large page
//   hung       the load while a script in the first view never ends (stopped after --timeout ms)
// Each figure is the median of --runs alternating runs (7 by default); the hung case runs once, last.
//   lectorin-renderer-sharing [--separate] [--runs N] [--timeout MS] SMALL.html LARGE.html
#include "engineload.h"

#include "app/engineflags.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QList>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

std::optional<double> median(QList<double> values)
{
    if (values.isEmpty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void report(const char *what, const std::optional<double> &milliseconds, int timeoutMilliseconds)
{
    if (milliseconds)
        std::printf("%-7s load-ms %8.1f\n", what, *milliseconds);
    else
        std::printf("%-7s load-ms never (still waiting after %d ms)\n", what, timeoutMilliseconds);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const bool separate = arguments.removeAll(QStringLiteral("--separate")) > 0;
    const auto option = [&arguments](const QString &name, int fallback) {
        const qsizetype at = arguments.indexOf(name);
        if (at < 0 || at + 1 >= arguments.size())
            return fallback;
        const int value = arguments.at(at + 1).toInt();
        arguments.remove(at, 2);
        return value > 0 ? value : fallback;
    };
    const int timeout = option(QStringLiteral("--timeout"), 5000);
    const int runs = option(QStringLiteral("--runs"), 7);
    if (arguments.size() != 2) {
        std::fputs(
            "usage: lectorin-renderer-sharing [--separate] [--runs N] [--timeout MS] SMALL.html LARGE.html\n",
            stderr);
        return 2;
    }
    if (!separate)
        Lectorin::EngineFlags::shareOneRenderer();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    const QUrl small = QUrl::fromLocalFile(arguments.at(0));
    const QUrl large = QUrl::fromLocalFile(arguments.at(1));

    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    QWebEngineView busy, measured;
    layout->addWidget(&busy);
    layout->addWidget(&measured);
    window.resize(1320, 600);
    window.show();
    // Both views hold a page before anything is timed, so that their renderers exist.
    if (!EngineLoad::timedLoad(busy, small, 30000) || !EngineLoad::timedLoad(measured, large, 30000)) {
        std::fputs("the pages did not load\n", stderr);
        return 1;
    }
    std::printf("renderers %s (pids %lld, %lld)\n",
        busy.page()->renderProcessPid() == measured.page()->renderProcessPid() ? "shared" : "separate",
        qlonglong(busy.page()->renderProcessPid()), qlonglong(measured.page()->renderProcessPid()));

    QList<double> idle, beside;
    for (int run = 0; run < runs; ++run) {
        if (const std::optional<double> load = EngineLoad::timedLoad(measured, small, timeout))
            idle.append(*load);
        EngineLoad::timedLoad(measured, large, 30000);
        busy.load(large);
        if (const std::optional<double> load = EngineLoad::timedLoad(measured, small, timeout))
            beside.append(*load);
        EngineLoad::timedLoad(busy, small, 30000);
        EngineLoad::timedLoad(measured, large, 30000);
    }
    report("idle", median(idle), timeout);
    report("beside", median(beside), timeout);

    busy.page()->runJavaScript(QStringLiteral("for (;;) {}"));
    report("hung", EngineLoad::timedLoad(measured, small, timeout), timeout);
    std::fflush(stdout);
    // The hung renderer cannot be stopped from here; leave without waiting for the engine's shutdown.
    std::_Exit(0);
}

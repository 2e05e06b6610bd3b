// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of Lectorin's start: a Qt WebEngine view showing an empty page in a window of the same size, with
// the same trace marks (LECTORIN_TRACE=1). With HTML files as arguments it then loads each of them in turn,
// several times, and prints the median time from load() to loadFinished: the engine's own share of showing a
// rendered page.
#include "platform/trace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kLoadsPerFile = 7;

} // namespace

int main(int argc, char *argv[])
{
    Lectorin::Trace::mark(QStringLiteral("process started"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    const QStringList files = QApplication::arguments().mid(1);
    QWebEngineView view;
    view.resize(900, 525);

    // Each file in turn, so that every load is a real navigation; the first round is not counted.
    QList<QList<double>> times(files.size());
    int next = -1;
    int round = 0;
    QElapsedTimer timer;
    const auto loadNext = [&] {
        if (files.isEmpty())
            return;
        if (++next == files.size()) {
            next = 0;
            if (++round > kLoadsPerFile) {
                for (qsizetype i = 0; i < files.size(); ++i) {
                    std::sort(times[i].begin(), times[i].end());
                    std::printf(
                        "%s load-ms %.1f\n", qPrintable(files.at(i)), times.at(i).at(times.at(i).size() / 2));
                }
                QCoreApplication::quit();
                return;
            }
        }
        timer.start();
        view.load(QUrl::fromLocalFile(files.at(next)));
    };
    bool first = true;
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&](bool ok) {
        if (first) {
            first = false;
            if (ok)
                Lectorin::Trace::mark(QStringLiteral("page loaded"));
        } else if (round > 0) {
            times[next].append(double(timer.nsecsElapsed()) / 1e6);
        }
        // A moment between loads, as between clicks.
        QTimer::singleShot(300, loadNext);
    });
    view.setHtml(QString());
    view.show();
    Lectorin::Trace::mark(QStringLiteral("window shown"));
    return application.exec();
}

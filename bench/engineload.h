// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting on the web engine in the window benchmarks: the event loop runs until a condition holds or a load
// ends, and the load is timed.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

namespace EngineLoad {

// Runs the event loop until `done()` holds; false when `timeoutMilliseconds` passed first.
template<typename Predicate>
bool waitUntil(Predicate done, int timeoutMilliseconds = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMilliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Loads `url` in `view` and runs the event loop until the load succeeds; the milliseconds it took, or
// nothing after `timeoutMilliseconds`.
inline std::optional<double> timedLoad(QWebEngineView &view, const QUrl &url, int timeoutMilliseconds = 30000)
{
    bool loaded = false;
    const QMetaObject::Connection connection
        = QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&](bool ok) { loaded = ok; });
    QElapsedTimer timer;
    timer.start();
    view.load(url);
    const bool arrived = waitUntil([&] { return loaded; }, timeoutMilliseconds);
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    return arrived ? std::optional(elapsed) : std::nullopt;
}

} // namespace EngineLoad

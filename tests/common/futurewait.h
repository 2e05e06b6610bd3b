// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QSignalSpy>

namespace Lectorin::TestFutures {

// Generous: a hung run must be ended by the code's own limit, not by this wait.
inline constexpr int kFutureTimeoutMilliseconds = 60000;

// Waits for a future while this thread's event loop runs, so continuations bound to objects here can finish.
// A future that ends without a result, or not in time, gives a default value.
template<typename T>
T waitFor(const QFuture<T> &future, int timeoutMilliseconds = kFutureTimeoutMilliseconds)
{
    QFutureWatcher<T> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(future);
    if (!future.isFinished())
        finished.wait(timeoutMilliseconds);
    return future.isFinished() && future.resultCount() > 0 ? future.result() : T {};
}

} // namespace Lectorin::TestFutures

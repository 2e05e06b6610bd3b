// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFutureWatcher>

#include <type_traits>
#include <utility>

namespace Lectorin::Futures {

// QFuture::then(context, …) calls its handler at once, inside the caller, when the work has already finished
// by the time it is attached. This always calls it later from the context's event loop, so a caller's flags
// are set before the result arrives and its own signals never re-enter it. The handler is dropped with the
// context.
template<typename T, typename Handler>
void whenFinished(const QFuture<T> &future, QObject *context, Handler handler)
{
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(
        watcher, &QFutureWatcherBase::finished, context, [watcher, handler = std::move(handler)]() mutable {
            watcher->deleteLater();
            if constexpr (std::is_void_v<T>)
                handler();
            else
                handler(watcher->result());
        });
    watcher->setFuture(future);
}

} // namespace Lectorin::Futures

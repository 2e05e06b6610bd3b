// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/spawnedprocess.h"

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>

class QThreadPool;

namespace Lectorin::ProcessRunner {

using SpawnedProcess::Cancellation;
using SpawnedProcess::ResourceLimits;

// What a finished run gives: everything the program wrote to standard output, or why it could not start or
// did not finish in time. Callers judge a run mostly by its output.
struct RunResult
{
    QByteArray output;
    std::optional<QString> startError;
    std::optional<int> exitStatus; // nothing when a signal ended the program, or it did not run

    bool started() const { return !startError.has_value(); }
    bool operator==(const RunResult &) const = default;
};

// Runs `executable` with `arguments` (no shell, no expansion) and the application's environment, standard
// input on /dev/null; standard error is discarded without ever blocking the child. Blocks the calling thread
// until the program ends, or kills it and everything it started after `timeoutMilliseconds` (never when
// negative) or once `cancellation` is cancelled, and reports that as the failure.
RunResult runBlocking(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory = QString(), int timeoutMilliseconds = -1,
    const ResourceLimits &limits = {}, const Cancellation *cancellation = nullptr);

// The same on a thread of waitingPool(); the future delivers its result exactly once.
QFuture<RunResult> run(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory = QString(), int timeoutMilliseconds = -1,
    const ResourceLimits &limits = {});

// The threads that wait for child processes. A wait costs no processor time but holds its thread until the
// child ends, so waits stay out of the global pool, whose few threads would otherwise be held by a command
// that never ends while the renders behind them wait.
QThreadPool *waitingPool();

} // namespace Lectorin::ProcessRunner

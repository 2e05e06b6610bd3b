// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>

namespace Lectorin::ProcessRunner {

// What a finished run gives: everything the program wrote to standard output, or why it could not start or
// did not finish in time. Exit status and signals are not reported; callers judge a run by its output.
struct RunResult
{
    QByteArray output;
    std::optional<QString> startError;

    bool started() const { return !startError.has_value(); }
    bool operator==(const RunResult &) const = default;
};

// Runs `executable` with `arguments` (no shell, no expansion) and the application's environment, standard
// input on /dev/null; standard error is discarded without ever blocking the child. Blocks the calling thread
// until the program ends, or kills it after `timeoutMilliseconds` (never when negative) and reports that as
// the failure.
RunResult runBlocking(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory = QString(), int timeoutMilliseconds = -1);

// The same on a worker of the global thread pool; the future delivers its result exactly once.
QFuture<RunResult> run(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory = QString(), int timeoutMilliseconds = -1);

} // namespace Lectorin::ProcessRunner

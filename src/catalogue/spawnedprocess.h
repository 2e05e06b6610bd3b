// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs a short program for its output with posix_spawn: from a large process (the GUI with its web engine)
// this costs a fraction of QProcess's fork, and it needs no event loop.
namespace Lectorin::SpawnedProcess {

struct Result
{
    enum class Outcome
    {
        finished,
        timedOut, // killed after the time limit; `output` holds what came before
        notStarted,
    };
    Outcome outcome = Outcome::notStarted;
    QByteArray output;
    int startErrno = 0; // why it did not start
};

// Runs `executable` with `arguments` (no shell) in `directory` (the current one when empty), standard input
// and error on /dev/null. Blocks the calling thread until the program ends or `timeoutMilliseconds` pass
// (never when negative). The run ends when the program does, with what it wrote by then: a process it left
// behind holding the output open does not hold the caller.
Result runBlocking(const QString &executable, const QStringList &arguments, const QString &directory,
    int timeoutMilliseconds);

} // namespace Lectorin::SpawnedProcess

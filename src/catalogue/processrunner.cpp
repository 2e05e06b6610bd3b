// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/processrunner.h"

#include "catalogue/spawnedprocess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtConcurrent>

#include <cstring>

namespace Lectorin::ProcessRunner {

RunResult runBlocking(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory, int timeoutMilliseconds)
{
    // posix_spawn: from the program's large address space a fork would copy its page tables on every run.
    SpawnedProcess::Result run
        = SpawnedProcess::runBlocking(executable, arguments, currentDirectory, timeoutMilliseconds);
    switch (run.outcome) {
    case SpawnedProcess::Result::Outcome::finished:
        return { std::move(run.output), std::nullopt };
    case SpawnedProcess::Result::Outcome::timedOut:
        return { QByteArray(),
            QCoreApplication::translate("Lectorin", "“%1” did not finish within %2 seconds.")
                .arg(QFileInfo(executable).fileName())
                .arg(timeoutMilliseconds / 1000.0) };
    case SpawnedProcess::Result::Outcome::notStarted:
        break;
    }
    return { QByteArray(),
        QCoreApplication::translate("Lectorin", "“%1” could not be started: %2")
            .arg(QFileInfo(executable).fileName(), QString::fromLocal8Bit(std::strerror(run.startErrno))) };
}

QFuture<RunResult> run(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory, int timeoutMilliseconds)
{
    return QtConcurrent::run([executable, arguments, currentDirectory, timeoutMilliseconds] {
        return runBlocking(executable, arguments, currentDirectory, timeoutMilliseconds);
    });
}

} // namespace Lectorin::ProcessRunner

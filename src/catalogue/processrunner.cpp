// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/processrunner.h"

#include "catalogue/spawnedprocess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtConcurrent>

#include <cstring>

namespace Lectorin::ProcessRunner {

RunResult runBlocking(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory, int timeoutMilliseconds, const ResourceLimits &limits,
    const Cancellation *cancellation)
{
    // posix_spawn: from the program's large address space a fork would copy its page tables on every run.
    SpawnedProcess::Result run = SpawnedProcess::runBlocking(
        executable, arguments, currentDirectory, timeoutMilliseconds, limits, cancellation);
    switch (run.outcome) {
    case SpawnedProcess::Result::Outcome::finished:
        return { std::move(run.output), std::nullopt, run.exitStatus };
    case SpawnedProcess::Result::Outcome::timedOut:
        return { QByteArray(),
            QCoreApplication::translate("Lectorin", "“%1” did not finish within %2 seconds.")
                .arg(QFileInfo(executable).fileName())
                .arg(timeoutMilliseconds / 1000.0),
            std::nullopt };
    case SpawnedProcess::Result::Outcome::cancelled:
        return { QByteArray(),
            QCoreApplication::translate("Lectorin", "“%1” was stopped.")
                .arg(QFileInfo(executable).fileName()),
            std::nullopt };
    case SpawnedProcess::Result::Outcome::notStarted:
        break;
    }
    return { QByteArray(),
        QCoreApplication::translate("Lectorin", "“%1” could not be started: %2")
            .arg(QFileInfo(executable).fileName(), QString::fromLocal8Bit(std::strerror(run.startErrno))),
        std::nullopt };
}

QFuture<RunResult> run(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory, int timeoutMilliseconds, const ResourceLimits &limits)
{
    return QtConcurrent::run(
        waitingPool(), [executable, arguments, currentDirectory, timeoutMilliseconds, limits] {
            return ProcessRunner::runBlocking(
                executable, arguments, currentDirectory, timeoutMilliseconds, limits);
        });
}

QThreadPool *waitingPool()
{
    // Made on first use and kept for the process, like the global pool.
    static QThreadPool *const pool = [] {
        auto *waits = new QThreadPool;
        waits->setMaxThreadCount(64);
        return waits;
    }();
    return pool;
}

} // namespace Lectorin::ProcessRunner

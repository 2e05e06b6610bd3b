// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/processrunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QtConcurrent>

namespace Lectorin::ProcessRunner {

RunResult runBlocking(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory, int timeoutMilliseconds)
{
    QProcess process;
    process.setProgram(executable);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    if (!currentDirectory.isEmpty())
        process.setWorkingDirectory(currentDirectory);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return { QByteArray(), process.errorString() };
    // QProcess drains the pipe into its own buffer while waiting, so the child never stalls on a full pipe.
    if (!process.waitForFinished(timeoutMilliseconds) && process.state() != QProcess::NotRunning) {
        // A hung program would otherwise hold its pool worker, and whoever waits for it, forever.
        process.kill();
        process.waitForFinished(-1);
        return { QByteArray(),
            QCoreApplication::translate("Lectorin", "“%1” did not finish within %2 seconds.")
                .arg(QFileInfo(executable).fileName())
                .arg(timeoutMilliseconds / 1000.0) };
    }
    return { process.readAllStandardOutput(), std::nullopt };
}

QFuture<RunResult> run(const QString &executable, const QStringList &arguments,
    const QString &currentDirectory, int timeoutMilliseconds)
{
    return QtConcurrent::run([executable, arguments, currentDirectory, timeoutMilliseconds] {
        return runBlocking(executable, arguments, currentDirectory, timeoutMilliseconds);
    });
}

} // namespace Lectorin::ProcessRunner

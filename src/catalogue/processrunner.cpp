// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/processrunner.h"

#include <QProcess>
#include <QtConcurrent>

namespace Lectorin::ProcessRunner {

RunResult runBlocking(
    const QString &executable, const QStringList &arguments, const QString &currentDirectory)
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
    process.waitForFinished(-1);
    return { process.readAllStandardOutput(), std::nullopt };
}

QFuture<RunResult> run(
    const QString &executable, const QStringList &arguments, const QString &currentDirectory)
{
    return QtConcurrent::run([executable, arguments, currentDirectory] {
        return runBlocking(executable, arguments, currentDirectory);
    });
}

} // namespace Lectorin::ProcessRunner

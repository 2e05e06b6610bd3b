// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin: answers --help and --version, hands its pages to a running Lectorin, or else becomes the window
// program. It links Qt Core and the socket only, so that a start which hands over loads, and runs the static
// initialisers of, no display, OpenGL or web engine library it would not use.
#include "app/launcharguments.h"
#include "platform/singleinstance.h"
#include "platform/trace.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Beside the launcher in a build tree, in the program's own libexec folder once installed.
QByteArray windowProgram()
{
    const QString folder
        = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    const QString beside = folder + QStringLiteral("/lectorin-window");
    if (QFileInfo(beside).isExecutable())
        return QFile::encodeName(beside);
    return QFile::encodeName(folder + QStringLiteral("/" LECTORIN_WINDOW_PROGRAM_FROM_BINDIR));
}

} // namespace

int main(int argc, char *argv[])
{
    const Lectorin::LaunchArguments::Request request = Lectorin::LaunchArguments::parse(argc, argv);
    if (const std::optional<int> status = Lectorin::LaunchArguments::answerWithoutStarting(request))
        return *status;

    Lectorin::Trace::mark(QStringLiteral("process started"));
    // Page files go to a running instance as absolute paths: it has another working directory.
    const QStringList references = Lectorin::LaunchArguments::withAbsolutePageFiles(request.references);
    if (Lectorin::SingleInstance().forwardToRunningInstance(
            references, qEnvironmentVariable("XDG_ACTIVATION_TOKEN")))
        return 0;

    // The same process goes on as the window program, so whoever started it keeps waiting on it.
    const QByteArray program = windowProgram();
    execv(program.constData(), argv);
    std::fprintf(stderr, "lectorin: cannot start %s: %s\n", program.constData(), std::strerror(errno));
    return 1;
}

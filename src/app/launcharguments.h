// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the command line of `lectorin` asks for. It is read before the toolkit starts, so `--help` and
// `--version` work without a display; Qt's own options (-platform, -style, …) pass through to Qt.
namespace Lectorin::LaunchArguments {

enum class Action
{
    run,
    showHelp,
    showVersion,
    usageError
};

struct Request
{
    Action action = Action::run;
    // The pages to open, in order, each as written: "ls", "printf(3)", "x-man-page://3/printf".
    QStringList references;
    // Why the command line was refused (usageError only).
    QString error;

    bool operator==(const Request &) const = default;
};

// `arguments` without the program name.
Request parse(const QStringList &arguments);

// The text of `lectorin --help`.
QString usage();
// "Lectorin V (B)".
QString versionLine();

} // namespace Lectorin::LaunchArguments

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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
// The process's own command line, argv[0] included.
Request parse(int argc, char *argv[]);

// A reference that names a page source to preview, a path with a "/" in it or a file: URL, as an absolute
// path; nothing for a page reference.
std::optional<QString> pageFileArgument(const QString &reference);
// `references` with their page files made absolute, so that a running instance elsewhere finds them.
QStringList withAbsolutePageFiles(const QStringList &references);

// Prints the answer to --help, --version or a refused command line and gives the exit status; nothing when
// the program should start.
std::optional<int> answerWithoutStarting(const Request &request);

// The text of `lectorin --help`.
QString usage();
// "Lectorin V (B)".
QString versionLine();

} // namespace Lectorin::LaunchArguments

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <optional>

// Servers the real program meets on a desktop, started for one test.
namespace TestServers {

// An X server of its own for a real start of the program: a free display number near `preferred`.
inline std::optional<int> startXServer(QProcess &server, int preferred, int timeout = 30000)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return std::nullopt;
    for (int display = preferred; display < preferred + 50; ++display) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
            continue;
        server.start(
            xvfb, { QStringLiteral(":%1").arg(display), "-screen", "0", "1024x768x24", "-nolisten", "tcp" });
        if (!server.waitForStarted(timeout))
            return std::nullopt;
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
        if (QTest::qWaitFor(
                [&] { return QFileInfo::exists(socket) || server.state() != QProcess::Running; }, timeout)
            && server.state() == QProcess::Running)
            return display;
    }
    return std::nullopt;
}

// A headless Wayland compositor of its own, its socket in `runtime`: the socket's name, once it listens.
// Started with --debug so that weston-screenshooter may take the screen.
inline std::optional<QString> startWaylandCompositor(
    QProcess &compositor, const QString &runtime, int timeout = 30000)
{
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty())
        return std::nullopt;
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString name = QStringLiteral("wayland-test-%1").arg(QCoreApplication::applicationPid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime);
    compositor.setProcessEnvironment(environment);
    compositor.start(weston,
        { "--backend=headless-backend.so", "--use-pixman", "--socket=" + name, "--debug", "--width=1024",
            "--height=768", "--idle-time=0" });
    if (!compositor.waitForStarted(timeout)
        || !QTest::qWaitFor(
            [&] {
                return QFileInfo::exists(runtime + u'/' + name) || compositor.state() != QProcess::Running;
            },
            timeout)
        || compositor.state() != QProcess::Running)
        return std::nullopt;
    return name;
}

// `environment` with a home and a runtime folder of its own, so that a real start meets no other
// Lectorin and none of the user's settings.
inline void usePrivateHome(QProcessEnvironment &environment, const QString &home, const QString &runtime)
{
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("XDG_DATA_HOME", home + "/.local/share");
    environment.insert("XDG_CACHE_HOME", home + "/.cache");
    environment.insert("XDG_RUNTIME_DIR", runtime);
}

// A D-Bus session bus of its own: its address, once it listens.
inline std::optional<QString> startSessionBus(QProcess &daemon, int timeout = 30000)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty())
        return std::nullopt;
    daemon.start(program,
        { "--session", "--nofork", "--nopidfile", "--print-address=1", "--address=unix:tmpdir=/tmp" });
    if (!daemon.waitForStarted(timeout)
        || !QTest::qWaitFor(
            [&] { return daemon.canReadLine() || daemon.state() != QProcess::Running; }, timeout)
        || daemon.state() != QProcess::Running)
        return std::nullopt;
    return QString::fromUtf8(daemon.readLine().trimmed());
}

} // namespace TestServers

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engineflags.h"
#include "app/launcharguments.h"
#include "platform/singleinstance.h"

#include "../common/testservers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRect>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Lectorin;
using TestServers::startXServer;
using Action = LaunchArguments::Action;
using Environment = SingleInstance::Environment;

namespace {

constexpr int kTimeout = 30000;

// A socket file with nobody listening, as a crashed instance leaves it.
bool leaveStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()) + 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

// Collects a process's standard error until it holds `text`.
bool waitForOutput(QProcess &process, QByteArray &output, const char *text)
{
    return QTest::qWaitFor(
        [&] {
            output += process.readAllStandardError();
            return output.contains(text);
        },
        kTimeout);
}

} // namespace

class LaunchTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void engineFlags_oneRendererUnlessTheUserChoseAModel_data();
    void engineFlags_oneRendererUnlessTheUserChoseAModel();
    void program_helpVersionAndUnknownOption();
    void socketPath_data();
    void socketPath();
    void socketPath_privateFallbackFolder();
    void staleSocket_isReplacedAndForwardsArrive();
    void foreignSocket_isNeverUsed();
    void program_oneInstancePerDisplayAndCleanTerminal();
    void program_runsNativelyOnWaylandAndHandsOver();

private:
    // A private home and runtime folder for a real start of the program on `display`.
    QProcessEnvironment programEnvironment(const QString &display) const;
    // Pages and a login shell naming them, for real starts of the program.
    bool writeProgramFixture();

    QTemporaryDir m_dir;
};

void LaunchTest::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<LaunchArguments::Request>("expected");
    const auto run = [](QStringList references) {
        return LaunchArguments::Request { Action::run, references, {} };
    };
    const auto refused = [](const QString &error) {
        return LaunchArguments::Request { Action::usageError, {}, error };
    };
    const LaunchArguments::Request help { Action::showHelp, {}, {} };
    const LaunchArguments::Request version { Action::showVersion, {}, {} };

    QTest::newRow("nothing") << QStringList() << run({});
    QTest::newRow("references") << QStringList { "ls", "printf(3)", "x-man-page://1/ls" }
                                << run({ "ls", "printf(3)", "x-man-page://1/ls" });
    QTest::newRow("--help") << QStringList { "--help" } << help;
    QTest::newRow("-h after a reference") << QStringList { "ls", "-h" } << help;
    QTest::newRow("--version") << QStringList { "--version" } << version;
    QTest::newRow("-v") << QStringList { "-v" } << version;
    QTest::newRow("unknown long") << QStringList { "ls", "--bogus" } << refused("unknown option “--bogus”");
    QTest::newRow("unknown short") << QStringList { "-x" } << refused("unknown option “-x”");
    QTest::newRow("switch given a value")
        << QStringList { "-reverse=1" } << refused("unknown option “-reverse=1”");
    QTest::newRow("Qt option and value") << QStringList { "-platform", "offscreen", "ls" } << run({ "ls" });
    QTest::newRow("Qt option, two dashes") << QStringList { "--style", "fusion", "ls" } << run({ "ls" });
    QTest::newRow("Qt option with =") << QStringList { "-style=fusion", "-reverse", "ls" } << run({ "ls" });
    QTest::newRow("Qt option without value")
        << QStringList { "ls", "-platform" } << refused("option “-platform” needs a value");
    QTest::newRow("after --") << QStringList { "--", "--help", "-x" } << run({ "--help", "-x" });
    QTest::newRow("engine arguments")
        << QStringList { "ls", "--webEngineArgs", "--disable-gpu", "--bogus" } << run({ "ls" });
    QTest::newRow("lone dash") << QStringList { "-" } << run({ "-" });
}

void LaunchTest::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(LaunchArguments::Request, expected);
    const LaunchArguments::Request request = LaunchArguments::parse(arguments);
    QCOMPARE(int(request.action), int(expected.action));
    QCOMPARE(request.references, expected.references);
    QCOMPARE(request.error, expected.error);
}

void LaunchTest::engineFlags_oneRendererUnlessTheUserChoseAModel_data()
{
    QTest::addColumn<QByteArray>("flags");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("none") << QByteArray() << QByteArray("--renderer-process-limit=1");
    QTest::newRow("others kept") << QByteArray("--disable-gpu --log-level=3")
                                 << QByteArray("--disable-gpu --log-level=3 --renderer-process-limit=1");
    QTest::newRow("own limit") << QByteArray("--renderer-process-limit=4")
                               << QByteArray("--renderer-process-limit=4");
    QTest::newRow("process per site")
        << QByteArray("--disable-gpu  --process-per-site") << QByteArray("--disable-gpu  --process-per-site");
    QTest::newRow("single process") << QByteArray("--single-process") << QByteArray("--single-process");
    QTest::newRow("a longer name is another switch") << QByteArray(
        "--process-per-site-x") << QByteArray("--process-per-site-x --renderer-process-limit=1");
}

void LaunchTest::engineFlags_oneRendererUnlessTheUserChoseAModel()
{
    QFETCH(QByteArray, flags);
    QFETCH(QByteArray, expected);
    QCOMPARE(EngineFlags::withSharedRenderer(flags), expected);
}

void LaunchTest::program_helpVersionAndUnknownOption()
{
    // No display at all: the answers must not need one.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(name);
    const auto runProgram = [&](const QStringList &arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(LECTORIN_PROGRAM, arguments);
        process->waitForFinished(kTimeout);
        return process;
    };

    const auto help = runProgram({ "--help" });
    QCOMPARE(help->exitStatus(), QProcess::NormalExit);
    QCOMPARE(help->exitCode(), 0);
    const QString usage = QString::fromLocal8Bit(help->readAllStandardOutput());
    QVERIFY(usage.startsWith("Usage: lectorin [OPTION…] [REF…]\n"));
    for (const char *mentioned : { "--help", "--version", "NAME(SECTION)", "x-man-page://" })
        QVERIFY2(usage.contains(QLatin1String(mentioned)), mentioned);
    QCOMPARE(help->readAllStandardError(), QByteArray());

    const auto version = runProgram({ "--version" });
    QCOMPARE(version->exitCode(), 0);
    QCOMPARE(
        QString::fromLocal8Bit(version->readAllStandardOutput()), LaunchArguments::versionLine() + u'\n');
    QVERIFY(LaunchArguments::versionLine().startsWith("Lectorin "));

    const auto unknown = runProgram({ "ls", "--bogus" });
    QCOMPARE(unknown->exitCode(), 2);
    QCOMPARE(unknown->readAllStandardOutput(), QByteArray());
    const QString error = QString::fromLocal8Bit(unknown->readAllStandardError());
    QVERIFY(error.startsWith("lectorin: unknown option “--bogus”\n"));
    QVERIFY(error.contains(usage));
}

void LaunchTest::socketPath_data()
{
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("name");
    QTest::newRow("X11") << ""
                         << ":0"
                         << "lectorin-:0.socket";
    QTest::newRow("X11 with screen") << ""
                                     << ":0.0"
                                     << "lectorin-:0.socket";
    QTest::newRow("remote X11") << ""
                                << "localhost:10.0"
                                << "lectorin-localhost:10.socket";
    QTest::newRow("Wayland first") << "wayland-1"
                                   << ":0"
                                   << "lectorin-wayland-1.socket";
    QTest::newRow("Wayland path") << "/run/user/1000/wayland-9"
                                  << ""
                                  << "lectorin-_run_user_1000_wayland-9.socket";
    QTest::newRow("no display") << ""
                                << ""
                                << "lectorin-nodisplay.socket";
}

void LaunchTest::socketPath()
{
    QFETCH(QString, wayland);
    QFETCH(QString, x11);
    QFETCH(QString, name);
    const QString runtime = m_dir.filePath("runtime");
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const Environment environment { runtime, wayland, x11, m_dir.filePath("tmp"), uint(::getuid()) };
    QCOMPARE(SingleInstance::defaultSocketPath(environment), std::optional(runtime + u'/' + name));
}

void LaunchTest::socketPath_privateFallbackFolder()
{
    const QString temporary = m_dir.filePath("fallback-tmp");
    QVERIFY(QDir().mkpath(temporary));
    const uint uid = ::getuid();
    const QString folder = temporary + QStringLiteral("/lectorin-%1").arg(uid);
    const std::optional<QString> expected = folder + "/lectorin-:5.socket";

    // Unset, or a runtime folder others may enter, gives the private folder in the temporary folder.
    QCOMPARE(SingleInstance::defaultSocketPath({ {}, {}, ":5", temporary, uid }), expected);
    struct stat status
    { };
    QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0700u);
    const QString open = m_dir.filePath("open-runtime");
    QVERIFY(QDir().mkpath(open));
    QVERIFY(::chmod(QFile::encodeName(open).constData(), 0755) == 0);
    QCOMPARE(SingleInstance::defaultSocketPath({ open, {}, ":5", temporary, uid }), expected);

    // A symbolic link in the folder's place, or a folder someone else owns, gives no socket at all.
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QFile::link(m_dir.filePath("elsewhere"), folder));
    QCOMPARE(SingleInstance::defaultSocketPath({ {}, {}, ":5", temporary, uid }), std::nullopt);
    QVERIFY(QFile::remove(folder));
    QCOMPARE(SingleInstance::defaultSocketPath({ {}, {}, ":5", temporary, uid + 1 }), std::nullopt);
}

void LaunchTest::staleSocket_isReplacedAndForwardsArrive()
{
    const QString path = m_dir.filePath("stale.socket");
    QVERIFY(leaveStaleSocket(path));
    SingleInstance stale(path);
    QVERIFY(!stale.forwardToRunningInstance({ "ls" }));
    QVERIFY(stale.listen());
    QSignalSpy activations(&stale, &SingleInstance::activationRequested);

    // A start with references and a start without any both arrive; the second asks only for a window.
    QVERIFY(SingleInstance(path).forwardToRunningInstance({ "x-man-page://1/ls", "printf(3)" }));
    QTRY_COMPARE_WITH_TIMEOUT(activations.size(), 1, kTimeout);
    QCOMPARE(activations.at(0).at(0).toStringList(), QStringList({ "x-man-page://1/ls", "printf(3)" }));
    QCOMPARE(activations.at(0).at(1).toString(), QString());
    QVERIFY(SingleInstance(path).forwardToRunningInstance({}, "compositor-token-1"));
    QTRY_COMPARE_WITH_TIMEOUT(activations.size(), 2, kTimeout);
    QCOMPARE(activations.at(1).at(0).toStringList(), QStringList());
    QCOMPARE(activations.at(1).at(1).toString(), QStringLiteral("compositor-token-1"));

    // Without a socket path nothing is forwarded or served.
    SingleInstance none(std::nullopt);
    QVERIFY(!none.forwardToRunningInstance({}));
    QVERIFY(!none.listen());
}

void LaunchTest::foreignSocket_isNeverUsed()
{
    if (::getuid() != 0)
        QSKIP("making a socket that belongs to another user needs root");
    const QString path = m_dir.filePath("foreign.socket");
    QVERIFY(leaveStaleSocket(path));
    QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
    SingleInstance instance(path);
    QVERIFY(!instance.forwardToRunningInstance({ "ls" }));
    QVERIFY(!instance.listen());
    struct stat status
    { };
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_uid, uid_t(65534));
}

QProcessEnvironment LaunchTest::programEnvironment(const QString &display) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    TestServers::usePrivateHome(environment, m_dir.filePath("home"), m_dir.filePath("program-runtime"));
    environment.insert("DISPLAY", display);
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    // As an installed program starts, without the switches the test scripts set for root.
    environment.remove("QTWEBENGINE_CHROMIUM_FLAGS");
    environment.remove("QTWEBENGINE_DISABLE_SANDBOX");
    environment.insert("LECTORIN_TRACE", "1");
    // Under the sanitizers: the X keyboard library duplicates a counted, unterminated string, which the
    // strict string check takes for an overflow. Only these real X starts meet it.
    if (environment.contains("ASAN_OPTIONS"))
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    // A login shell that names an empty manual folder: the window comes up without the machine's pages.
    environment.insert("SHELL", m_dir.filePath("shell"));
    return environment;
}

bool LaunchTest::writeProgramFixture()
{
    QDir().mkpath(m_dir.filePath("man/man1"));
    QDir().mkpath(m_dir.filePath("bin"));
    const auto write = [](const QString &path, const QByteArray &text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QByteArray page = ".TH LS 1\n.SH NAME\nls \\- list directory contents\n.SH DESCRIPTION\n";
    for (int line = 0; line < 40; ++line)
        page += "List information about the FILEs (the current directory by default).\n";
    return write(m_dir.filePath("man/man1/ls.1"), page)
        && write(m_dir.filePath("man/man1/tar.1"), ".TH TAR 1\n.SH NAME\ntar \\- an archiving utility\n")
        && write(m_dir.filePath("shell"),
            "#!/bin/sh\ncase \"$3\" in manpath) echo " + m_dir.filePath("man").toUtf8() + ";; *) echo "
                + m_dir.filePath("bin").toUtf8() + ";; esac\n")
        && QFile::setPermissions(
            m_dir.filePath("shell"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void LaunchTest::program_oneInstancePerDisplayAndCleanTerminal()
{
    QVERIFY(writeProgramFixture());
    const auto start = [this](QProcess &process, const QString &display, const QStringList &arguments = {}) {
        process.setProcessEnvironment(programEnvironment(display));
        process.start(LECTORIN_PROGRAM, arguments);
        return process.waitForStarted(kTimeout);
    };
    const QString runtime = m_dir.filePath("program-runtime");

    // Two X servers, as two logins of one user would have; one runtime folder for both.
    QProcess firstServer;
    QProcess secondServer;
    const int base = 300 + int(QCoreApplication::applicationPid() % 200) * 2;
    const std::optional<int> firstDisplay = startXServer(firstServer, base);
    const std::optional<int> secondDisplay
        = firstDisplay ? startXServer(secondServer, *firstDisplay + 1) : std::nullopt;
    if (!firstDisplay || !secondDisplay)
        QSKIP("Xvfb is needed for real starts of the program");
    const QString firstName = QStringLiteral(":%1").arg(*firstDisplay);
    const QString secondName = QStringLiteral(":%1").arg(*secondDisplay);

    QProcess first;
    QProcess second;
    QByteArray firstOutput;
    QByteArray secondOutput;
    QVERIFY(start(first, firstName));
    QVERIFY(waitForOutput(first, firstOutput, "window shown"));
    QVERIFY(start(second, secondName));
    QVERIFY(waitForOutput(second, secondOutput, "window shown"));
    // Two displays, two instances, each with its own socket in the one runtime folder.
    QVERIFY(QFileInfo(runtime + "/lectorin-" + firstName + ".socket").exists());
    QVERIFY(QFileInfo(runtime + "/lectorin-" + secondName + ".socket").exists());
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(second.state(), QProcess::Running);

    // A start on the first display hands over and exits; the first instance takes it.
    QProcess third;
    QVERIFY(start(third, firstName + ".0", { "ls" }));
    QVERIFY(third.waitForFinished(kTimeout));
    QCOMPARE(third.exitCode(), 0);
    QVERIFY(waitForOutput(first, firstOutput, "second start received"));
    QVERIFY(!secondOutput.contains("second start received"));

    // The terminal sees nothing but the trace lines asked for, up to the handed-over page's load, the last
    // thing the first instance does.
    QVERIFY(QTest::qWaitFor(
        [&] {
            firstOutput += first.readAllStandardError();
            return firstOutput.indexOf("page loaded 1/ls", firstOutput.indexOf("second start received")) >= 0;
        },
        kTimeout));
    for (QProcess *process : { &first, &second, &firstServer, &secondServer }) {
        process->terminate();
        QVERIFY(process->waitForFinished(kTimeout));
    }
    firstOutput += first.readAllStandardError();
    for (const QByteArray &output : { firstOutput, secondOutput, third.readAllStandardError() }) {
        for (const QByteArray &line : output.split('\n')) {
            // As root (as here) the program and the engine each say once that the sandbox is off.
            const bool expected = line.isEmpty()
                || QRegularExpression("^\\d+ ").match(QString::fromUtf8(line)).hasMatch()
                || (::getuid() == 0
                    && (line == "Sandboxing disabled by user."
                        || line == "lectorin: running as root, so the web engine runs without its sandbox."));
            QVERIFY2(expected, line.constData());
        }
    }
    QCOMPARE(first.readAllStandardOutput(), QByteArray());
}

void LaunchTest::program_runsNativelyOnWaylandAndHandsOver()
{
    QVERIFY(writeProgramFixture());
    const QString runtime = m_dir.filePath("program-runtime");
    QProcess compositor;
    const std::optional<QString> socket = TestServers::startWaylandCompositor(compositor, runtime);
    const QString screenshooter = QStandardPaths::findExecutable("weston-screenshooter");
    if (!socket || screenshooter.isEmpty())
        QSKIP("weston is needed for a Wayland start of the program");
    QProcessEnvironment environment = programEnvironment(QString());
    environment.remove("DISPLAY");
    environment.insert("WAYLAND_DISPLAY", *socket);
    environment.insert("QT_QPA_PLATFORM", "wayland");
    const QDir shots(m_dir.filePath("screenshots"));
    QVERIFY(shots.mkpath("."));
    const auto screenshot = [&]() -> QImage {
        QProcess shooter;
        shooter.setProcessEnvironment(environment);
        shooter.setWorkingDirectory(shots.path());
        shooter.start(screenshooter, {});
        if (!shooter.waitForFinished(kTimeout) || shooter.exitCode() != 0)
            return {};
        const QFileInfoList taken = shots.entryInfoList({ "*.png" }, QDir::Files, QDir::Time);
        const QImage image = taken.isEmpty() ? QImage() : QImage(taken.first().filePath());
        for (const QFileInfo &file : taken)
            QFile::remove(file.filePath());
        return image;
    };
    const QImage desktop = screenshot();
    QVERIFY(!desktop.isNull());

    QProcess first;
    QByteArray firstOutput;
    first.setProcessEnvironment(environment);
    first.start(LECTORIN_PROGRAM, { "ls" });
    QVERIFY(waitForOutput(first, firstOutput, "page painted 1/ls"));
    // Qt's own Wayland plugin, not X11 through XWayland: there is no X display to fall back to.
    QVERIFY2(!firstOutput.contains("Could not load the Qt platform plugin"), firstOutput.constData());
    QVERIFY(QFileInfo::exists(runtime + "/lectorin-" + *socket + ".socket"));
    // The window covers much of the desktop, and its right part, where the page is, shows text.
    QImage shown;
    QVERIFY(QTest::qWaitFor(
        [&] {
            shown = screenshot();
            QRect window;
            for (int y = 0; y < shown.height(); y += 2)
                for (int x = 0; x < shown.width(); x += 2)
                    if (shown.pixel(x, y) != desktop.pixel(x, y))
                        window |= QRect(x, y, 1, 1);
            if (window.width() * window.height() < shown.width() * shown.height() / 4)
                return false;
            const QRect page = window.adjusted(window.width() * 2 / 5, window.height() / 5, 0, 0);
            qsizetype ink = 0;
            for (int y = page.top(); y <= page.bottom(); ++y)
                for (int x = page.left(); x <= page.right(); ++x)
                    ink += qGray(shown.pixel(x, y)) < 96;
            return ink * 200 > qsizetype(page.width()) * page.height();
        },
        kTimeout));
    if (const QString keep = qEnvironmentVariable("LECTORIN_WAYLAND_SCREENSHOT"); !keep.isEmpty())
        shown.save(keep);

    // A second start hands its page and its activation token over and exits.
    QProcess second;
    QProcessEnvironment secondEnvironment = environment;
    secondEnvironment.insert("XDG_ACTIVATION_TOKEN", "token-of-the-second-start");
    second.setProcessEnvironment(secondEnvironment);
    second.start(LECTORIN_PROGRAM, { "tar" });
    QVERIFY(second.waitForFinished(kTimeout));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(waitForOutput(first, firstOutput, "second start received with an activation token"));
    QVERIFY(waitForOutput(first, firstOutput, "page loaded 1/tar"));
    for (QProcess *process : { &first, &compositor }) {
        process->terminate();
        QVERIFY(process->waitForFinished(kTimeout));
    }
}

QTEST_GUILESS_MAIN(LaunchTest)
#include "tst_launch.moc"

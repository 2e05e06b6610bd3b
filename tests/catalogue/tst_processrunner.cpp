// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "catalogue/processrunner.h"
#include "catalogue/searchpaths.h"
#include "common/futurewait.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

using namespace Lectorin;

namespace {

QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Sets SHELL for one test and puts back what was there.
class ShellOverride
{
public:
    explicit ShellOverride(const QByteArray &shell)
        : m_previous(qgetenv("SHELL"))
        , m_hadValue(qEnvironmentVariableIsSet("SHELL"))
    {
        if (shell.isNull())
            qunsetenv("SHELL");
        else
            qputenv("SHELL", shell);
    }
    ~ShellOverride()
    {
        if (m_hadValue)
            qputenv("SHELL", m_previous);
        else
            qunsetenv("SHELL");
    }

private:
    QByteArray m_previous;
    bool m_hadValue;
};

// Gone, or a zombie nobody reaps in a container without an init process.
bool isRunning(const QByteArray &pid)
{
    QFile status(QString::fromLatin1("/proc/" + pid + "/stat"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray fields = status.readAll();
    return !fields.mid(fields.lastIndexOf(')') + 2).startsWith('Z');
}

// A shell whose start-up files hang, with a child of its own; its pid file appears once it runs.
QString hangingShell(const QTemporaryDir &dir, const QString &pidFile)
{
    return writeScript(dir, "shell", "sleep 300 &\necho $! > '" + pidFile.toUtf8() + "'\nsleep 300\n");
}

QByteArray readPid(const QString &pidFile)
{
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

} // namespace

class ProcessRunnerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void run_returnsOutputWhateverTheExitStatus();
    void run_neverBlocksOnFloodedStandardError();
    void run_reportsStartFailure();
    void run_endsWithTheProgramNotWithWhatItLeftBehind();
    void run_usesWorkingDirectoryAndPassesArgumentsVerbatim();
    void run_deliversOnceAsynchronously();
    void run_timeoutEndsEverythingTheProgramStarted();
    void run_underLimits_reportsTheSignalThatEndedIt();
    void parsePathList_data();
    void parsePathList();
    void discovery_followsShellThenFallbacks();
    void discovery_stopped_endsTheShellAndEverythingItStarted();
};

void ProcessRunnerTest::run_returnsOutputWhateverTheExitStatus()
{
    QTemporaryDir dir;
    const QString script = writeScript(dir, "fails", "echo /usr/share/man:/opt/man\necho oops >&2\nexit 3\n");
    const auto result = ProcessRunner::runBlocking(script, {});
    QVERIFY(result.started());
    QCOMPARE(result.output, QByteArray("/usr/share/man:/opt/man\n"));

    const QString quiet = writeScript(dir, "quiet", "echo only-errors >&2\n");
    QCOMPARE(ProcessRunner::runBlocking(quiet, {}).output, QByteArray());
}

void ProcessRunnerTest::run_neverBlocksOnFloodedStandardError()
{
    QTemporaryDir dir;
    const QString script = writeScript(
        dir, "flood", "head -c 20971520 /dev/zero >&2\nhead -c 3000000 /dev/zero | tr '\\0' a\n");
    const auto result = ProcessRunner::runBlocking(script, {});
    QVERIFY(result.started());
    QCOMPARE(result.output.size(), 3000000);
    QVERIFY(result.output.startsWith("aaa"));
}

void ProcessRunnerTest::run_endsWithTheProgramNotWithWhatItLeftBehind()
{
    QTemporaryDir dir;
    // A background process keeps the output pipe open long after the program itself has ended.
    const QString leaves = writeScript(dir, "leaves", "sleep 30 &\necho done\n");
    QElapsedTimer timer;
    timer.start();
    const auto left = ProcessRunner::runBlocking(leaves, {}, QString(), 20000);
    QVERIFY(left.started());
    QCOMPARE(left.output, QByteArray("done\n"));
    QVERIFY2(timer.elapsed() < 10000, "waited for the background process");

    // A program that closes its output and goes on running is still held to the time limit.
    const QString lingers = writeScript(dir, "lingers", "echo early\nexec >&-\nsleep 30\n");
    const auto lingered = ProcessRunner::runBlocking(lingers, {}, QString(), 500);
    QVERIFY(!lingered.started());
    QVERIFY(lingered.startError->contains("did not finish"));
}

void ProcessRunnerTest::run_reportsStartFailure()
{
    QTemporaryDir dir;
    const auto missing = ProcessRunner::runBlocking(dir.filePath("no-such-program"), {});
    QVERIFY(!missing.started());
    QVERIFY(!missing.startError->isEmpty());
    QVERIFY(missing.output.isEmpty());

    QFile plain(dir.filePath("not-executable"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("#!/bin/sh\necho hi\n");
    plain.close();
    QVERIFY(!ProcessRunner::runBlocking(plain.fileName(), {}).started());
}

void ProcessRunnerTest::run_usesWorkingDirectoryAndPassesArgumentsVerbatim()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("inner");
    const QString script = writeScript(dir, "where", "pwd\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
    const auto result = ProcessRunner::runBlocking(script, { "$HOME", "a b", "*" }, dir.filePath("inner"));
    QCOMPARE(QString::fromUtf8(result.output),
        QDir(dir.filePath("inner")).canonicalPath() + "\n[$HOME]\n[a b]\n[*]\n");
    const auto inherited = ProcessRunner::runBlocking(script, {});
    QCOMPARE(QString::fromUtf8(inherited.output), QDir::currentPath() + "\n");
}

void ProcessRunnerTest::run_deliversOnceAsynchronously()
{
    QTemporaryDir dir;
    const QString script = writeScript(dir, "slow", "sleep 0.2\necho done\n");
    const QFuture<ProcessRunner::RunResult> run = ProcessRunner::run(script, {});
    QCOMPARE(TestFutures::waitFor(run, 10000).output, QByteArray("done\n"));
    QCOMPARE(run.resultCount(), 1);
}

// A login shell whose start-up files hang, with a child of its own, as discovery meets it.
void ProcessRunnerTest::run_timeoutEndsEverythingTheProgramStarted()
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("child.pid");
    const auto result
        = ProcessRunner::runBlocking(hangingShell(dir, pidFile), { "-l", "-c", "manpath" }, QString(), 1000);
    QVERIFY(!result.started());
    QVERIFY(result.startError->contains("did not finish"));
    const QByteArray child = readPid(pidFile);
    QVERIFY(!child.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!isRunning(child), 10000);
}

void ProcessRunnerTest::run_underLimits_reportsTheSignalThatEndedIt()
{
    QTemporaryDir dir;
    // The ceilings arrive within moments of the start, after the program's first instructions: the script
    // waits for them rather than racing them, and would run into the time limit without them.
    const QString limits
        = writeScript(dir, "limits", "while [ \"$(ulimit -t)\" != 7 ]; do :; done\nulimit -v\nulimit -t\n");
    const ProcessRunner::ResourceLimits ceilings { qint64(256) << 20, 7 };
    const auto reported = ProcessRunner::runBlocking(limits, {}, QString(), 30000, ceilings);
    QCOMPARE(reported.output, QByteArray("262144\n7\n"));
    QCOMPARE(reported.exitStatus, std::optional(0));

    const QString spins = writeScript(dir, "spins", "echo start\nwhile :; do :; done\n");
    const auto spun = ProcessRunner::runBlocking(spins, {}, QString(), 120000, { -1, 1 });
    QVERIFY(spun.started());
    QCOMPARE(spun.output, QByteArray("start\n"));
    QCOMPARE(spun.exitStatus, std::nullopt);
    const QString fails = writeScript(dir, "fails", "exit 6\n");
    QCOMPARE(ProcessRunner::runBlocking(fails, {}).exitStatus, std::optional(6));
}

void ProcessRunnerTest::parsePathList_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("directories"); // empty: nothing
    QTest::newRow("greeting then path") << QByteArray("Welcome!\n/usr/share/man:/usr/local/share/man\n")
                                        << QStringList({ "/usr/share/man", "/usr/local/share/man" });
    QTest::newRow("trimmed line") << QByteArray("  /a:/b  \n") << QStringList({ "/a", "/b" });
    QTest::newRow("pieces untrimmed")
        << QByteArray("/a: /b") << QStringList({ "/a", QDir::current().absoluteFilePath(" /b") });
    QTest::newRow("empty pieces") << QByteArray("/a::/b:") << QStringList({ "/a", "/b" });
    QTest::newRow("last line with slash")
        << QByteArray("/x\n/y:/z\nno slash here\n\n") << QStringList({ "/y", "/z" });
    QTest::newRow("duplicates kept") << QByteArray("/a:/a") << QStringList({ "/a", "/a" });
    QTest::newRow("relative") << QByteArray("rel/man:/abs")
                              << QStringList({ QDir::current().absoluteFilePath("rel/man"), "/abs" });
    QTest::newRow("no slash") << QByteArray("manpath: command not found\n") << QStringList();
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("invalid utf-8") << QByteArray("/a:/b\xff\n") << QStringList();
}

void ProcessRunnerTest::parsePathList()
{
    QFETCH(QByteArray, output);
    QFETCH(QStringList, directories);
    const auto parsed = SearchPaths::parsePathList(output);
    if (directories.isEmpty())
        QCOMPARE(parsed, std::nullopt);
    else
        QCOMPARE(parsed, std::optional(directories));
}

void ProcessRunnerTest::discovery_followsShellThenFallbacks()
{
    QTemporaryDir dir;
    const QString shell = writeScript(dir, "shell",
        "[ \"$1\" = -l ] && [ \"$2\" = -c ] || exit 9\n"
        "case \"$3\" in manpath) echo 'hello'; echo /m1:/m2;; 'echo \"$PATH\"') echo /p1:/p2;; esac\n");
    {
        const ShellOverride override(shell.toUtf8());
        QCOMPARE(SearchPaths::manualDirectories(), QStringList({ "/m1", "/m2" }));
        QCOMPARE(SearchPaths::commandDirectories(), QStringList({ "/p1", "/p2" }));
    }
    const QString silent = writeScript(dir, "silent", "echo 'no path here'\n");
    const QStringList fixedCommandPath { "/usr/local/bin", "/usr/bin", "/bin", "/usr/sbin", "/sbin" };
    {
        const ShellOverride override(silent.toUtf8());
        QCOMPARE(SearchPaths::commandDirectories(), fixedCommandPath);
        const QStringList manual = SearchPaths::manualDirectories();
        QVERIFY(!manual.isEmpty()); // from /usr/bin/manpath, or /usr/share/man without it
        if (!QFile::exists("/usr/bin/manpath"))
            QCOMPARE(manual, QStringList({ "/usr/share/man" }));
    }
    {
        const ShellOverride override(dir.filePath("no-such-shell").toUtf8());
        QCOMPARE(SearchPaths::commandDirectories(), fixedCommandPath);
        QVERIFY(!SearchPaths::manualDirectories().isEmpty());
    }
}

// Quitting while the login shell still answers: the stop ends it and its children at once, without waiting
// for the discovery's time limit, and no fallback program runs after it.
void ProcessRunnerTest::discovery_stopped_endsTheShellAndEverythingItStarted()
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("child.pid");
    const ShellOverride override(hangingShell(dir, pidFile).toUtf8());
    const AppModel::Discovery discovery = AppModel::systemDiscovery();
    const QFuture<QStringList> found = QtConcurrent::run(discovery.manualDirectories);
    QTRY_VERIFY_WITH_TIMEOUT(!readPid(pidFile).isEmpty(), 10000);
    const QByteArray child = readPid(pidFile);
    discovery.stop();
    QCOMPARE(TestFutures::waitFor(found), QStringList());
    QVERIFY(found.isFinished());
    QTRY_VERIFY_WITH_TIMEOUT(!isRunning(child), 10000);
    // Stopped for good: a later discovery starts nothing.
    QCOMPARE(discovery.commandDirectories(), QStringList());
}

QTEST_GUILESS_MAIN(ProcessRunnerTest)
#include "tst_processrunner.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/spawnedprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char **environ;

namespace Lectorin::SpawnedProcess {
namespace {

class FileActions
{
public:
    FileActions() { posix_spawn_file_actions_init(&m_actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&m_actions); }
    FileActions(const FileActions &) = delete;
    FileActions &operator=(const FileActions &) = delete;
    posix_spawn_file_actions_t *get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

void closeRetrying(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

void reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
}

// Whether the process has ended, leaving it to be reaped.
bool hasEnded(pid_t pid)
{
    siginfo_t info {};
    while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0) {
        if (errno != EINTR)
            return true; // not our child any more: nothing to wait for
    }
    return info.si_pid == pid;
}

} // namespace

Result runBlocking(const QString &executable, const QStringList &arguments, const QString &directory,
    int timeoutMilliseconds)
{
    Result result;
    int pipeEnds[2] = { -1, -1 };
    // Close-on-exec keeps the write end out of programs other threads start meanwhile.
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        result.startErrno = errno;
        return result;
    }

    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const QByteArray directoryBytes = QFile::encodeName(directory);
    if (!directory.isEmpty())
        posix_spawn_file_actions_addchdir_np(actions.get(), directoryBytes.constData());

    // A bare name is looked up on PATH, as a shell would.
    const QString found = executable.contains(u'/') ? executable : QStandardPaths::findExecutable(executable);
    const QByteArray program = QFile::encodeName(found.isEmpty() ? executable : found);
    std::vector<QByteArray> storage;
    storage.reserve(arguments.size());
    std::vector<char *> argv { const_cast<char *>(program.constData()) };
    for (const QString &argument : arguments) {
        storage.push_back(QFile::encodeName(argument));
        argv.push_back(storage.back().data());
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawned
        = ::posix_spawn(&pid, program.constData(), actions.get(), nullptr, argv.data(), environ);
    closeRetrying(pipeEnds[1]);
    if (spawned != 0) {
        closeRetrying(pipeEnds[0]);
        result.startErrno = spawned;
        return result;
    }

    result.outcome = Result::Outcome::finished;
    // Spelled out: in a conditional, Forever would turn into the number 0, a deadline already passed.
    const QDeadlineTimer deadline = timeoutMilliseconds < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                            : QDeadlineTimer(qint64(timeoutMilliseconds));
    // Between pipe events the program's end and the deadline are looked at every few milliseconds.
    const auto nextWait = [&deadline] {
        constexpr qint64 kCheckMilliseconds = 5;
        const qint64 remaining = deadline.remainingTime();
        return int(remaining < 0 ? kCheckMilliseconds : std::min(remaining, kCheckMilliseconds));
    };
    const auto giveUp = [&] {
        // A hung program would hold its caller forever.
        ::kill(pid, SIGKILL);
        result.outcome = Result::Outcome::timedOut;
    };
    bool programEnded = false;
    char buffer[65536];
    for (;;) {
        pollfd ready { pipeEnds[0], POLLIN, 0 };
        // Once the program has ended, only what is already in the pipe is read.
        const int polled = ::poll(&ready, 1, programEnded ? 0 : nextWait());
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled < 0)
            break;
        if (polled == 0) {
            if (programEnded)
                break; // what it left behind may hold the pipe open
            if (hasEnded(pid))
                programEnded = true;
            else if (deadline.hasExpired()) {
                giveUp();
                break;
            }
            continue;
        }
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.output.append(buffer, got);
    }
    // A program that closed its output may still run; the time limit holds for it too.
    while (result.outcome == Result::Outcome::finished && !programEnded && !hasEnded(pid)) {
        if (deadline.hasExpired()) {
            giveUp();
            break;
        }
        ::poll(nullptr, 0, nextWait());
    }
    closeRetrying(pipeEnds[0]);
    reap(pid);
    return result;
}

} // namespace Lectorin::SpawnedProcess

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/spawnedprocess.h"

#include <QDeadlineTimer>
#include <QFile>

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

} // namespace

Result runBlocking(const QString &executable, const QStringList &arguments, const QString &directory,
    int timeoutMilliseconds)
{
    Result result;
    int pipeEnds[2] = { -1, -1 };
    // Close-on-exec keeps the write end out of programs other threads start meanwhile.
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;

    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const QByteArray directoryBytes = QFile::encodeName(directory);
    if (!directory.isEmpty())
        posix_spawn_file_actions_addchdir_np(actions.get(), directoryBytes.constData());

    const QByteArray program = QFile::encodeName(executable);
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
        return result;
    }

    result.outcome = Result::Outcome::finished;
    const QDeadlineTimer deadline(timeoutMilliseconds < 0 ? QDeadlineTimer::Forever : timeoutMilliseconds);
    char buffer[65536];
    for (;;) {
        pollfd ready { pipeEnds[0], POLLIN, 0 };
        const qint64 remaining = deadline.remainingTime();
        const int polled = ::poll(&ready, 1, remaining < 0 ? -1 : int(std::min<qint64>(remaining, 1 << 30)));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0) {
            // A hung formatter would hold the indexer forever.
            ::kill(pid, SIGKILL);
            result.outcome = Result::Outcome::timedOut;
            break;
        }
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.output.append(buffer, got);
    }
    closeRetrying(pipeEnds[0]);
    reap(pid);
    return result;
}

} // namespace Lectorin::SpawnedProcess

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/spawnedprocess.h"

#include "catalogue/filenames.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>

extern char **environ;

namespace Lectorin::SpawnedProcess {
namespace {

// Owns one of posix_spawn's argument objects.
template<typename T, int (*Init)(T *), int (*Destroy)(T *)>
class SpawnArgument
{
public:
    SpawnArgument() { Init(&m_value); }
    ~SpawnArgument() { Destroy(&m_value); }
    SpawnArgument(const SpawnArgument &) = delete;
    SpawnArgument &operator=(const SpawnArgument &) = delete;
    T *get() { return &m_value; }

private:
    T m_value;
};
using FileActions = SpawnArgument<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
    posix_spawn_file_actions_destroy>;
using Attributes = SpawnArgument<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

void closeIfOpen(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

std::optional<int> reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return std::nullopt;
    }
    return WIFEXITED(status) ? std::optional(WEXITSTATUS(status)) : std::nullopt;
}

void setLimit(pid_t pid, __rlimit_resource resource, qint64 value)
{
    if (value < 0)
        return;
    const rlimit limit { rlim_t(value), rlim_t(value) };
    ::prlimit(pid, resource, &limit, nullptr);
}

// Waits for the first of: output on `pipe`, the end of the process behind `pidfd`, the cancellation, the
// deadline. A descriptor of -1 is not watched.
struct Readiness
{
    bool output = false;
    bool ended = false;
    bool cancelled = false;
};
Readiness waitForEvent(int pipe, int pidfd, int cancellation, const QDeadlineTimer &deadline)
{
    pollfd watched[3] = { { pidfd, POLLIN, 0 }, { pipe, POLLIN, 0 }, { cancellation, POLLIN, 0 } };
    const qint64 remaining = deadline.remainingTime();
    const int timeout = remaining < 0 ? -1 : int(std::min<qint64>(remaining, INT_MAX));
    const int polled = ::poll(watched, 3, timeout);
    if (polled < 0 && errno != EINTR)
        return { false, true, false }; // nothing left to wait with: finish as if ended
    if (polled <= 0)
        return {};
    return { watched[1].revents != 0, watched[0].revents != 0, watched[2].revents != 0 };
}

} // namespace

Cancellation::Cancellation()
    : m_descriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{ }

Cancellation::~Cancellation()
{
    closeIfOpen(m_descriptor);
}

void Cancellation::cancel()
{
    // Never read, so it stays readable: every later wait sees it too.
    const eventfd_t one = 1;
    ::write(m_descriptor, &one, sizeof one);
}

bool Cancellation::isCancelled() const
{
    pollfd watched { m_descriptor, POLLIN, 0 };
    return ::poll(&watched, 1, 0) > 0;
}

void ResourceLimits::applyToThisProcess() const
{
    setLimit(0, RLIMIT_AS, addressSpaceBytes);
    setLimit(0, RLIMIT_CPU, processorSeconds);
}

Result runBlocking(const QString &executable, const QStringList &arguments, const QString &directory,
    int timeoutMilliseconds, const ResourceLimits &limits, const Cancellation *cancellation)
{
    Result result;
    if (cancellation && cancellation->isCancelled()) {
        result.outcome = Result::Outcome::cancelled;
        return result;
    }
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
    const QByteArray directoryBytes = FileNames::encode(directory);
    if (!directory.isEmpty())
        posix_spawn_file_actions_addchdir_np(actions.get(), directoryBytes.constData());
    // Its own group: whatever the program starts can be ended with it.
    Attributes attributes;
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(attributes.get(), 0);

    // A bare name is looked up on PATH, as a shell would.
    const QString found = executable.contains(u'/') ? executable : QStandardPaths::findExecutable(executable);
    const QByteArray program = FileNames::encode(found.isEmpty() ? executable : found);
    std::vector<QByteArray> storage;
    storage.reserve(arguments.size());
    std::vector<char *> argv { const_cast<char *>(program.constData()) };
    for (const QString &argument : arguments) {
        storage.push_back(FileNames::encode(argument));
        argv.push_back(storage.back().data());
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawned
        = ::posix_spawn(&pid, program.constData(), actions.get(), attributes.get(), argv.data(), environ);
    closeIfOpen(pipeEnds[1]);
    if (spawned != 0) {
        closeIfOpen(pipeEnds[0]);
        result.startErrno = spawned;
        return result;
    }
    // glibc's posix_spawn returns once the program is executing, so the ceilings arrive after its first
    // instructions: far too soon for it to have taken much memory, and processor time counts from the start.
    setLimit(pid, RLIMIT_AS, limits.addressSpaceBytes);
    setLimit(pid, RLIMIT_CPU, limits.processorSeconds);
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        result.startErrno = errno;
        ::kill(-pid, SIGKILL);
        closeIfOpen(pipeEnds[0]);
        reap(pid);
        return result;
    }

    result.outcome = Result::Outcome::finished;
    // Spelled out: in a conditional, Forever would turn into the number 0, a deadline already passed.
    const QDeadlineTimer deadline = timeoutMilliseconds < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                            : QDeadlineTimer(qint64(timeoutMilliseconds));
    int output = pipeEnds[0];
    char buffer[65536];
    for (;;) {
        const Readiness ready
            = waitForEvent(output, pidfd, cancellation ? cancellation->descriptor() : -1, deadline);
        if (ready.ended)
            break;
        if (ready.cancelled) {
            ::kill(-pid, SIGKILL);
            result.outcome = Result::Outcome::cancelled;
            break;
        }
        if (ready.output) {
            const ssize_t got = ::read(output, buffer, sizeof buffer);
            if (got > 0) {
                result.output.append(buffer, got);
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            closeIfOpen(output); // the end of the output; the program may still run
            output = -1;
            continue;
        }
        if (deadline.hasExpired()) {
            // A hung program would hold its caller forever, and what it started with it.
            ::kill(-pid, SIGKILL);
            result.outcome = Result::Outcome::timedOut;
            break;
        }
    }
    // Once the program has ended, only what it wrote is read: at most a pipe's capacity, since it could not
    // write more than that unread. What it left behind may hold the pipe open and go on writing.
    if (output >= 0 && result.outcome == Result::Outcome::finished) {
        ::fcntl(output, F_SETFL, O_NONBLOCK);
        qsizetype left = std::max(::fcntl(output, F_GETPIPE_SZ), int(sizeof buffer));
        while (left > 0) {
            const ssize_t got = ::read(output, buffer, std::min<size_t>(sizeof buffer, size_t(left)));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            result.output.append(buffer, got);
            left -= got;
        }
    }
    closeIfOpen(output);
    ::close(pidfd);
    const std::optional<int> status = reap(pid);
    if (result.outcome == Result::Outcome::finished)
        result.exitStatus = status;
    return result;
}

} // namespace Lectorin::SpawnedProcess

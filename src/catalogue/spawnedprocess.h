// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Runs a short program for its output with posix_spawn: from a large process (the GUI with its web engine)
// this costs a fraction of QProcess's fork, and it needs no event loop.
namespace Lectorin::SpawnedProcess {

// Ceilings for a child, so that no input can make it take the machine's memory or a processor for good. A
// spawned program gets them moments after it starts (posix_spawn has no hook before exec); a forked one
// applies them itself before exec.
struct ResourceLimits
{
    qint64 addressSpaceBytes = -1; // -1: the parent's
    qint64 processorSeconds = -1;

    bool operator==(const ResourceLimits &) const = default;
    // In a child between fork and exec: async-signal-safe.
    void applyToThisProcess() const;
};

// Stops runs from another thread: once cancelled, a run given it ends its process group at once, and a run
// given it later does not start. Cancelling is safe from any thread and lasts.
class Cancellation
{
public:
    Cancellation();
    ~Cancellation();
    Cancellation(const Cancellation &) = delete;
    Cancellation &operator=(const Cancellation &) = delete;

    void cancel();
    bool isCancelled() const;
    // Readable once cancelled; for poll().
    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor;
};

struct Result
{
    enum class Outcome
    {
        finished,
        timedOut, // killed after the time limit; `output` holds what came before
        cancelled, // killed, or never started, because the run was cancelled
        notStarted,
    };
    Outcome outcome = Outcome::notStarted;
    QByteArray output;
    std::optional<int> exitStatus; // of a finished program; nothing when a signal ended it
    int startErrno = 0; // why it did not start
};

// Runs `executable` with `arguments` (no shell) in `directory` (the current one when empty), standard input
// and error on /dev/null, in a process group of its own under `limits`. Blocks the calling thread until the
// program ends, `timeoutMilliseconds` pass (never when negative) or `cancellation` is cancelled; then the
// whole group is killed. The run ends when the program does, with what it wrote by then: a process it left
// behind holding the output open does not hold the caller. Paths and arguments are encoded with
// FileNames::encode.
Result runBlocking(const QString &executable, const QStringList &arguments, const QString &directory,
    int timeoutMilliseconds, const ResourceLimits &limits = {}, const Cancellation *cancellation = nullptr);

} // namespace Lectorin::SpawnedProcess

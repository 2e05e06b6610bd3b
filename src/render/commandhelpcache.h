// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/commandhelp.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPromise>

#include <memory>
#include <optional>

namespace Lectorin {

// The help output of every executable asked for while the process runs. The map is touched only on the
// thread this object lives on; the tries run on the thread pool and their results come back to it, so
// concurrent requests for one executable share a single run.
class CommandHelpCache : public QObject
{
    Q_OBJECT

public:
    explicit CommandHelpCache(QObject *parent = nullptr);

    // The process's cache, living on the application's main thread.
    static CommandHelpCache &shared();

    // May be called from any thread.
    QFuture<CommandHelp::Output> helpOutput(const QString &executablePath);

private:
    using Waiter = std::shared_ptr<QPromise<CommandHelp::Output>>;
    struct Entry
    {
        std::optional<CommandHelp::Output> output;
        QList<Waiter> waiters;
    };

    void lookUp(const QString &executablePath, const Waiter &waiter);
    void store(const QString &executablePath, const CommandHelp::Output &output);

    QHash<QString, Entry> m_entries;
};

} // namespace Lectorin

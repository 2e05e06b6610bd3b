// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandhelpcache.h"

#include "catalogue/processrunner.h"

#include <QCoreApplication>
#include <QThread>
#include <QtConcurrent>

namespace Lectorin {
namespace {

void fulfil(const std::shared_ptr<QPromise<CommandHelp::Output>> &promise, const CommandHelp::Output &output)
{
    promise->addResult(output);
    promise->finish();
}

} // namespace

CommandHelpCache::CommandHelpCache(QObject *parent)
    : QObject(parent)
{ }

CommandHelpCache &CommandHelpCache::shared()
{
    static CommandHelpCache *const instance = [] {
        auto *cache = new CommandHelpCache;
        if (const QCoreApplication *application = QCoreApplication::instance())
            cache->moveToThread(application->thread());
        return cache;
    }();
    return *instance;
}

QFuture<CommandHelp::Output> CommandHelpCache::helpOutput(const QString &executablePath)
{
    const Waiter waiter = std::make_shared<QPromise<CommandHelp::Output>>();
    waiter->start();
    QFuture<CommandHelp::Output> future = waiter->future();
    // Runs at once on this object's own thread; from any other thread it is queued there.
    QMetaObject::invokeMethod(this, [this, executablePath, waiter] { lookUp(executablePath, waiter); });
    return future;
}

void CommandHelpCache::lookUp(const QString &executablePath, const Waiter &waiter)
{
    Entry &entry = m_entries[executablePath];
    if (entry.output) {
        fulfil(waiter, *entry.output);
        return;
    }
    entry.waiters.append(waiter);
    if (entry.waiters.size() > 1)
        return; // a run for this executable is already on its way
    // The tries wait for commands that may hang until their limits; the renders' threads stay free.
    QtConcurrent::run(ProcessRunner::waitingPool(), [executablePath] {
        return CommandHelp::runHelpTries(executablePath);
    }).then(this, [this, executablePath](const CommandHelp::Output &output) {
        store(executablePath, output);
    });
}

void CommandHelpCache::store(const QString &executablePath, const CommandHelp::Output &output)
{
    Entry &entry = m_entries[executablePath];
    entry.output = output;
    const QList<Waiter> waiters = std::exchange(entry.waiters, {});
    for (const Waiter &waiter : waiters)
        fulfil(waiter, output);
}

} // namespace Lectorin

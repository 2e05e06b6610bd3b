// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/heldcall.h"
#include "catalogue/manpage.h"
#include "render/manpagerenderer.h"

#include <QFuture>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

namespace Lectorin {

class AppModel;

// Keeps the full-text index in step with the catalogue: after every catalogue publish it renders the new and
// changed pages and drops the vanished ones, one page at a time on one low-priority thread. Lives on the GUI
// thread.
class FullTextIndexer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isIndexing READ isIndexing NOTIFY isIndexingChanged)

public:
    struct Options
    {
        QString indexPath;
        QString formatter = QStringLiteral("/usr/bin/mandoc");
        // Pages written per transaction; searches see them when it commits.
        int batchSize = 200;
        SpawnedProcess::ResourceLimits formatterLimits = kFormatterLimits;
        // The translations the pages were scanned with, recorded with a complete pass.
        QStringList languages = {};
    };
    // The index in the user's cache folder and the system's mandoc.
    static Options defaultOptions();

    // What one run did.
    struct Summary
    {
        qsizetype indexed = 0; // pages new to the index
        qsizetype updated = 0; // pages whose file changed
        qsizetype removed = 0; // rows of pages no longer in the catalogue
        qsizetype unchanged = 0;
        qint64 milliseconds = 0;
        bool available = true; // false when no index could be opened or made
        bool cancelled = false;

        bool operator==(const Summary &) const = default;
    };

    // How a run reports back; each callback is called on the run's thread and may be empty.
    struct Reporter
    {
        std::function<bool()> isCancelled;
        std::function<void(qsizetype done, qsizetype total)> progressed;
        std::function<void()> committed;
    };

    // One run, blocking the calling thread: brings the index at `options.indexPath` in step with `pages`
    // (help pages are skipped). A damaged file is rebuilt. Cancelled, it stops between two pages and keeps
    // what it has written.
    static Summary updateBlocking(
        const QList<ManPage> &pages, const Options &options, const Reporter &reporter);

    // Whether no folder the index's last complete pass read from has changed since, and that pass showed the
    // translations of `languages`, so the index needs no update. Cheap: one file status a folder. A page
    // rewritten in place, leaving its folder alone, is missed.
    static bool isCurrent(const QString &indexPath, const QStringList &languages);
    // As isCurrent, for search paths given rather than remembered: the pass must also have read its pages
    // from these manual and Info folders only, and from each of them that holds any.
    static bool isCurrentFor(const QString &indexPath, const QStringList &languages,
        const QStringList &manualDirectories, const QStringList &infoDirectories);

    explicit FullTextIndexer(Options options = defaultOptions(), QObject *parent = nullptr);
    // Stops the run between two pages and waits for it.
    ~FullTextIndexer() override;

    const Options &options() const { return m_options; }
    bool isIndexing() const { return m_isIndexing; }
    // The last progress: pages of the catalogue up to date in the index, and pages to index in all.
    qsizetype doneCount() const { return m_done; }
    qsizetype totalCount() const { return m_total; }

    // Indexes the model's pages now if its catalogue is loaded, and again after every load.
    void watch(AppModel *model);
    // Starts a run over `pages`; a running one is stopped first and this one follows it.
    void update(const QList<ManPage> &pages);
    // Stops the current run and waits for it; what it wrote stays.
    void stop();
    // While held, no run starts; released, the latest one asked for does. A run under way goes on.
    void setHeld(bool held);

Q_SIGNALS:
    void progress(qsizetype done, qsizetype total);
    // After each batch is written, so searches can be repeated over the larger index.
    void committed();
    void finished(const Lectorin::FullTextIndexer::Summary &summary);
    void isIndexingChanged(bool indexing);

private:
    void updateNow(const QList<ManPage> &pages);
    void start(QList<ManPage> pages);
    void runFinished(const Summary &summary);
    void setIndexing(bool indexing);
    void setProgress(qsizetype done, qsizetype total);

    Options m_options;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::optional<QList<ManPage>> m_queued;
    bool m_isIndexing = false;
    HeldCall m_held;
    qsizetype m_done = 0;
    qsizetype m_total = 0;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindexer.h"

#include "catalogue/appmodel.h"
#include "catalogue/filenames.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/pagetext.h"
#include "info/infopath.h"
#include "render/infopagerenderer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QtConcurrent>

#include <algorithm>
#include <memory>

#include <sys/stat.h>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace Lectorin {
namespace {

constexpr qsizetype kOptimizeAfterPages = 1000;
// A pass indexes hundreds of pages a second; each report repaints the sidebar's progress row.
constexpr qint64 kProgressIntervalMilliseconds = 100;

// On Linux a thread priority means nothing to the normal scheduler; the nice value does, and the mandoc
// processes started from this thread inherit it.
void lowerCurrentThreadPriority()
{
#ifdef Q_OS_LINUX
    setpriority(PRIO_PROCESS, id_t(gettid()), 19);
#endif
}

// A folder's modification time in milliseconds, or -1 when it cannot be read.
qint64 milliseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

qint64 modifiedTime(const QString &path)
{
    struct stat status;
    // By the folder's own bytes: its name need not be UTF-8.
    return ::stat(FileNames::encode(path).constData(), &status) == 0 ? milliseconds(status.st_mtim) : -1;
}

QString folderOf(const QString &path)
{
    return path.left(path.lastIndexOf(u'/'));
}

// The modification times of the folders a pass reads pages from, and of their parents (the manual roots,
// which change when a section folder appears), each read once and before the files in it.
class FolderTimes
{
public:
    qint64 of(const QString &folder)
    {
        if (const auto known = m_times.constFind(folder); known != m_times.cend())
            return *known;
        const QString parent = folderOf(folder);
        if (!parent.isEmpty() && !m_times.contains(parent))
            m_times.insert(parent, modifiedTime(parent));
        return *m_times.insert(folder, modifiedTime(folder));
    }
    const QHash<QString, qint64> &all() const { return m_times; }

private:
    QHash<QString, qint64> m_times;
};

struct Work
{
    ManPage page;
    PageStamp stamp;
    bool isNew = false;
};

bool isCancelled(const FullTextIndexer::Reporter &reporter)
{
    return reporter.isCancelled && reporter.isCancelled();
}

// One pass over an open index. Returns early when the index turns out damaged or the formatter is missing.
FullTextIndexer::Summary updateIndex(FullTextIndex &index, const QList<ManPage> &pages,
    const FullTextIndexer::Options &options, const FullTextIndexer::Reporter &reporter)
{
    FullTextIndexer::Summary summary;
    const QHash<QString, PageStamp> stored = index.stamps();
    if (index.isDamaged())
        return summary;

    QSet<QString> liveIDs;
    QList<Work> work;
    FolderTimes folders;
    for (const ManPage &page : pages) {
        if (page.isHelpPage())
            continue;
        const QString path = page.path();
        const QString id = page.id();
        const auto found = stored.constFind(id);
        // Read before the file, so that a change during the pass shows next time. An unchanged folder says
        // nothing of its files: a file rewritten in place leaves its folder's time alone.
        folders.of(folderOf(path));
        struct stat file;
        // By the file's own bytes: its name need not be UTF-8.
        if (::stat(FileNames::encode(path).constData(), &file) != 0 || !S_ISREG(file.st_mode))
            continue;
        liveIDs.insert(id);
        const PageStamp stamp { path, qint64(file.st_size), milliseconds(file.st_mtim) };
        if (found == stored.cend())
            work.append({ page, stamp, true });
        else if (*found != stamp)
            work.append({ page, stamp, false });
        else
            ++summary.unchanged;
    }

    QStringList vanished;
    for (auto row = stored.cbegin(); row != stored.cend(); ++row) {
        if (!liveIDs.contains(row.key()))
            vanished.append(row.key());
    }
    if (!vanished.isEmpty() && index.beginBatch()) {
        for (const QString &id : std::as_const(vanished))
            summary.removed += index.remove(id) ? 1 : 0;
        if (!index.commitBatch())
            summary.removed = 0;
        if (reporter.committed)
            reporter.committed();
    }

    const qsizetype total = liveIDs.size();
    qsizetype done = summary.unchanged;
    if (reporter.progressed)
        reporter.progressed(done, total);
    int inBatch = 0;
    const auto commit = [&] {
        if (inBatch == 0)
            return;
        index.commitBatch();
        inBatch = 0;
        if (reporter.committed)
            reporter.committed();
    };
    InfoPageRenderer::NodeTexts nodeTexts;
    for (const Work &item : std::as_const(work)) {
        if (isCancelled(reporter)) {
            summary.cancelled = true;
            break;
        }
        const bool isNode = item.page.isInfoNode();
        const std::optional<QString> text = isNode
            ? std::optional(nodeTexts.text(item.page).value_or(QString()))
            : PageText::renderBlocking(item.page, options.formatter, options.formatterLimits);
        if (!text) {
            // Without a formatter every page would be stored empty and never rendered again.
            summary.available = false;
            break;
        }
        QString nameLine = isNode ? item.page.name : PageText::nameLine(*text);
        if (nameLine.isEmpty())
            nameLine = item.page.name;
        if (inBatch == 0 && !index.beginBatch())
            break;
        ++inBatch;
        if (!index.put({ item.page.id(), item.stamp, nameLine, *text })) {
            if (index.isDamaged())
                return summary;
            continue;
        }
        ++(item.isNew ? summary.indexed : summary.updated);
        ++done;
        if (reporter.progressed)
            reporter.progressed(done, total);
        if (inBatch >= options.batchSize)
            commit();
    }
    commit();
    if (!summary.cancelled && summary.available && !index.isDamaged())
        index.replaceFolderStamps(folders.all(), options.languages.join(u':'));
    // Many small segments slow every query down; merged once, they stay merged until the next big run.
    if (!summary.cancelled && summary.indexed + summary.updated >= kOptimizeAfterPages) {
        index.optimize();
        if (reporter.committed)
            reporter.committed();
    }
    return summary;
}

// The folders of the index's last complete pass when that pass showed `languages` and none of them changed
// since; nothing otherwise.
std::optional<QStringList> unchangedFolders(const QString &indexPath, const QStringList &languages)
{
    const std::unique_ptr<FullTextIndex> index = FullTextIndex::openForReading(indexPath);
    if (!index || index->pageLanguages() != languages.join(u':'))
        return std::nullopt;
    const QHash<QString, qint64> folders = index->folderStamps();
    if (folders.isEmpty())
        return std::nullopt;
    for (auto folder = folders.cbegin(); folder != folders.cend(); ++folder) {
        if (modifiedTime(folder.key()) != folder.value())
            return std::nullopt;
    }
    return folders.keys();
}

} // namespace

FullTextIndexer::Options FullTextIndexer::defaultOptions()
{
    return { FullTextIndex::defaultPath() };
}

bool FullTextIndexer::isCurrent(const QString &indexPath, const QStringList &languages)
{
    return unchangedFolders(indexPath, languages).has_value();
}

bool FullTextIndexer::isCurrentFor(const QString &indexPath, const QStringList &languages,
    const QStringList &manualDirectories, const QStringList &infoDirectories)
{
    const std::optional<QStringList> unchanged = unchangedFolders(indexPath, languages);
    if (!unchanged)
        return false;
    const QStringList &folders = *unchanged;
    const auto under = [](const QString &folder, const QString &root) {
        const QString clean = QDir::cleanPath(root);
        return folder == clean || folder.startsWith(clean + u'/');
    };
    // The pass records each page's folder and that folder's parent, which may lie just above a root.
    const auto recordedFor = [&](const QString &folder, const QString &root) {
        return under(folder, root) || folder == QDir::cleanPath(root + u"/..");
    };
    const QStringList roots = manualDirectories + infoDirectories;
    for (const QString &folder : folders) {
        if (std::none_of(
                roots.cbegin(), roots.cend(), [&](const QString &root) { return recordedFor(folder, root); }))
            return false;
    }
    // A root the pass did not read is new to the index, unless it holds nothing to read.
    const auto read = [&](const QString &root) {
        return std::any_of(
            folders.cbegin(), folders.cend(), [&](const QString &folder) { return under(folder, root); });
    };
    for (const QString &root : manualDirectories) {
        if (!read(root)
            && !QDir(root).entryList({ QStringLiteral("man*") }, QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
            return false;
    }
    for (const QString &root : infoDirectories) {
        if (!read(root) && !InfoPath::manuals({ root }).isEmpty())
            return false;
    }
    return true;
}

FullTextIndexer::Summary FullTextIndexer::updateBlocking(
    const QList<ManPage> &pages, const Options &options, const Reporter &reporter)
{
    QElapsedTimer timer;
    timer.start();
    Summary summary;
    summary.available = false;
    // A file found damaged on the way is deleted and built again, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<FullTextIndex> index = FullTextIndex::openForWriting(options.indexPath);
        if (!index)
            break;
        summary = updateIndex(*index, pages, options, reporter);
        if (!index->isDamaged())
            break;
        summary.available = false;
        index.reset();
        FullTextIndex::removeFiles(options.indexPath);
    }
    summary.milliseconds = timer.elapsed();
    return summary;
}

FullTextIndexer::FullTextIndexer(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    m_pool.setMaxThreadCount(1);
    m_pool.setThreadPriority(QThread::LowestPriority);
}

FullTextIndexer::~FullTextIndexer()
{
    stop();
}

void FullTextIndexer::watch(AppModel *model)
{
    // The nodes last handed over: the first reading of the manuals says it finished even when it found none,
    // and an unchanged list must not restart a pass that runs.
    const auto nodesGiven = std::make_shared<QList<ManPage>>();
    const auto updateFromModel = [this, model, nodesGiven] {
        m_options.languages = model->pageLanguages();
        *nodesGiven = model->infoNodePages();
        update(model->pages() + *nodesGiven);
    };
    connect(model, &AppModel::indexLoaded, this, updateFromModel);
    connect(model, &AppModel::infoTopicsChanged, this, [model, updateFromModel, nodesGiven] {
        if (model->indexState() == AppModel::IndexState::ready && model->infoNodePages() != *nodesGiven)
            updateFromModel();
    });
    if (model->indexState() == AppModel::IndexState::ready)
        updateFromModel();
}

void FullTextIndexer::update(const QList<ManPage> &pages)
{
    m_held.run([this, pages] { updateNow(pages); });
}

void FullTextIndexer::setHeld(bool held)
{
    m_held.setHeld(held);
}

void FullTextIndexer::updateNow(const QList<ManPage> &pages)
{
    if (m_isIndexing) {
        m_queued = pages;
        m_cancel->store(true);
        return;
    }
    start(pages);
}

void FullTextIndexer::stop()
{
    m_held.dropWaiting();
    m_queued.reset();
    if (m_cancel)
        m_cancel->store(true);
    m_pool.waitForDone();
}

void FullTextIndexer::start(QList<ManPage> pages)
{
    m_cancel = std::make_shared<std::atomic_bool>(false);
    setIndexing(true);
    // The run reaches this object only through queued calls, which are dropped with it; the destructor waits
    // for the run before the object goes.
    QtConcurrent::run(&m_pool, [this, pages = std::move(pages), options = m_options, cancel = m_cancel] {
        lowerCurrentThreadPriority();
        const Reporter reporter {
            [cancel] { return cancel->load(); },
            [this, sinceReport = QElapsedTimer()](qsizetype done, qsizetype total) mutable {
                if (sinceReport.isValid() && sinceReport.elapsed() < kProgressIntervalMilliseconds
                    && done < total)
                    return;
                sinceReport.start();
                QMetaObject::invokeMethod(
                    this, [this, done, total] { setProgress(done, total); }, Qt::QueuedConnection);
            },
            [this] { QMetaObject::invokeMethod(this, &FullTextIndexer::committed, Qt::QueuedConnection); },
        };
        return updateBlocking(pages, options, reporter);
    }).then(this, [this](const Summary &summary) { runFinished(summary); });
}

void FullTextIndexer::runFinished(const Summary &summary)
{
    if (m_queued) {
        QList<ManPage> pages = std::move(*m_queued);
        m_queued.reset();
        start(std::move(pages));
        return;
    }
    setIndexing(false);
    emit finished(summary);
}

void FullTextIndexer::setIndexing(bool indexing)
{
    if (indexing == m_isIndexing)
        return;
    m_isIndexing = indexing;
    emit isIndexingChanged(indexing);
}

void FullTextIndexer::setProgress(qsizetype done, qsizetype total)
{
    if (done == m_done && total == m_total)
        return;
    m_done = done;
    m_total = total;
    emit progress(done, total);
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/pagedescriptionloader.h"

#include "catalogue/processrunner.h"
#include "catalogue/whenfinished.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtConcurrent>

namespace Lectorin {
namespace {

const QByteArray kCacheHeader = "lectorin-descriptions 1";
constexpr qint64 kMaximumCacheSize = 64 * 1024 * 1024;
// Enough files per run that a folder of thousands costs a few processes, few enough that one page a
// program chokes on loses only its batch.
constexpr qsizetype kFilesPerRun = 256;

// What the NAME sections gave last time: a file's path, its modification time and its description.
struct CachedDescription
{
    qint64 modified = 0;
    QString description;
};
using DescriptionCache = QHash<QString, CachedDescription>;

qint64 modificationTime(const QString &path)
{
    return QFileInfo(path).lastModified().toMSecsSinceEpoch();
}

DescriptionCache readCache(const QString &path)
{
    DescriptionCache cache;
    QFile file(path);
    if (path.isEmpty() || file.size() > kMaximumCacheSize || !file.open(QIODevice::ReadOnly))
        return cache;
    if (file.readLine().trimmed() != kCacheHeader)
        return cache;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        bool isNumber = false;
        const qint64 modified = fields.value(1).toLongLong(&isNumber);
        if (fields.size() == 3 && isNumber)
            cache.insert(QString::fromUtf8(fields[0]), { modified, QString::fromUtf8(fields[2]) });
    }
    return cache;
}

void writeCache(const QString &path, const DescriptionCache &cache)
{
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(kCacheHeader + '\n');
    for (auto it = cache.cbegin(); it != cache.cend(); ++it) {
        if (it.key().contains(u'\t') || it.key().contains(u'\n'))
            continue;
        file.write(it.key().toUtf8() + '\t' + QByteArray::number(it->modified) + '\t'
            + it->description.toUtf8() + '\n');
    }
    file.commit();
}

// The descriptions the NAME sections of `pages` give, and how many of the pages, from the first, were read:
// a run that timed out or was cancelled tells nothing of its files.
struct NameSectionReading
{
    PageDescriptions descriptions;
    qsizetype pagesRead = 0;
};

NameSectionReading fromNameSections(const QList<ManPage> &pages, const DescriptionTools &tools,
    const SpawnedProcess::Cancellation *cancellation)
{
    NameSectionReading reading;
    for (qsizetype start = 0; start < pages.size(); start += kFilesPerRun) {
        const QList<ManPage> batch = pages.mid(start, kFilesPerRun);
        QStringList paths;
        for (const ManPage &page : batch)
            paths.append(page.path());
        const ProcessRunner::RunResult run = ProcessRunner::runBlocking(
            tools.lexgrog, paths, QString(), tools.timeoutMilliseconds, {}, cancellation);
        if (!run.started() || !run.exitStatus || (cancellation && cancellation->isCancelled()))
            break;
        const PageDescriptions found = DescriptionSources::fromLexgrog(run.output, batch);
        for (auto it = found.byID().cbegin(); it != found.byID().cend(); ++it)
            reading.descriptions.insert(it.key(), it.value());
        reading.pagesRead += batch.size();
    }
    return reading;
}

} // namespace

PageDescriptionLoader::PageDescriptionLoader(QString cacheFile, QObject *parent)
    : QObject(parent)
    , m_cacheFile(std::move(cacheFile))
{ }

PageDescriptionLoader::~PageDescriptionLoader()
{
    if (m_cancellation)
        m_cancellation->cancel();
    m_running.waitForFinished();
}

void PageDescriptionLoader::setHeld(bool held)
{
    m_held.setHeld(held);
}

void PageDescriptionLoader::load(const QList<ManPage> &pages, const QStringList &manualDirectories)
{
    m_held.run([this, pages, manualDirectories] { gatherInBackground(pages, manualDirectories); });
}

void PageDescriptionLoader::gatherInBackground(
    const QList<ManPage> &pages, const QStringList &manualDirectories)
{
    if (m_cancellation)
        m_cancellation->cancel();
    m_cancellation = std::make_shared<SpawnedProcess::Cancellation>();
    const int generation = ++m_generation;
    QFuture<PageDescriptions> gathered = QtConcurrent::run(
        [pages, manualDirectories, cacheFile = m_cacheFile, cancellation = m_cancellation] {
            return gather(pages, manualDirectories, cacheFile, {}, cancellation.get());
        });
    m_running = QFuture<void>(gathered);
    Futures::whenFinished(gathered, this, [this, generation](const PageDescriptions &descriptions) {
        if (generation != m_generation || descriptions == m_descriptions)
            return;
        m_descriptions = descriptions;
        emit descriptionsChanged();
    });
}

PageDescriptions PageDescriptionLoader::gather(const QList<ManPage> &pages,
    const QStringList &manualDirectories, const QString &cacheFile, const DescriptionTools &tools,
    const SpawnedProcess::Cancellation *cancellation)
{
    PageDescriptions descriptions;
    if (!manualDirectories.isEmpty()) {
        const ProcessRunner::RunResult run = ProcessRunner::runBlocking(tools.apropos,
            { QStringLiteral("-l"), QStringLiteral("-M"), manualDirectories.join(u':'), QStringLiteral(".") },
            QString(), tools.timeoutMilliseconds, {}, cancellation);
        descriptions = DescriptionSources::fromApropos(run.output);
    }

    // Pages the index does not know: a folder of the reader's own, a page installed since the index was
    // built.
    const DescriptionCache cached = readCache(cacheFile);
    DescriptionCache cache;
    QList<ManPage> unread;
    // Taken before the reading: a file that changes meanwhile is read again next time.
    QList<qint64> unreadModified;
    for (const ManPage &page : pages) {
        if (page.isHelpPage() || descriptions.contains(page.id()))
            continue;
        const QString path = page.path();
        const qint64 modified = modificationTime(path);
        const auto known = cached.constFind(path);
        if (known != cached.cend() && known->modified == modified) {
            descriptions.insert(page.id(), known->description);
            cache.insert(path, *known);
        } else {
            unread.append(page);
            unreadModified.append(modified);
        }
    }
    const NameSectionReading read = fromNameSections(unread, tools, cancellation);
    for (qsizetype i = 0; i < read.pagesRead; ++i) {
        const ManPage &page = unread.at(i);
        const QString description = read.descriptions.of(page.id());
        descriptions.insert(page.id(), description);
        // A page without a description is remembered too, so that it is not read again on every start.
        cache.insert(page.path(), { unreadModified.at(i), description });
    }
    if (!(cancellation && cancellation->isCancelled())
        && (cache.size() != cached.size() || read.pagesRead > 0))
        writeCache(cacheFile, cache);
    return descriptions;
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/annotationstore.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>

#include <algorithm>

namespace Lectorin {
namespace {

using AnnotationsFile::Contents;

template<typename T>
T *entryWithId(QList<T> &entries, const QUuid &id)
{
    const auto found
        = std::find_if(entries.begin(), entries.end(), [&](const T &entry) { return entry.id == id; });
    return found == entries.end() ? nullptr : &*found;
}

QMap<QString, QList<Highlight>> highlightsByPage(const QList<Highlight> &highlights)
{
    QMap<QString, QList<Highlight>> byPage;
    for (const Highlight &highlight : highlights)
        byPage[highlight.page].append(highlight);
    return byPage;
}

void sortHighlights(Contents &contents)
{
    std::stable_sort(
        contents.highlights.begin(), contents.highlights.end(), [](const Highlight &a, const Highlight &b) {
            return a.page != b.page ? a.page < b.page : a.quote.position < b.quote.position;
        });
}

} // namespace

AnnotationStore::AnnotationStore(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(QFileInfo(filePath).absoluteFilePath())
{
    // The folder is made now so that a file another process creates in it is seen.
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &AnnotationStore::reloadFromDisk);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &AnnotationStore::reloadFromDisk);
    refresh();
    rebuild();
    watch();
}

QString AnnotationStore::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QLatin1String("/Lectorin/annotations.json");
}

QList<Bookmark> AnnotationStore::bookmarks() const
{
    return m_contents.bookmarks;
}

QList<Highlight> AnnotationStore::highlights() const
{
    return m_contents.highlights;
}

QList<Highlight> AnnotationStore::highlightsOf(const QString &page) const
{
    QList<Highlight> found;
    std::copy_if(m_contents.highlights.cbegin(), m_contents.highlights.cend(), std::back_inserter(found),
        [&](const Highlight &highlight) { return highlight.page == page; });
    return found;
}

QString AnnotationStore::problem() const
{
    if (m_fileProblem.isEmpty() || m_writeProblem.isEmpty())
        return m_fileProblem + m_writeProblem;
    return m_fileProblem + u'\n' + m_writeProblem;
}

void AnnotationStore::addBookmark(const Bookmark &bookmark)
{
    Bookmark entry = bookmark;
    if (entry.id.isNull())
        entry.id = QUuid::createUuid();
    if (!entry.created.isValid())
        entry.created = QDateTime::currentDateTimeUtc();
    apply([entry](Contents &contents) {
        if (!entryWithId(contents.bookmarks, entry.id))
            contents.bookmarks.append(entry);
    });
}

void AnnotationStore::renameBookmark(const QUuid &id, const QString &title)
{
    apply([id, title](Contents &contents) {
        if (Bookmark *bookmark = entryWithId(contents.bookmarks, id))
            bookmark->title = title;
    });
}

void AnnotationStore::moveBookmark(const QUuid &id, int toRow)
{
    apply([id, toRow](Contents &contents) {
        if (const Bookmark *bookmark = entryWithId(contents.bookmarks, id)) {
            const qsizetype from = bookmark - contents.bookmarks.constData();
            contents.bookmarks.move(from, std::clamp<qsizetype>(toRow, 0, contents.bookmarks.size() - 1));
        }
    });
}

void AnnotationStore::removeBookmark(const QUuid &id)
{
    apply([id](Contents &contents) {
        contents.bookmarks.removeIf([&](const Bookmark &bookmark) { return bookmark.id == id; });
    });
}

void AnnotationStore::addHighlight(const Highlight &highlight)
{
    Highlight entry = highlight;
    if (entry.id.isNull())
        entry.id = QUuid::createUuid();
    if (!entry.created.isValid())
        entry.created = QDateTime::currentDateTimeUtc();
    if (!entry.modified.isValid())
        entry.modified = entry.created;
    apply([entry](Contents &contents) {
        if (!entryWithId(contents.highlights, entry.id))
            contents.highlights.append(entry);
    });
}

void AnnotationStore::updateHighlight(const Highlight &highlight)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    apply([highlight, now](Contents &contents) {
        Highlight *stored = entryWithId(contents.highlights, highlight.id);
        if (!stored)
            return;
        Highlight updated = highlight;
        updated.created = stored->created;
        updated.modified = stored->modified;
        if (updated == *stored)
            return;
        const bool dated = highlight.modified.isValid() && highlight.modified != stored->modified;
        updated.modified = dated ? highlight.modified : now;
        *stored = updated;
    });
}

void AnnotationStore::removeHighlight(const QUuid &id)
{
    apply([id](Contents &contents) {
        contents.highlights.removeIf([&](const Highlight &highlight) { return highlight.id == id; });
    });
}

void AnnotationStore::apply(const Change &change)
{
    const Contents before = m_contents;
    refresh();
    m_pending.append(change);
    rebuild();
    if (m_contents == m_saved) {
        m_pending.clear();
    } else if (m_writable) {
        const QString error = AnnotationsFile::write(m_filePath, m_contents, &m_stamp);
        if (error.isEmpty()) {
            m_saved = m_contents;
            m_pending.clear();
        }
        setProblems(m_fileProblem,
            error.isEmpty()
                ? QString()
                : tr("Your bookmarks and highlights couldn’t be saved in “%1”: %2. Lectorin keeps them "
                     "and tries again with the next change.")
                      .arg(QDir::toNativeSeparators(m_filePath), error));
    }
    publish(before);
}

void AnnotationStore::reloadFromDisk()
{
    watch();
    const Contents before = m_contents;
    if (!refresh())
        return;
    rebuild();
    publish(before);
}

bool AnnotationStore::refresh()
{
    if (AnnotationsFile::stampOf(m_filePath) == m_stamp)
        return false;
    AnnotationsFile::ReadResult result = AnnotationsFile::read(m_filePath, &m_stamp);
    switch (result.status) {
    case AnnotationsFile::Status::ok:
    case AnnotationsFile::Status::missing:
        m_saved = std::move(result.contents);
        sortHighlights(m_saved);
        m_writable = true;
        break;
    case AnnotationsFile::Status::unreadable:
        m_writable = false;
        setProblems(
            tr("Your bookmarks and highlights in “%1” couldn’t be read (%2). The file is left as it is, "
               "and nothing is saved in it until it can be read.")
                .arg(QDir::toNativeSeparators(m_filePath), result.reason),
            m_writeProblem);
        break;
    case AnnotationsFile::Status::damaged:
    case AnnotationsFile::Status::foreign:
        keepAside(result);
        break;
    }
    return true;
}

void AnnotationStore::keepAside(const AnnotationsFile::ReadResult &result)
{
    const QString file = QDir::toNativeSeparators(m_filePath);
    const QString what = result.status == AnnotationsFile::Status::damaged
        ? tr("The bookmarks and highlights file “%1” is damaged (%2).").arg(file, result.reason)
        : tr("The bookmarks and highlights file “%1” isn’t one this version of Lectorin can read (%2).")
              .arg(file, result.reason);
    const QString keptAt = AnnotationsFile::moveAside(m_filePath);
    if (keptAt.isEmpty() && QFileInfo::exists(m_filePath)) {
        m_writable = false;
        setProblems(
            what + u' ' + tr("It couldn’t be moved aside, so nothing is saved until it is."), m_writeProblem);
        return;
    }
    // Without a path, another process moved it aside first and reports where.
    if (!keptAt.isEmpty()) {
        setProblems(what + u' '
                + tr("It was kept as “%1”, and a new one was started.").arg(QDir::toNativeSeparators(keptAt)),
            m_writeProblem);
    }
    m_saved = {};
    m_stamp = AnnotationsFile::stampOf(m_filePath);
    m_writable = true;
}

void AnnotationStore::rebuild()
{
    m_contents = m_saved;
    for (const Change &change : std::as_const(m_pending))
        change(m_contents);
    sortHighlights(m_contents);
}

void AnnotationStore::publish(const Contents &before)
{
    if (before.bookmarks != m_contents.bookmarks)
        emit bookmarksChanged();
    const QMap<QString, QList<Highlight>> was = highlightsByPage(before.highlights);
    const QMap<QString, QList<Highlight>> now = highlightsByPage(m_contents.highlights);
    QStringList pages = was.keys() + now.keys();
    pages.removeDuplicates();
    std::sort(pages.begin(), pages.end());
    for (const QString &page : std::as_const(pages)) {
        if (was.value(page) != now.value(page))
            emit highlightsChanged(page);
    }
}

void AnnotationStore::setProblems(const QString &fileProblem, const QString &writeProblem)
{
    const QString before = problem();
    m_fileProblem = fileProblem;
    m_writeProblem = writeProblem;
    if (problem() != before)
        emit problemChanged();
}

void AnnotationStore::watch()
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo::exists(folder))
        m_watcher.addPath(folder);
    // A file replaced by rename is a new file: the old watch went with the old one.
    m_watcher.removePath(m_filePath);
    if (QFileInfo::exists(m_filePath))
        m_watcher.addPath(m_filePath);
}

} // namespace Lectorin

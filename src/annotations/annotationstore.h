// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"
#include "annotations/annotationsfile.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <functional>

namespace Lectorin {

// The reader's bookmarks and highlights, backed by one JSON file written atomically. A damaged or foreign
// file is renamed aside and reported through problem(). Each change is applied on top of the file as it is on
// disk, so two processes editing at once lose nothing; outside changes are reloaded. Emits only on real
// change.
class AnnotationStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    explicit AnnotationStore(const QString &filePath, QObject *parent = nullptr);

    // QStandardPaths::GenericDataLocation + "/Lectorin/annotations.json".
    static QString defaultFilePath();
    QString filePath() const { return m_filePath; }

    QList<Bookmark> bookmarks() const; // user's order
    QList<Highlight> highlights() const; // all, by page then position
    QList<Highlight> highlightsOf(const QString &page) const;
    // Human text when the file could not be read or written, else empty.
    QString problem() const;

    // A null id is replaced by a new one, an invalid creation date by now; an id already kept is ignored.
    void addBookmark(const Bookmark &bookmark);
    void renameBookmark(const QUuid &id, const QString &title);
    // `toRow`: the row the bookmark ends up in.
    void moveBookmark(const QUuid &id, int toRow);
    void removeBookmark(const QUuid &id);
    void addHighlight(const Highlight &highlight);
    // Note, colour, re-attached quote; the modification date becomes now unless the caller changed it.
    void updateHighlight(const Highlight &highlight);
    void removeHighlight(const QUuid &id);

signals:
    void bookmarksChanged();
    void highlightsChanged(const QString &page);
    void problemChanged();

private:
    // One edit, applied by id so it can be applied again on top of what another process wrote.
    using Change = std::function<void(AnnotationsFile::Contents &)>;

    void apply(const Change &change);
    void reloadFromDisk();
    // Reads the file when its stamp differs from the one last seen; returns whether it did.
    bool refresh();
    void keepAside(const AnnotationsFile::ReadResult &result);
    // `m_contents` is what was read or written last with the edits not yet saved on top.
    void rebuild();
    void publish(const AnnotationsFile::Contents &before);
    void setProblems(const QString &fileProblem, const QString &writeProblem);
    void watch();

    QString m_filePath;
    AnnotationsFile::Contents m_saved;
    QList<Change> m_pending;
    AnnotationsFile::Contents m_contents;
    AnnotationsFile::Stamp m_stamp;
    // False while a file that could not be read or moved aside is in the way.
    bool m_writable = true;
    QString m_fileProblem;
    QString m_writeProblem;
    QFileSystemWatcher m_watcher;
};

} // namespace Lectorin

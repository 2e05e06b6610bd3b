// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/annotationstore.h"

#include <QStandardPaths>

namespace Lectorin {

AnnotationStore::AnnotationStore(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
{ }

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
QList<Highlight> AnnotationStore::highlightsOf(const QString &) const
{
    return {};
}
QString AnnotationStore::problem() const
{
    return m_problem;
}
void AnnotationStore::addBookmark(const Bookmark &) { }
void AnnotationStore::renameBookmark(const QUuid &, const QString &) { }
void AnnotationStore::moveBookmark(const QUuid &, int) { }
void AnnotationStore::removeBookmark(const QUuid &) { }
void AnnotationStore::addHighlight(const Highlight &) { }
void AnnotationStore::updateHighlight(const Highlight &) { }
void AnnotationStore::removeHighlight(const QUuid &) { }
void AnnotationStore::apply(const Change &) { }
bool AnnotationStore::refresh()
{
    return false;
}
void AnnotationStore::write() { }
void AnnotationStore::publish(const AnnotationsFile::Contents &) { }
void AnnotationStore::setProblem(const QString &) { }
void AnnotationStore::watch() { }

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/unrenderablepages.h"

#include "catalogue/filenames.h"

#include <QCoreApplication>
#include <QThread>

#include <sys/stat.h>

namespace Lectorin {

std::optional<UnrenderablePages::FileState> UnrenderablePages::stateOf(const QString &path)
{
    struct stat status;
    if (::stat(FileNames::encode(path).constData(), &status) != 0)
        return std::nullopt;
    return FileState { qint64(status.st_dev), qint64(status.st_ino), qint64(status.st_size),
        qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec };
}

UnrenderablePages::UnrenderablePages(QObject *parent)
    : QObject(parent)
{ }

UnrenderablePages &UnrenderablePages::shared()
{
    static UnrenderablePages *const instance = [] {
        auto *pages = new UnrenderablePages;
        if (const QCoreApplication *application = QCoreApplication::instance())
            pages->moveToThread(application->thread());
        return pages;
    }();
    return *instance;
}

bool UnrenderablePages::contains(const QString &path) const
{
    const auto found = m_files.constFind(path);
    return found != m_files.cend() && stateOf(path) == *found;
}

void UnrenderablePages::insert(const QString &path, const FileState &state)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, path, state] { insert(path, state); });
        return;
    }
    m_files.insert(path, state);
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/pagefilewatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

namespace Lectorin {

PageFileWatcher::PageFileWatcher(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(QFileInfo(path).absoluteFilePath())
    , m_seen(signatureOf(m_path))
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMilliseconds);
    connect(m_settle, &QTimer::timeout, this, &PageFileWatcher::settle);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    if (m_seen.exists)
        m_watcher->addPath(m_path);
}

PageFileWatcher::Signature PageFileWatcher::signatureOf(const QString &path)
{
    // The inode tells a file renamed over the old one from the old one rewritten within the same tick.
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return { true, qint64(status.st_size),
        qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec, quint64(status.st_ino) };
}

void PageFileWatcher::settle()
{
    const Signature now = signatureOf(m_path);
    // A file replaced by rename is a new file: the old watch went with the old one.
    if (now.exists && !m_watcher->files().contains(m_path))
        m_watcher->addPath(m_path);
    if (now == m_seen)
        return;
    m_seen = now;
    emit changed();
}

} // namespace Lectorin

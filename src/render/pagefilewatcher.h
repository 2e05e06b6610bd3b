// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace Lectorin {

// Tells when a file was saved. Watches the file and its folder: an editor that saves by writing a new file
// and renaming it over the old one leaves a watch on the file itself with nothing to watch, and only the
// folder sees the new file arrive. The bursts of events a save makes are gathered into one `changed()`, sent
// only when the file's size, time or identity differ from what was last seen.
class PageFileWatcher : public QObject
{
    Q_OBJECT

public:
    // Events closer together than this belong to one save.
    static constexpr int kSettleMilliseconds = 50;

    explicit PageFileWatcher(const QString &path, QObject *parent = nullptr);

    const QString &path() const { return m_path; }

Q_SIGNALS:
    void changed();

private:
    struct Signature
    {
        bool exists = false;
        qint64 size = -1;
        qint64 modifiedNanoseconds = 0;
        quint64 inode = 0;

        bool operator==(const Signature &) const = default;
    };

    static Signature signatureOf(const QString &path);
    void settle();

    QString m_path;
    Signature m_seen;
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
};

} // namespace Lectorin

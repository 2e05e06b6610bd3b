// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

namespace Lectorin {

// The page files the formatter gave up on at its memory or processor-time ceiling, each as its file was then,
// so that such a page costs that much once, not on every showing, until its file changes. Lives on one
// thread, where it is asked; results arrive from any thread.
class UnrenderablePages : public QObject
{
    Q_OBJECT

public:
    // What tells one version of a file from the next.
    struct FileState
    {
        qint64 device = 0;
        qint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNanoseconds = 0;
        bool operator==(const FileState &) const = default;
    };
    // Nothing when the file cannot be read.
    static std::optional<FileState> stateOf(const QString &path);

    explicit UnrenderablePages(QObject *parent = nullptr);
    // The process's, living on the application's main thread.
    static UnrenderablePages &shared();

    // On this object's thread: whether the formatter gave up on the file at `path` as it is now.
    bool contains(const QString &path) const;
    // From any thread, while this object lives.
    void insert(const QString &path, const FileState &state);

private:
    QHash<QString, FileState> m_files;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QByteArray>
#include <QList>

// The annotations file's JSON: {"version": 1, "bookmarks": [...], "highlights": [...]}.
namespace Lectorin::AnnotationsFile {

constexpr int kVersion = 1;

struct Contents
{
    QList<Bookmark> bookmarks;
    QList<Highlight> highlights;
    friend bool operator==(const Contents &, const Contents &) = default;
};

// `damaged`: not JSON or of the wrong shape; `foreign`: another format or version; `unreadable`: it exists
// but could not be opened, and is then neither moved nor written over.
enum class Status
{
    ok,
    missing,
    damaged,
    foreign,
    unreadable
};

struct ReadResult
{
    Status status = Status::missing;
    Contents contents;
    QString reason; // when not ok: what is wrong, in a few words
};

// Unknown fields are ignored and unknown values (a colour) read as the default; an entry that is no object
// with an id makes the file damaged, so it is kept aside whole rather than rewritten without that entry.
ReadResult parse(const QByteArray &data);
QByteArray serialize(const Contents &contents);

// The file as last seen: each atomic write makes a new file, so a different stamp means someone wrote it.
struct Stamp
{
    bool exists = false;
    quint64 inode = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 size = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};
Stamp stampOf(const QString &path);

// Reads the file without changing anything on disk; `stamp`, when given, receives the stamp of what was read.
ReadResult read(const QString &path, Stamp *stamp = nullptr);
// Writes atomically (a new file synced to disk, then renamed over the old one), making the folder if needed.
// Returns the error's text, empty on success.
QString write(const QString &path, const Contents &contents, Stamp *stamp = nullptr);
// Renames a damaged or foreign file to "NAME.damaged-YYYYMMDD-HHMMSS" (with "-2"… when that is taken), never
// replacing anything; returns the new path, empty when it could not be renamed.
QString moveAside(const QString &path);

} // namespace Lectorin::AnnotationsFile

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QByteArray>
#include <QDateTime>
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

enum class Status
{
    ok,
    missing,
    damaged,
    foreign
};

struct ReadResult
{
    Status status = Status::missing;
    Contents contents;
    QString reason; // for damaged and foreign files: what is wrong, in a few words
};

// Entries without an id are dropped; unknown fields and values fall back to defaults.
ReadResult parse(const QByteArray &data);
QByteArray serialize(const Contents &contents);

// When and how large the file was when last seen; a different stamp means someone else wrote it.
struct Stamp
{
    bool exists = false;
    QDateTime modified;
    qint64 size = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};
Stamp stampOf(const QString &path);

// Reads the file without changing anything on disk.
ReadResult read(const QString &path);

} // namespace Lectorin::AnnotationsFile

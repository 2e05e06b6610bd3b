// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace Lectorin {

// The bytes of one Info file, plain or gzip-compressed, and what kept the rest of it from being read.
struct InfoFileData
{
    QByteArray bytes;
    // Empty when the whole file was read; otherwise why only `bytes` could be.
    QString problem;

    bool operator==(const InfoFileData &) const = default;
};

// Reading Info files from disk and turning their bytes into text.
namespace InfoFile {

// The largest manual there is inflates to a few megabytes; anything past this is damaged or hostile.
inline constexpr qsizetype kMaxBytes = qsizetype(64) << 20;

bool isGzip(QByteArrayView bytes);

// `bytes` as they are, or inflated when they are gzip data. A stream that ends early or turns to garbage
// gives what came before it and a problem; one that would grow past `limit` gives nothing but the problem.
InfoFileData unpack(const QByteArray &bytes, qsizetype limit = kMaxBytes);

// The bytes of the file at `path`, still compressed if it is; nothing and `error` when it is not a readable
// regular file or is larger than `limit` on disk.
std::optional<QByteArray> read(const QString &path, QString *error = nullptr, qsizetype limit = kMaxBytes);

// At most the first `count` bytes of the file's content, inflated when compressed: enough to tell an Info
// file by its start and to read its preamble without inflating all of it.
QByteArray readStart(const QString &path, qsizetype count);

// The text of `bytes`: UTF-8 when they are valid UTF-8, whatever `coding` says (makeinfo writes UTF-8 under
// other names), else the 8-bit `coding` (ISO-8859-15 is told apart), else Latin-1.
QString decode(QByteArrayView bytes, QStringView coding = {});

// The `coding:` value of a "Local Variables:" block in `bytes`, lower-cased; empty when there is none.
QString declaredCoding(QByteArrayView bytes);

} // namespace InfoFile
} // namespace Lectorin

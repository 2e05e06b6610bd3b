// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/annotationsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace Lectorin::AnnotationsFile {
namespace {

const QLatin1String kColourNames[]
    = { QLatin1String("yellow"), QLatin1String("green"), QLatin1String("blue"), QLatin1String("pink") };

QString colourName(HighlightColour colour)
{
    return kColourNames[int(colour)];
}

// Colours a later version may add read as the default.
HighlightColour colourNamed(const QString &name)
{
    for (int i = 0; i < int(std::size(kColourNames)); ++i) {
        if (name == kColourNames[i])
            return HighlightColour(i);
    }
    return HighlightColour::yellow;
}

QString dateText(const QDateTime &date)
{
    return date.isValid() ? date.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime dateFrom(const QJsonValue &value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

QJsonObject bookmarkObject(const Bookmark &bookmark)
{
    return { { QLatin1String("id"), bookmark.id.toString(QUuid::WithoutBraces) },
        { QLatin1String("page"), bookmark.page }, { QLatin1String("fragment"), bookmark.fragment },
        { QLatin1String("title"), bookmark.title },
        { QLatin1String("created"), dateText(bookmark.created) } };
}

QJsonObject highlightObject(const Highlight &highlight)
{
    const TextQuote &quote = highlight.quote;
    const QJsonObject quoteObject { { QLatin1String("exact"), quote.exact },
        { QLatin1String("prefix"), quote.prefix }, { QLatin1String("suffix"), quote.suffix },
        { QLatin1String("section"), quote.section }, { QLatin1String("position"), quote.position } };
    return { { QLatin1String("id"), highlight.id.toString(QUuid::WithoutBraces) },
        { QLatin1String("page"), highlight.page }, { QLatin1String("pageTitle"), highlight.pageTitle },
        { QLatin1String("quote"), quoteObject }, { QLatin1String("colour"), colourName(highlight.colour) },
        { QLatin1String("note"), highlight.note }, { QLatin1String("created"), dateText(highlight.created) },
        { QLatin1String("modified"), dateText(highlight.modified) } };
}

std::optional<Bookmark> bookmarkFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QUuid id = QUuid::fromString(object.value(QLatin1String("id")).toString());
    if (id.isNull())
        return std::nullopt;
    return Bookmark { id, object.value(QLatin1String("page")).toString(),
        object.value(QLatin1String("fragment")).toString(), object.value(QLatin1String("title")).toString(),
        dateFrom(object.value(QLatin1String("created"))) };
}

std::optional<Highlight> highlightFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QUuid id = QUuid::fromString(object.value(QLatin1String("id")).toString());
    if (id.isNull())
        return std::nullopt;
    const QJsonObject quote = object.value(QLatin1String("quote")).toObject();
    return Highlight { id, object.value(QLatin1String("page")).toString(),
        object.value(QLatin1String("pageTitle")).toString(),
        { quote.value(QLatin1String("exact")).toString(), quote.value(QLatin1String("prefix")).toString(),
            quote.value(QLatin1String("suffix")).toString(), quote.value(QLatin1String("section")).toString(),
            qsizetype(quote.value(QLatin1String("position")).toInteger(-1)) },
        colourNamed(object.value(QLatin1String("colour")).toString()),
        object.value(QLatin1String("note")).toString(), dateFrom(object.value(QLatin1String("created"))),
        dateFrom(object.value(QLatin1String("modified"))) };
}

// Reads every entry of `array`; an entry that is no object with an id makes the whole file unreadable, so
// that it is kept aside whole rather than rewritten without it.
template<typename T, typename Read>
bool readEntries(const QJsonValue &value, QList<T> &entries, Read read)
{
    if (value.isUndefined())
        return true;
    if (!value.isArray())
        return false;
    for (const QJsonValue &item : value.toArray()) {
        const std::optional<T> entry = read(item);
        if (!entry)
            return false;
        entries.append(*entry);
    }
    return true;
}

Stamp stampFrom(const struct stat &status)
{
    return { true, quint64(status.st_ino),
        qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec, qint64(status.st_size) };
}

ReadResult failure(Status status, const QString &reason)
{
    return { status, {}, reason };
}

} // namespace

ReadResult parse(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        return failure(Status::damaged, QStringLiteral("not JSON: %1").arg(error.errorString()));
    if (!document.isObject())
        return failure(Status::damaged, QStringLiteral("not a JSON object"));
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble())
        return failure(Status::foreign, QStringLiteral("no version number, another program’s format"));
    if (version.toDouble() != kVersion) {
        return failure(Status::foreign,
            QStringLiteral("version %1, from another version of Lectorin").arg(version.toDouble()));
    }
    ReadResult result { Status::ok, {}, {} };
    if (!readEntries(root.value(QLatin1String("bookmarks")), result.contents.bookmarks, bookmarkFrom)
        || !readEntries(root.value(QLatin1String("highlights")), result.contents.highlights, highlightFrom))
        return failure(Status::damaged, QStringLiteral("an entry without an id or of the wrong shape"));
    return result;
}

QByteArray serialize(const Contents &contents)
{
    QJsonArray bookmarks;
    for (const Bookmark &bookmark : contents.bookmarks)
        bookmarks.append(bookmarkObject(bookmark));
    QJsonArray highlights;
    for (const Highlight &highlight : contents.highlights)
        highlights.append(highlightObject(highlight));
    const QJsonObject root { { QLatin1String("version"), kVersion },
        { QLatin1String("bookmarks"), bookmarks }, { QLatin1String("highlights"), highlights } };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Stamp stampOf(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return stampFrom(status);
}

ReadResult read(const QString &path, Stamp *stamp)
{
    QFile file(path);
    // The stamp is taken before reading: a write in between then shows as a change the next time.
    const Stamp before = stampOf(path);
    if (stamp)
        *stamp = before;
    if (!before.exists)
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return failure(Status::unreadable, file.errorString());
    return parse(file.readAll());
}

QString write(const QString &path, const Contents &contents, Stamp *stamp)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("the folder “%1” could not be made").arg(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    const QByteArray data = serialize(contents);
    struct stat status;
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush()
        || ::fsync(file.handle()) != 0 || ::fstat(file.handle(), &status) != 0)
        return file.errorString();
    // The stamp is the new file's own, taken before it replaces the old one: the rename keeps it, and a write
    // by another process right after ours still shows as a change.
    if (!file.commit())
        return file.errorString();
    if (stamp)
        *stamp = stampFrom(status);
    return {};
}

QString moveAside(const QString &path)
{
    const QString base = path + QLatin1String(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString target = attempt == 1 ? base : base + u'-' + QString::number(attempt);
        // QFile::rename never replaces an existing file.
        if (QFile::exists(target))
            continue;
        if (QFile::rename(path, target))
            return target;
        if (!QFile::exists(path))
            return {};
    }
    return {};
}

} // namespace Lectorin::AnnotationsFile

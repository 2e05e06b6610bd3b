// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infofile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <zlib.h>

#include <algorithm>
#include <array>

namespace Lectorin::InfoFile {
namespace {

QString megabytes(qsizetype limit)
{
    return QString::number(limit >> 20) + QStringLiteral(" MB");
}

// Inflates gzip (or zlib) data, member after member as gzip allows. With `stopAtLimit` the output is cut at
// `limit` without complaint, for reading only the start of a file.
InfoFileData inflateBytes(QByteArrayView compressed, qsizetype limit, bool stopAtLimit)
{
    z_stream stream {};
    // 15 window bits + 32: let zlib recognise the gzip or zlib header by itself.
    if (inflateInit2(&stream, 15 + 32) != Z_OK)
        return { {}, QStringLiteral("zlib could not be started") };
    InfoFileData data;
    std::array<char, 1 << 16> buffer;
    const char *input = compressed.data();
    qsizetype remaining = compressed.size();
    const auto feed = [&] {
        const auto chunk = uInt(std::min<qsizetype>(remaining, qsizetype(1) << 30));
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input));
        stream.avail_in = chunk;
        input += chunk;
        remaining -= chunk;
    };
    feed();
    while (true) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
        stream.avail_out = uInt(buffer.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(buffer.size()) - stream.avail_out;
        if (data.bytes.size() + produced > limit) {
            if (stopAtLimit) {
                data.bytes.append(buffer.data(), limit - data.bytes.size());
            } else {
                data = { {},
                    QStringLiteral("larger than ") + megabytes(limit) + QStringLiteral(" uncompressed") };
            }
            break;
        }
        data.bytes.append(buffer.data(), produced);
        if (stream.avail_in == 0 && remaining > 0)
            feed();
        if (status == Z_STREAM_END) {
            const qsizetype left = qsizetype(stream.avail_in) + remaining;
            // A second gzip member continues the file; anything else after the end is padding.
            if (left >= 2 && uchar(stream.next_in[0]) == 0x1f && uchar(stream.next_in[1]) == 0x8b
                && inflateReset(&stream) == Z_OK)
                continue;
            break;
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && remaining == 0) {
            data.problem = QStringLiteral("the compressed data ends early");
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            data.problem = QStringLiteral("the compressed data is damaged");
            break;
        }
    }
    inflateEnd(&stream);
    return data;
}

QString fromLatin9(QByteArrayView bytes)
{
    QString text = QString::fromLatin1(bytes);
    for (QChar &character : text) {
        switch (character.unicode()) {
        case 0xA4:
            character = QChar(0x20AC);
            break;
        case 0xA6:
            character = QChar(0x0160);
            break;
        case 0xA8:
            character = QChar(0x0161);
            break;
        case 0xB4:
            character = QChar(0x017D);
            break;
        case 0xB8:
            character = QChar(0x017E);
            break;
        case 0xBC:
            character = QChar(0x0152);
            break;
        case 0xBD:
            character = QChar(0x0153);
            break;
        case 0xBE:
            character = QChar(0x0178);
            break;
        default:
            break;
        }
    }
    return text;
}

} // namespace

bool isGzip(QByteArrayView bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0x1f && uchar(bytes[1]) == 0x8b;
}

InfoFileData unpack(const QByteArray &bytes, qsizetype limit)
{
    if (!isGzip(bytes)) {
        if (bytes.size() > limit)
            return { {}, QStringLiteral("larger than ") + megabytes(limit) };
        return { bytes, {} };
    }
    return inflateBytes(bytes, limit, false);
}

std::optional<QByteArray> read(const QString &path, QString *error, qsizetype limit)
{
    const auto fail = [error](const QString &message) -> std::optional<QByteArray> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(path + QStringLiteral(": no such file"));
    // A name in a manual's table may point at a device or a directory; only regular files are read.
    if (!info.isFile())
        return fail(path + QStringLiteral(": not a regular file"));
    if (info.size() > limit)
        return fail(path + QStringLiteral(": larger than ") + megabytes(limit));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(path + QStringLiteral(": ") + file.errorString());
    return file.read(limit);
}

QByteArray readStart(const QString &path, qsizetype count)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray head = file.read(count);
    if (!isGzip(head))
        return head;
    // The start of the deflate stream holds its code tables: read on until `count` bytes come out of it.
    QByteArray start = inflateBytes(head, count, true).bytes;
    while (start.size() < count && !file.atEnd() && head.size() < kMaxBytes) {
        head += file.read(head.size());
        start = inflateBytes(head, count, true).bytes;
    }
    return start;
}

QString decode(QByteArrayView bytes, QStringView coding)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    if (coding == u"iso-8859-15" || coding == u"latin-9" || coding == u"latin9")
        return fromLatin9(bytes);
    return QString::fromLatin1(bytes);
}

QString declaredCoding(QByteArrayView bytes)
{
    const qsizetype block = bytes.lastIndexOf(QByteArrayView("\nLocal Variables:"));
    if (block < 0)
        return {};
    const QByteArrayView rest = bytes.sliced(block, std::min<qsizetype>(bytes.size() - block, 1024));
    const qsizetype key = rest.indexOf(QByteArrayView("\ncoding:"));
    if (key < 0)
        return {};
    qsizetype end = rest.indexOf('\n', key + 1);
    if (end < 0)
        end = rest.size();
    const qsizetype start = key + 8;
    return QString::fromLatin1(rest.sliced(start, end - start)).trimmed().toLower();
}

} // namespace Lectorin::InfoFile

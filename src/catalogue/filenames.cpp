// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/filenames.h"

namespace Lectorin::FileNames {
namespace {

constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

// The length of the well-formed UTF-8 sequence at the start of `bytes`, or 0 when there is none there.
qsizetype sequenceLength(QByteArrayView bytes)
{
    const auto lead = uchar(bytes.front());
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        const auto continuation = uchar(bytes.at(i));
        if ((continuation & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (continuation & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < smallest || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    if (isUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        const qsizetype length = sequenceLength(bytes);
        if (length == 0) {
            text.append(QChar(char16_t(kFirstEscape + uchar(bytes.front()) - 0x80)));
            bytes = bytes.sliced(1);
        } else {
            text.append(QString::fromUtf8(bytes.first(length)));
            bytes = bytes.sliced(length);
        }
    }
    return text;
}

QByteArray encode(QStringView path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        const bool escape = c >= kFirstEscape && c <= kLastEscape
            && (i == 0 || !QChar::isHighSurrogate(path.at(i - 1).unicode()));
        if (!escape)
            continue;
        bytes.append(path.sliced(runStart, i - runStart).toUtf8());
        bytes.append(char(c - kFirstEscape + 0x80));
        runStart = i + 1;
    }
    bytes.append(path.sliced(runStart).toUtf8());
    return bytes;
}

bool isUtf8(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype length = sequenceLength(bytes);
        if (length == 0)
            return false;
        bytes = bytes.sliced(length);
    }
    return true;
}

} // namespace Lectorin::FileNames

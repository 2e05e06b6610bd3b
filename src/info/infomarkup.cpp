// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infomarkup.h"

#include <QRegularExpression>

namespace Lectorin::InfoMarkup {
namespace {

QString imageText(QStringView attributes)
{
    static const QRegularExpression attribute(QStringLiteral("(\\w+)=\"((?:[^\"\\\\]|\\\\.)*)\""));
    QString alt;
    QString text;
    QString source;
    QRegularExpressionMatchIterator matches = attribute.globalMatch(attributes);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        QString value = match.captured(2);
        value.replace(QStringLiteral("\\\""), QStringLiteral("\""))
            .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        if (match.captured(1) == u"alt")
            alt = value;
        else if (match.captured(1) == u"text")
            text = value;
        else if (match.captured(1) == u"src")
            source = value;
    }
    if (!text.isEmpty())
        return text;
    return u'[' + (alt.isEmpty() ? source.section(u'/', -1) : alt) + u']';
}

} // namespace

bool hasIndexMarker(QStringView text)
{
    // Spelled out with its length: the marker holds NUL characters.
    return text.contains(QStringView(u"\u0000\b[index\u0000\b]", 11));
}

QString expandTabs(QStringView line)
{
    QString expanded;
    expanded.reserve(line.size());
    for (QChar character : line) {
        if (character == u'\t')
            expanded += QString(8 - expanded.size() % 8, u' ');
        else
            expanded += character;
    }
    return expanded;
}

QStringList readableLines(QStringView text)
{
    // Markers are "\0\b[" … "\0\b]"; only images carry something to show.
    const QStringView open(u"\u0000\b[", 3);
    const QStringView close(u"\u0000\b]", 3);
    QString readable;
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype start = text.indexOf(open, position);
        const qsizetype end = start < 0 ? -1 : text.indexOf(close, start + 3);
        if (end < 0) {
            readable += text.sliced(position);
            break;
        }
        readable += text.sliced(position, start - position);
        const QStringView marker = text.sliced(start + 3, end - start - 3);
        if (marker.startsWith(u"image"))
            readable += imageText(marker.sliced(5));
        position = end + 3;
    }
    readable.remove(QChar(0)).remove(QChar(u'\b'));
    QStringList lines;
    for (const QStringView line : QStringView(readable).split(u'\n')) {
        // Tabs in the indentation count as columns; those further on may end a menu entry's node name.
        qsizetype indentation = 0;
        while (indentation < line.size() && (line[indentation] == u' ' || line[indentation] == u'\t'))
            ++indentation;
        QString cleaned = expandTabs(line.first(indentation)) + line.sliced(indentation);
        while (!cleaned.isEmpty() && cleaned.back().isSpace())
            cleaned.chop(1);
        lines.append(cleaned);
    }
    return lines;
}

} // namespace Lectorin::InfoMarkup

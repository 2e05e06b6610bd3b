// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>

namespace Lectorin {

// The stretch of an Info file from one separator (the ^_ character) to the next: a node, the indirect or the
// tag table, the local variables. `header` to `headerEnd` is its first line.
struct InfoSection
{
    qsizetype separator = 0;
    qsizetype header = 0;
    qsizetype headerEnd = 0;
    qsizetype end = 0;

    QByteArrayView headerIn(const QByteArray &bytes) const
    {
        return QByteArrayView(bytes).sliced(header, headerEnd - header);
    }
    QByteArrayView bodyIn(const QByteArray &bytes) const
    {
        const qsizetype start = std::min(headerEnd + 1, end);
        return QByteArrayView(bytes).sliced(start, end - start);
    }

    bool operator==(const InfoSection &) const = default;
};

// Walking an Info file without collecting its pieces first: a file of nothing but separators or of one-letter
// lines has millions of them.
namespace InfoSections {

// Calls `visit(section)` with each section of `bytes` in turn, until it returns false.
template<typename Visit>
void forEach(const QByteArray &bytes, Visit visit)
{
    qsizetype position = bytes.indexOf('\x1f');
    while (position >= 0) {
        const qsizetype next = bytes.indexOf('\x1f', position + 1);
        InfoSection section { position, position + 1, 0, next < 0 ? bytes.size() : next };
        // Old files put a form feed between the separator and the newline.
        while (
            section.header < section.end && (bytes[section.header] == '\f' || bytes[section.header] == '\r'))
            ++section.header;
        if (section.header < section.end && bytes[section.header] == '\n')
            ++section.header;
        // Looked for inside the section only: a file of separators without newlines would be read to its end
        // at each of them.
        const qsizetype newline
            = QByteArrayView(bytes).sliced(section.header, section.end - section.header).indexOf('\n');
        section.headerEnd = newline < 0 ? section.end : section.header + newline;
        if (!visit(section))
            return;
        position = next;
    }
}

// Calls `visit(line)` with each line of `bytes`, its surrounding blanks cut, until it returns false.
template<typename Visit>
void forEachLine(QByteArrayView bytes, Visit visit)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        if (!visit(bytes.sliced(start, end - start).trimmed()))
            return;
        start = end + 1;
    }
}

} // namespace InfoSections
} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infotext.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace Lectorin::InfoText {
namespace {

constexpr QChar kDelete(0x7f);
// A label or target longer than this is not one: the colon or period that was taken for its end belongs to
// ordinary text further on.
constexpr qsizetype kLongestName = 400;

bool isBlank(QChar character)
{
    return character == u' ' || character == u'\t' || character == u'\n' || character == u'\r';
}

// The next `character` no further than a name can be long from `from`, or -1: searching a long text for a
// parenthesis that never comes, at every "*note" of it, would take time without end.
qsizetype nearby(QStringView text, QChar character, qsizetype from)
{
    const qsizetype found = text.sliced(from, std::min(text.size() - from, kLongestName)).indexOf(character);
    return found < 0 ? -1 : from + found;
}

qsizetype skipBlanks(QStringView text, qsizetype position)
{
    while (position < text.size() && isBlank(text[position]))
        ++position;
    return position;
}

// The colon that ends a label: one followed by another colon, a blank or the end. A blank line or a very long
// stretch means there is none.
qsizetype labelColon(QStringView text, qsizetype from)
{
    const qsizetype last = std::min(text.size(), from + kLongestName);
    for (qsizetype i = from; i < last; ++i) {
        if (text[i] == u'\n' && i + 1 < text.size() && text[i + 1] == u'\n')
            return -1;
        if (text[i] == u':' && (i + 1 == text.size() || text[i + 1] == u':' || isBlank(text[i + 1])))
            return i;
    }
    return -1;
}

enum class Ending
{
    menu,
    crossReference
};

// Where the target starting at `position` ends, before its terminator. Menu targets end at a tab, comma,
// newline or a period before a blank; cross-reference targets run over line breaks to a period or comma.
qsizetype targetEnd(QStringView text, qsizetype position, Ending ending)
{
    qsizetype i = position;
    if (i < text.size() && text[i] == u'(') {
        const qsizetype close = nearby(text, u')', i);
        if (close < 0 || text.sliced(i, close - i).contains(u'\n'))
            return -1;
        i = close + 1;
    }
    if (i < text.size() && text[i] == kDelete) {
        const qsizetype close = nearby(text, kDelete, i + 1);
        return close < 0 ? -1 : close + 1;
    }
    const qsizetype last = std::min(text.size(), position + kLongestName);
    for (; i < last; ++i) {
        const QChar character = text[i];
        if (character == u',' || character == u'\t')
            return i;
        if (character == u'\n') {
            if (ending == Ending::menu)
                return i;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                return -1;
        }
        if (character == u'.') {
            if (ending == Ending::crossReference || i + 1 == text.size() || isBlank(text[i + 1]))
                return i;
        }
    }
    return ending == Ending::menu && i == text.size() ? i : -1;
}

struct Reference
{
    QString label;
    InfoTarget target;
    qsizetype end = 0; // after the "::" or the target's last character
};

// A label and its target from `position` on: "Node::" or "Label: Target", the label maybe DEL-quoted.
std::optional<Reference> readReference(QStringView text, qsizetype position, Ending ending)
{
    qsizetype colon = -1;
    QStringView label;
    const bool quoted = position < text.size() && text[position] == kDelete;
    if (quoted) {
        const qsizetype close = nearby(text, kDelete, position + 1);
        if (close < 0 || close + 1 >= text.size() || text[close + 1] != u':')
            return std::nullopt;
        label = text.sliced(position + 1, close - position - 1);
        colon = close + 1;
    } else {
        colon = labelColon(text, position);
        if (colon < 0)
            return std::nullopt;
        label = text.sliced(position, colon - position);
    }
    Reference reference;
    if (colon + 1 < text.size() && text[colon + 1] == u':') {
        reference.target = parseTarget(label);
        reference.end = colon + 2;
    } else {
        qsizetype start = skipBlanks(text, colon + 1);
        qsizetype end = targetEnd(text, start, ending);
        // An index term may hold a colon of its own ("* range: flag:   PO Files."): the label then runs on
        // to the colon before the node.
        while (ending == Ending::menu && !quoted && end > start) {
            const qsizetype next = labelColon(text.first(end), start);
            if (next < 0 || next + 1 >= end || text[next + 1] == u':')
                break;
            colon = next;
            label = text.sliced(position, colon - position);
            start = skipBlanks(text, colon + 1);
            end = targetEnd(text, start, ending);
        }
        if (end < 0)
            return std::nullopt;
        reference.target = parseTarget(text.sliced(start, end - start));
        reference.end = end;
    }
    reference.label = cleanName(label);
    if (reference.target.manual.isEmpty() && reference.target.node.isEmpty())
        return std::nullopt;
    if (reference.label.isEmpty())
        reference.label = reference.target.node.isEmpty() ? reference.target.manual : reference.target.node;
    return reference;
}

bool isMenuStart(QStringView line)
{
    return line.size() >= 7 && line.first(7).compare(u"* Menu:", Qt::CaseInsensitive) == 0;
}

} // namespace

QString cleanName(QStringView name)
{
    QString cleaned = name.toString();
    cleaned.remove(kDelete);
    return cleaned.simplified();
}

QString foldName(QStringView name)
{
    return cleanName(name).toCaseFolded();
}

std::optional<InfoNodeHeader> parseHeader(QStringView line)
{
    static const std::array<QStringView, 6> keys { u"File:", u"Node:", u"Next:", u"Prev:", u"Previous:",
        u"Up:" };
    InfoNodeHeader header;
    bool named = false;
    qsizetype position = 0;
    while (position < line.size()) {
        position = skipBlanks(line, position);
        qsizetype key = -1;
        for (qsizetype k = 0; k < qsizetype(keys.size()); ++k) {
            if (line.sliced(position).startsWith(keys[k], Qt::CaseInsensitive)) {
                key = k;
                break;
            }
        }
        qsizetype start = key < 0 ? position : skipBlanks(line, position + keys[key].size());
        qsizetype end = start;
        if (end < line.size() && line[end] == u'(') {
            const qsizetype close = nearby(line, u')', end);
            end = close < 0 ? end : close + 1;
        }
        if (end < line.size() && line[end] == kDelete) {
            const qsizetype close = nearby(line, kDelete, end + 1);
            end = close < 0 ? end + 1 : close + 1;
        }
        while (end < line.size() && line[end] != u',' && line[end] != u'\t')
            ++end;
        const QString value = cleanName(line.sliced(start, end - start));
        switch (key) {
        case 0:
            header.file = value;
            break;
        case 1:
            header.node = value;
            named = true;
            break;
        case 2:
            header.next = value;
            break;
        case 3:
        case 4:
            header.prev = value;
            break;
        case 5:
            header.up = value;
            break;
        default:
            break;
        }
        position = end + 1;
    }
    if (!named || header.node.isEmpty())
        return std::nullopt;
    return header;
}

InfoTarget parseTarget(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (!trimmed.startsWith(u'('))
        return { {}, cleanName(trimmed) };
    const qsizetype close = trimmed.indexOf(u')');
    if (close < 0)
        return { {}, cleanName(trimmed) };
    QString manual = cleanName(trimmed.sliced(1, close - 1));
    if (manual.endsWith(u".info"))
        manual.chop(5);
    return { manual, cleanName(trimmed.sliced(close + 1)) };
}

std::optional<InfoMenuEntry> parseMenuEntry(QStringView entry)
{
    const auto reference = readReference(entry, 0, Ending::menu);
    if (!reference)
        return std::nullopt;
    qsizetype rest = reference->end;
    if (rest < entry.size() && (entry[rest] == u'.' || entry[rest] == u','))
        ++rest;
    return InfoMenuEntry { reference->label, reference->target, entry.sliced(rest).toString().simplified(), 0,
        entry.size() };
}

QList<InfoMenuEntry> menuEntries(QStringView text)
{
    QList<InfoMenuEntry> entries;
    bool inMenu = false;
    qsizetype entryStart = -1;
    qsizetype entryEnd = -1;
    const auto finish = [&] {
        if (entryStart < 0)
            return;
        if (auto entry = parseMenuEntry(text.sliced(entryStart + 2, entryEnd - entryStart - 2))) {
            entry->start = entryStart;
            entry->length = entryEnd - entryStart;
            entries.append(*entry);
        }
        entryStart = -1;
    };
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        if (isFootnotesSeparator(line)) {
            finish();
            inMenu = false;
        } else if (isMenuStart(line)) {
            finish();
            inMenu = true;
        } else if (inMenu && line.startsWith(u"* ")) {
            finish();
            entryStart = lineStart;
            entryEnd = lineEnd;
        } else if (line.trimmed().isEmpty()) {
            finish();
        } else if (entryStart >= 0) {
            entryEnd = lineEnd;
        }
        lineStart = lineEnd + 1;
    }
    finish();
    return entries;
}

QList<InfoCrossReference> crossReferences(QStringView text)
{
    QList<InfoCrossReference> references;
    qsizetype position = 0;
    // The first colon that could end a label at or after `position`: a "*note" further from it than a label
    // is long has none, which saves reading the same stretch again for each "*note" in it.
    qsizetype colon = -1;
    while ((position = text.indexOf(u"*note", position, Qt::CaseInsensitive)) >= 0) {
        const qsizetype start = position;
        position += 5;
        if (position >= text.size() || !isBlank(text[position]))
            continue;
        if (colon < position) {
            colon = position;
            while (colon < text.size()
                && !(text[colon] == u':'
                    && (colon + 1 == text.size() || text[colon + 1] == u':' || isBlank(text[colon + 1]))))
                ++colon;
        }
        const qsizetype label = skipBlanks(text, position);
        if (colon - label >= kLongestName && (label == text.size() || text[label] != kDelete))
            continue;
        const auto reference = readReference(text, label, Ending::crossReference);
        if (!reference)
            continue;
        references.append(
            { reference->label, reference->target, text[start + 1] == u'N', start, reference->end - start });
        position = reference->end;
    }
    return references;
}

int headingLevel(QStringView line, QStringView underline)
{
    static constexpr QStringView kMarks = u"*=-.";
    const auto withoutTrailingBlanks = [](QStringView text) {
        while (!text.isEmpty() && isBlank(text.back()))
            text.chop(1);
        return text;
    };
    const QStringView heading = withoutTrailingBlanks(line);
    const QStringView rule = withoutTrailingBlanks(underline);
    const qsizetype level = rule.isEmpty() ? -1 : kMarks.indexOf(rule.front());
    if (level < 0 || rule.size() != heading.size() || rule.count(rule.front()) != rule.size())
        return 0;
    // A rule under a rule is no heading.
    const bool hasText = std::any_of(heading.begin(), heading.end(),
        [&rule](QChar character) { return character != rule.front() && !isBlank(character); });
    return hasText ? int(level) + 1 : 0;
}

QList<InfoHeading> headings(QStringView text)
{
    QList<InfoHeading> found;
    const QList<QStringView> lines = text.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        // A heading stands between blank lines; an underlined row inside an example does not.
        const bool openBefore = i == 0 || lines[i - 1].trimmed().isEmpty();
        const bool openAfter = i + 2 == lines.size() || lines[i + 2].trimmed().isEmpty();
        const int level = openBefore && openAfter ? headingLevel(lines[i], lines[i + 1]) : 0;
        if (level > 0) {
            found.append({ lines[i].trimmed().toString(), level, int(i) });
            ++i;
        }
    }
    return found;
}

std::optional<int> indexLine(QStringView description)
{
    const QStringView trimmed = description.trimmed();
    if (!trimmed.startsWith(u"(line") || !trimmed.endsWith(u')'))
        return std::nullopt;
    bool isNumber = false;
    const int line = trimmed.sliced(5, trimmed.size() - 6).trimmed().toInt(&isNumber);
    return isNumber && line >= 0 ? std::optional<int>(line) : std::nullopt;
}

bool isFootnotesSeparator(QStringView line)
{
    return line.trimmed() == u"---------- Footnotes ----------";
}

} // namespace Lectorin::InfoText

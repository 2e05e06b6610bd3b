// SPDX-License-Identifier: GPL-3.0-or-later
#include "pagechanges.h"

#include <QRegularExpression>

#include <algorithm>

namespace Lectorin::PageChanges {
namespace {

const QStringList kNewWords { QStringLiteral("quietly"), QStringLiteral("several"), QStringLiteral("certain"),
    QStringLiteral("usually"), QStringLiteral("plainly"), QStringLiteral("entire") };

bool isRequest(const QString &line)
{
    return line.startsWith(u'.') || line.startsWith(u'\'');
}

bool isSectionStart(const QString &line)
{
    return line.startsWith(QLatin1String(".SH"));
}

// The requests that end a paragraph and start the next.
bool isParagraphStart(const QString &line)
{
    static const QRegularExpression paragraph(QStringLiteral("^\\.(PP|P|LP|TP|TQ|IP|HP|SH|SS)(\\s|$)"));
    return paragraph.match(line).hasMatch();
}

qsizetype sectionStart(const QStringList &lines, qsizetype line)
{
    for (qsizetype i = line; i >= 0; --i) {
        if (isSectionStart(lines.at(i)))
            return i;
    }
    return -1;
}

qsizetype sectionEnd(const QStringList &lines, qsizetype line)
{
    for (qsizetype i = line + 1; i < lines.size(); ++i) {
        if (isSectionStart(lines.at(i)))
            return i;
    }
    return lines.size();
}

// A few of the line's words replaced by others, as an editor rewording a sentence does.
QString reworded(const QString &line, int count, std::mt19937 &random)
{
    static const QRegularExpression word(QStringLiteral("\\b[A-Za-z]{3,}\\b"));
    QList<QRegularExpressionMatch> words;
    for (auto matches = word.globalMatch(line); matches.hasNext();)
        words.append(matches.next());
    QString result = line;
    std::shuffle(words.begin(), words.end(), random);
    words = words.first(std::min<qsizetype>(count, words.size()));
    std::sort(words.begin(), words.end(),
        [](const auto &a, const auto &b) { return a.capturedStart() > b.capturedStart(); });
    for (const QRegularExpressionMatch &match : std::as_const(words))
        result.replace(
            match.capturedStart(), match.capturedLength(), kNewWords.at(random() % kNewWords.size()));
    return result;
}

} // namespace

const char *nameOf(Change change)
{
    switch (change) {
    case Change::rewordBefore:
        return "reword a sentence before";
    case Change::insertOptions:
        return "insert two options above";
    case Change::moveSection:
        return "move its section";
    case Change::rewordOwn:
        return "reword the highlight";
    case Change::deleteParagraph:
        return "delete its paragraph";
    }
    return "";
}

QList<qsizetype> highlightableLines(const QStringList &lines)
{
    QList<qsizetype> found;
    QString section;
    bool inTable = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (isSectionStart(line))
            section = line.mid(3).trimmed().remove(u'"').toUpper();
        inTable
            = (inTable || line.startsWith(QLatin1String(".TS"))) && !line.startsWith(QLatin1String(".TE"));
        if (inTable || isRequest(line) || line.contains(u'\\') || section.isEmpty() || section == u"NAME"
            || section == u"SYNOPSIS")
            continue;
        if (line.size() >= 40 && line.size() <= 200 && line.split(u' ', Qt::SkipEmptyParts).size() >= 6)
            found.append(i);
    }
    return found;
}

std::optional<Changed> apply(
    Change change, const QStringList &lines, qsizetype highlighted, std::mt19937 &random)
{
    Changed changed { lines, lines.at(highlighted) };
    switch (change) {
    case Change::rewordBefore: {
        // The nearest text line before it, in its paragraph or an earlier one.
        for (qsizetype i = highlighted - 1; i > 0; --i) {
            if (!isRequest(lines.at(i)) && lines.at(i).size() > 20) {
                changed.lines[i]
                    = reworded(lines.at(i), 2, random) + QStringLiteral(" This is now said differently.");
                return changed;
            }
        }
        return std::nullopt;
    }
    case Change::insertOptions: {
        qsizetype at = highlighted;
        while (at > 0 && !isParagraphStart(lines.at(at)))
            --at;
        if (isSectionStart(lines.at(at)))
            ++at;
        changed.lines.insert(at,
            QStringLiteral(".TP\n.B \\-\\-frobnicate\\-records\nFrobnicate every input record before it is "
                           "written.\n.TP\n.BR \\-Z \", \" \\-\\-zap =\\fIMARK\\fR\nRemove each trailing "
                           "\\fIMARK\\fR from the output lines."));
        return changed;
    }
    case Change::moveSection: {
        const qsizetype first = std::find_if(lines.cbegin(), lines.cend(), isSectionStart) - lines.cbegin();
        const qsizetype second = sectionEnd(lines, first);
        const qsizetype start = sectionStart(lines, highlighted);
        const qsizetype end = sectionEnd(lines, highlighted);
        // Up to right after NAME, or to the end when it is there already.
        if (start <= first || (start == second && end == lines.size()))
            return std::nullopt;
        const QStringList section = lines.mid(start, end - start);
        changed.lines.remove(start, end - start);
        const qsizetype target = start == second ? changed.lines.size() : second;
        for (qsizetype i = 0; i < section.size(); ++i)
            changed.lines.insert(target + i, section.at(i));
        return changed;
    }
    case Change::rewordOwn: {
        const qsizetype words = lines.at(highlighted).split(u' ', Qt::SkipEmptyParts).size();
        changed.lines[highlighted] = reworded(lines.at(highlighted), words >= 10 ? 2 : 1, random);
        changed.expected = changed.lines.at(highlighted);
        return changed;
    }
    case Change::deleteParagraph: {
        qsizetype start = highlighted;
        while (start > 0 && !isParagraphStart(lines.at(start)))
            --start;
        if (isSectionStart(lines.at(start)))
            ++start;
        qsizetype end = highlighted + 1;
        while (end < lines.size() && !isParagraphStart(lines.at(end)))
            ++end;
        changed.lines.remove(start, end - start);
        changed.expected.clear();
        return changed;
    }
    }
    return std::nullopt;
}

} // namespace Lectorin::PageChanges

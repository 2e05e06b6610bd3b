// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/textmatching.h"

#include <QStringMatcher>

#include <algorithm>
#include <vector>

namespace Lectorin::TextMatching {
namespace {

bool isWordCharacter(QChar character)
{
    return character.isLetterOrNumber() || character == u'_';
}

// The longest run of `needle` without white space: the rarest part to search for.
Span longestChunk(QStringView needle)
{
    Span best { 0, 0 };
    qsizetype start = -1;
    for (qsizetype i = 0; i <= needle.size(); ++i) {
        const bool space = i == needle.size() || needle.at(i).isSpace();
        if (!space && start < 0)
            start = i;
        if (space && start >= 0) {
            if (i - start > best.length())
                best = { start, i };
            start = -1;
        }
    }
    return best;
}

} // namespace

PartialMatch matchBefore(QStringView text, qsizetype end, QStringView pattern)
{
    qsizetype i = end - 1;
    qsizetype j = pattern.size() - 1;
    while (j >= 0) {
        if (pattern.at(j).isSpace()) {
            if (i < 0 || !text.at(i).isSpace())
                break;
            while (j >= 0 && pattern.at(j).isSpace())
                --j;
            while (i >= 0 && text.at(i).isSpace())
                --i;
            continue;
        }
        if (i < 0 || text.at(i) != pattern.at(j))
            break;
        --i;
        --j;
    }
    return { pattern.size() - 1 - j, i + 1 };
}

PartialMatch matchAfter(QStringView text, qsizetype start, QStringView pattern)
{
    qsizetype i = start;
    qsizetype j = 0;
    while (j < pattern.size()) {
        if (pattern.at(j).isSpace()) {
            if (i >= text.size() || !text.at(i).isSpace())
                break;
            while (j < pattern.size() && pattern.at(j).isSpace())
                ++j;
            while (i < text.size() && text.at(i).isSpace())
                ++i;
            continue;
        }
        if (i >= text.size() || text.at(i) != pattern.at(j))
            break;
        ++i;
        ++j;
    }
    return { j, i };
}

QList<Span> occurrences(QStringView text, QStringView needle)
{
    QList<Span> found;
    const Span chunk = longestChunk(needle);
    if (chunk.length() == 0)
        return found;
    const QStringView before = needle.left(chunk.start);
    const QStringView after = needle.mid(chunk.end);
    const QStringMatcher matcher(needle.mid(chunk.start, chunk.length()));
    for (qsizetype hit = matcher.indexIn(text); hit >= 0; hit = matcher.indexIn(text, hit + 1)) {
        const PartialMatch head = matchBefore(text, hit, before);
        if (head.patternLength != before.size())
            continue;
        const PartialMatch tail = matchAfter(text, hit + chunk.length(), after);
        if (tail.patternLength == after.size())
            found.append({ head.textPosition, tail.textPosition });
    }
    return found;
}

double similarity(QStringView a, QStringView b)
{
    if (a.isEmpty() && b.isEmpty())
        return 1;
    std::vector<qsizetype> previous(b.size() + 1);
    std::vector<qsizetype> current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype substitution = previous[j - 1] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[j] = std::min({ substitution, previous[j] + 1, current[j - 1] + 1 });
        }
        std::swap(previous, current);
    }
    return 1.0 - double(previous[b.size()]) / double(std::max(a.size(), b.size()));
}

QList<Word> words(QStringView text, qsizetype from, qsizetype to)
{
    QList<Word> found;
    to = to < 0 ? text.size() : std::min(to, text.size());
    for (qsizetype i = std::max<qsizetype>(from, 0); i < to;) {
        if (!isWordCharacter(text.at(i))) {
            ++i;
            continue;
        }
        Word word { i, i, 0 };
        for (; i < to && isWordCharacter(text.at(i)); ++i)
            word.key = word.key * 1000003u + text.at(i).toCaseFolded().unicode();
        word.end = i;
        found.append(word);
    }
    return found;
}

Alignment bestAlignment(const QList<Word> &pattern, const QList<Word> &target)
{
    // Edit distance of all of `pattern` against any run of `target` (free start and end); each cell remembers
    // where its run starts.
    struct Cell
    {
        qsizetype cost = 0;
        qsizetype start = 0;
    };
    const qsizetype n = target.size();
    std::vector<Cell> previous(n + 1);
    std::vector<Cell> current(n + 1);
    for (qsizetype j = 0; j <= n; ++j)
        previous[j] = { 0, j };
    for (qsizetype i = 1; i <= pattern.size(); ++i) {
        current[0] = { i, 0 };
        for (qsizetype j = 1; j <= n; ++j) {
            // Of equal costs the longer run wins: a reworded first word stays inside the match.
            const Cell options[]
                = { { previous[j - 1].cost + (pattern.at(i - 1).key == target.at(j - 1).key ? 0 : 1),
                        previous[j - 1].start },
                      { previous[j].cost + 1, previous[j].start },
                      { current[j - 1].cost + 1, current[j - 1].start } };
            current[j]
                = *std::min_element(std::begin(options), std::end(options), [](const Cell &a, const Cell &b) {
                      return a.cost != b.cost ? a.cost < b.cost : a.start < b.start;
                  });
        }
        std::swap(previous, current);
    }
    Alignment result;
    for (qsizetype j = 1; j <= n; ++j) {
        const qsizetype runLength = j - previous[j].start;
        if (runLength == 0)
            continue;
        const double score
            = 1.0 - double(previous[j].cost) / double(std::max<qsizetype>(pattern.size(), runLength));
        if (score > result.similarity)
            result = { previous[j].start, j, score };
    }
    return result;
}

} // namespace Lectorin::TextMatching

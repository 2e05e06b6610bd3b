// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringView>

// Comparisons of page text that the anchoring of highlights is built from. Page text comes from a page's text
// nodes, whose line breaks follow the page's source, so white space is compared by runs, not by characters.
namespace Lectorin::TextMatching {

struct Span
{
    qsizetype start = -1;
    qsizetype end = -1;
    qsizetype length() const { return end - start; }
    friend bool operator==(const Span &, const Span &) = default;
};

// Where `needle` occurs in `text`, any run of white space matching any other; in order of start.
QList<Span> occurrences(QStringView text, QStringView needle);

// How much of `pattern` the text just before `end` (or from `start`) matches, white space folded: the number
// of characters of `pattern` matched from its end (or its start), and where in `text` the match stops.
struct PartialMatch
{
    qsizetype patternLength = 0;
    qsizetype textPosition = 0;
};
PartialMatch matchBefore(QStringView text, qsizetype end, QStringView pattern);
PartialMatch matchAfter(QStringView text, qsizetype start, QStringView pattern);

// 1 - edit distance / length of the longer; 1 for two empty strings.
double similarity(QStringView a, QStringView b);

// A word: a run of letters, digits and underscores; `key` is its case-folded hash.
struct Word
{
    qsizetype start = 0;
    qsizetype end = 0;
    size_t key = 0;
};
QList<Word> words(QStringView text, qsizetype from = 0, qsizetype to = -1);

// The run of `target` words most like the whole of `pattern`, by word edit distance: its first word, the word
// after its last, and 1 - distance / the longer of the two runs.
struct Alignment
{
    qsizetype first = 0;
    qsizetype end = 0;
    double similarity = 0;
};
Alignment bestAlignment(const QList<Word> &pattern, const QList<Word> &target);

} // namespace Lectorin::TextMatching

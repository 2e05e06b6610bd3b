// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/highlightanchoring.h"

#include "annotations/textmatching.h"

#include <QStringMatcher>
#include <QVarLengthArray>

#include <algorithm>
#include <numeric>
#include <optional>

namespace Lectorin::HighlightAnchoring {
namespace {

using TextMatching::Span;

constexpr qsizetype kContextLength = 32;
// How much text either side a reworded highlight must still have unchanged.
constexpr qsizetype kSurroundingLength = 240;
// A highlight found with its context this far from where it was is still "exact": a few options or a
// reworded paragraph above it move it that much; a section moved past it moves it more.
constexpr qsizetype kExactDrift = 512;
// Exact text found without agreeing context is trusted only when it is long enough not to occur by chance.
constexpr qsizetype kDistinctiveLength = 16;
constexpr qsizetype kDistinctiveWords = 3;
// Context this alike is the same surroundings with a few words changed; unrelated text scores about 0.3.
constexpr double kContextAgreement = 0.5;
// A reworded highlight keeps at least this share of its words, in order.
constexpr double kChangedSimilarity = 0.6;
constexpr qsizetype kSeedWords = 8;
constexpr qsizetype kSeedsUsed = 3;
constexpr qsizetype kCommonWordHits = 256;

struct Candidate
{
    Span span;
    double context = 0; // the mean of both sides' likeness
    qsizetype distance = 0;
};

qsizetype distanceToHint(const Span &span, const TextQuote &quote)
{
    return quote.position < 0 ? span.start : std::abs(span.start - quote.position);
}

// How alike the text around `span` is to the saved context, each side compared with white space simplified.
Candidate candidateAt(QStringView text, const Span &span, const TextQuote &quote)
{
    QVarLengthArray<double, 2> sides;
    if (const QString prefix = quote.prefix.simplified(); !prefix.isEmpty()) {
        const qsizetype from = std::max<qsizetype>(0, span.start - 2 * kContextLength);
        const QString before = text.mid(from, span.start - from).toString().simplified();
        sides.append(TextMatching::similarity(prefix, QStringView(before).right(prefix.size())));
    }
    if (const QString suffix = quote.suffix.simplified(); !suffix.isEmpty()) {
        const QString after = text.mid(span.end, 2 * kContextLength).toString().simplified();
        sides.append(TextMatching::similarity(suffix, QStringView(after).left(suffix.size())));
    }
    const double context
        = sides.isEmpty() ? 0 : std::accumulate(sides.cbegin(), sides.cend(), 0.0) / sides.size();
    return { span, context, distanceToHint(span, quote) };
}

// Most alike context first, then nearest to where the highlight was.
bool isBetter(const Candidate &a, const Candidate &b)
{
    if (a.context != b.context)
        return a.context > b.context;
    return a.distance < b.distance;
}

Placement placementOf(const Span &span, Attachment attachment)
{
    return { span.start, span.length(), attachment };
}

std::optional<Placement> placeWithContext(
    const PageText &page, const TextQuote &quote, const QList<Span> &found)
{
    std::optional<Span> best;
    for (const Span &span : found) {
        if (TextMatching::matchBefore(page.text, span.start, quote.prefix).patternLength
                != quote.prefix.size()
            || TextMatching::matchAfter(page.text, span.end, quote.suffix).patternLength
                != quote.suffix.size())
            continue;
        if (!best || distanceToHint(span, quote) < distanceToHint(*best, quote))
            best = span;
    }
    if (!best)
        return std::nullopt;
    const bool inPlace = distanceToHint(*best, quote) <= kExactDrift
        && (quote.section.isEmpty() || page.sectionAt(best->start) == quote.section);
    return placementOf(*best, inPlace ? Attachment::exact : Attachment::moved);
}

std::optional<Placement> placeMoved(const PageText &page, const TextQuote &quote, const QList<Span> &found)
{
    QList<Span> inSection;
    if (!quote.section.isEmpty()) {
        std::copy_if(found.cbegin(), found.cend(), std::back_inserter(inSection),
            [&](const Span &span) { return page.sectionAt(span.start) == quote.section; });
    }
    const QList<Span> &pool = inSection.isEmpty() ? found : inSection;
    if (pool.isEmpty())
        return std::nullopt;
    Candidate best = candidateAt(page.text, pool.first(), quote);
    for (const Span &span : pool) {
        const Candidate candidate = candidateAt(page.text, span, quote);
        if (isBetter(candidate, best))
            best = candidate;
    }
    const QString simplified = quote.exact.simplified();
    const bool distinctive = simplified.size() >= kDistinctiveLength
        && TextMatching::words(simplified).size() >= kDistinctiveWords;
    if (best.context >= kContextAgreement || (distinctive && pool.size() == 1))
        return placementOf(best.span, Attachment::moved);
    return std::nullopt;
}

// Where the whole word `word` occurs in `text`, or nothing when it is too common to tell places apart.
QList<qsizetype> wordHits(QStringView text, QStringView word)
{
    QList<qsizetype> hits;
    const QStringMatcher matcher(word);
    const auto isWordAt = [&](qsizetype i) {
        return i >= 0 && i < text.size() && (text.at(i).isLetterOrNumber() || text.at(i) == u'_');
    };
    for (qsizetype hit = matcher.indexIn(text); hit >= 0; hit = matcher.indexIn(text, hit + 1)) {
        if (isWordAt(hit - 1) || isWordAt(hit + word.size()))
            continue;
        if (hits.size() == kCommonWordHits)
            return {};
        hits.append(hit);
    }
    return hits;
}

// Stretches of the page around the rarest words the highlight still shares with it.
QList<Span> fuzzyRegions(QStringView text, QStringView exact, const QList<TextMatching::Word> &pattern)
{
    struct Seed
    {
        qsizetype offset;
        QList<qsizetype> hits;
    };
    QList<TextMatching::Word> longest = pattern;
    std::stable_sort(longest.begin(), longest.end(),
        [](const auto &a, const auto &b) { return a.end - a.start > b.end - b.start; });
    QList<Seed> seeds;
    QList<size_t> seen;
    for (const TextMatching::Word &word : longest) {
        if (seeds.size() == kSeedWords || word.end - word.start < 3 || seen.contains(word.key))
            continue;
        seen.append(word.key);
        QList<qsizetype> hits = wordHits(text, exact.mid(word.start, word.end - word.start));
        if (!hits.isEmpty())
            seeds.append({ word.start, std::move(hits) });
    }
    std::stable_sort(seeds.begin(), seeds.end(),
        [](const Seed &a, const Seed &b) { return a.hits.size() < b.hits.size(); });
    QList<Span> regions;
    const qsizetype slack = exact.size() / 3 + 16;
    for (const Seed &seed : seeds.first(std::min(kSeedsUsed, seeds.size()))) {
        for (qsizetype hit : seed.hits) {
            regions.append({ std::max<qsizetype>(0, hit - seed.offset - slack),
                std::min(text.size(), hit + exact.size() - seed.offset + slack) });
        }
    }
    std::sort(regions.begin(), regions.end(), [](const Span &a, const Span &b) { return a.start < b.start; });
    QList<Span> merged;
    for (const Span &region : regions) {
        if (!merged.isEmpty() && region.start <= merged.last().end)
            merged.last().end = std::max(merged.last().end, region.end);
        else
            merged.append(region);
    }
    return merged;
}

// Widens a span of whole words over the punctuation the highlight begins and ends with ("--all", "exit.").
Span withEdges(QStringView text, Span span, QStringView exact, const QList<TextMatching::Word> &pattern)
{
    qsizetype first = 0;
    while (first < exact.size() && exact.at(first).isSpace())
        ++first;
    qsizetype last = exact.size();
    while (last > first && exact.at(last - 1).isSpace())
        --last;
    const QStringView head = exact.mid(first, pattern.first().start - first);
    const QStringView tail = exact.mid(pattern.last().end, last - pattern.last().end);
    if (span.start >= head.size() && text.mid(span.start - head.size(), head.size()) == head)
        span.start -= head.size();
    if (text.mid(span.end, tail.size()) == tail)
        span.end += tail.size();
    return span;
}

// Whether `span` sits right between the saved context (the wider surroundings where the quote keeps them),
// white space aside: a reworded highlight is found only in its own, otherwise unchanged place. Parallel
// passages (the notes of two options, differing by a name) repeat even 32 characters either side, so a
// neighbour that slid into the place of a deleted highlight would otherwise be taken for it reworded.
bool fitsContext(QStringView text, const Span &span, const TextQuote &quote)
{
    const bool wide = !quote.surroundingBefore.isEmpty() || !quote.surroundingAfter.isEmpty();
    const QString &before = wide ? quote.surroundingBefore : quote.prefix;
    const QString &after = wide ? quote.surroundingAfter : quote.suffix;
    return TextMatching::matchBefore(text, span.start, before).patternLength == before.size()
        && TextMatching::matchAfter(text, span.end, after).patternLength == after.size();
}

// `regions` cut where sections start: a heading is never a reworded word of the passage before it.
QList<Span> bySection(const PageText &page, const QList<Span> &regions)
{
    QList<Span> pieces;
    for (Span region : regions) {
        for (const PageSection &section : page.sections) {
            if (section.start <= region.start || section.start >= region.end)
                continue;
            pieces.append({ region.start, section.start });
            region.start = section.start;
        }
        pieces.append(region);
    }
    return pieces;
}

std::optional<Placement> placeChanged(const PageText &page, const TextQuote &quote)
{
    const QStringView text = page.text;
    const QList<TextMatching::Word> pattern = TextMatching::words(quote.exact);
    if (pattern.size() < kDistinctiveWords)
        return std::nullopt;
    std::optional<Candidate> best;
    double bestSimilarity = 0;
    for (const Span &region : bySection(page, fuzzyRegions(text, quote.exact, pattern))) {
        const QList<TextMatching::Word> target = TextMatching::words(text, region.start, region.end);
        const TextMatching::Alignment alignment = TextMatching::bestAlignment(pattern, target);
        if (alignment.similarity < kChangedSimilarity || alignment.similarity < bestSimilarity)
            continue;
        const Span span = withEdges(text,
            { target.at(alignment.first).start, target.at(alignment.end - 1).end }, quote.exact, pattern);
        // Reworded in place means in its own section too: pages repeat whole passages under other headings.
        if (!fitsContext(text, span, quote)
            || (!quote.section.isEmpty() && page.sectionAt(span.start) != quote.section))
            continue;
        const Candidate candidate = candidateAt(text, span, quote);
        if (best && alignment.similarity == bestSimilarity && !isBetter(candidate, *best))
            continue;
        best = candidate;
        bestSimilarity = alignment.similarity;
    }
    if (!best)
        return std::nullopt;
    return placementOf(best->span, Attachment::changed);
}

// `text` with each run of white space made one space.
QString folded(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isSpace())
            result += text.at(i);
        else if (i + 1 == text.size() || !text.at(i + 1).isSpace())
            result += u' ';
    }
    return result;
}

// The context is kept folded, so that its characters are text rather than the indentation of the page's
// markup: 32 characters of it tell apart neighbours such as "disable-…" and "enable-…" options.
QString foldedBefore(QStringView text, qsizetype end, qsizetype wanted)
{
    qsizetype start = end;
    for (qsizetype length = 0; start > 0 && length < wanted;) {
        --start;
        if (!text.at(start).isSpace() || start + 1 == end || !text.at(start + 1).isSpace())
            ++length;
    }
    return folded(text.mid(start, end - start));
}

QString foldedAfter(QStringView text, qsizetype start, qsizetype wanted)
{
    qsizetype end = start;
    for (qsizetype length = 0; end < text.size() && length < wanted; ++end) {
        if (!text.at(end).isSpace() || end == start || !text.at(end - 1).isSpace())
            ++length;
    }
    return folded(text.mid(start, end - start));
}

} // namespace

TextQuote quoteAt(const PageText &text, qsizetype start, qsizetype length)
{
    start = std::clamp<qsizetype>(start, 0, text.text.size());
    length = std::clamp<qsizetype>(length, 0, text.text.size() - start);
    const qsizetype end = start + length;
    return { text.text.mid(start, length), foldedBefore(text.text, start, kContextLength),
        foldedAfter(text.text, end, kContextLength), text.sectionAt(start), start,
        foldedBefore(text.text, start, kSurroundingLength), foldedAfter(text.text, end, kSurroundingLength) };
}

Placement place(const PageText &text, const TextQuote &quote)
{
    if (quote.exact.trimmed().isEmpty())
        return {};
    const QList<Span> found = TextMatching::occurrences(text.text, quote.exact);
    if (const auto placement = placeWithContext(text, quote, found))
        return *placement;
    if (const auto placement = placeMoved(text, quote, found))
        return *placement;
    if (const auto placement = placeChanged(text, quote))
        return *placement;
    return {};
}

} // namespace Lectorin::HighlightAnchoring

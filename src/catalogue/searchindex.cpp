// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/searchindex.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace Lectorin {
namespace {

struct Match
{
    qint32 index;
    quint16 position;
    quint16 length;
    quint8 tier;
};

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

quint8 tierOf(bool atStart, bool wholeName, char before)
{
    if (atStart)
        return wholeName ? 0 : 1;
    return before == '-' || before == '_' || before == '.' ? 2 : 3;
}

// One stable counting-sort pass over a small key; passes run from the least significant key up.
template<typename Key>
void stableSortBy(std::vector<Match> &matches, std::vector<Match> &scratch, Key key)
{
    int largest = 0;
    for (const Match &match : matches)
        largest = std::max(largest, int(key(match)));
    std::vector<qint32> counts(size_t(largest) + 2, 0);
    for (const Match &match : matches)
        ++counts[key(match) + 1];
    for (size_t value = 1; value < counts.size(); ++value)
        counts[value] += counts[value - 1];
    scratch.resize(matches.size());
    for (const Match &match : matches)
        scratch[size_t(counts[key(match)]++)] = match;
    matches.swap(scratch);
}

// Names are short, so positions and lengths take few values: then one stable counting sort on the whole rank
// writes the result directly.
constexpr qsizetype kMaxCombinedBuckets = 1 << 16;

QList<qint32> rankedIndices(std::vector<Match> &matches)
{
    int longestPosition = 0;
    int longestLength = 0;
    for (const Match &match : matches) {
        longestPosition = std::max(longestPosition, int(match.position));
        longestLength = std::max(longestLength, int(match.length));
    }
    const qsizetype positions = longestPosition + 1;
    const qsizetype lengths = longestLength + 1;
    QList<qint32> order;
    order.resize(qsizetype(matches.size()));
    qint32 *const out = order.data();
    if (4 * positions * lengths <= kMaxCombinedBuckets) {
        const auto key = [positions, lengths](const Match &m) {
            return size_t((qsizetype(m.tier) * positions + m.position) * lengths + m.length);
        };
        std::vector<qint32> counts(size_t(4 * positions * lengths) + 1, 0);
        for (const Match &match : matches)
            ++counts[key(match) + 1];
        for (size_t value = 1; value < counts.size(); ++value)
            counts[value] += counts[value - 1];
        for (const Match &match : matches)
            out[counts[key(match)]++] = match.index;
        return order;
    }
    std::vector<Match> scratch;
    stableSortBy(matches, scratch, [](const Match &m) { return m.length; });
    stableSortBy(matches, scratch, [](const Match &m) { return m.position; });
    stableSortBy(matches, scratch, [](const Match &m) { return m.tier; });
    for (size_t i = 0; i < matches.size(); ++i)
        out[i] = matches[i].index;
    return order;
}

// Outside ASCII, positions and lengths count characters of the UTF-16 names.
std::optional<Match> nonAsciiMatch(const QList<ManPage> &pages, qint32 page, QStringView query)
{
    const ManPage &matched = pages.at(page);
    const QStringView name(matched.lowercasedName);
    const qsizetype offset = name.indexOf(query);
    if (offset < 0)
        return std::nullopt;
    const char16_t before = offset > 0 ? name.at(offset - 1).unicode() : u'\0';
    return Match { page, quint16(graphemeCount(name.left(offset))), quint16(graphemeCount(matched.name)),
        tierOf(offset == 0, name.size() == query.size(), before < 0x80 ? char(before) : '\0') };
}

} // namespace

SearchIndex::SearchIndex(const QList<ManPage> &pages)
{
    m_starts.reserve(pages.size() + 1);
    m_isAsciiName.reserve(pages.size());
    qsizetype total = 0;
    for (const ManPage &page : pages)
        total += page.lowercasedName.size() + 1; // exact for ASCII, a first guess otherwise
    m_text.reserve(total);
    for (const ManPage &page : pages) {
        m_starts.append(qint32(m_text.size()));
        const bool ascii = isAscii(page.name) && isAscii(page.lowercasedName);
        if (ascii) {
            for (QChar c : page.lowercasedName)
                m_text.append(char(c.unicode()));
        } else {
            m_text.append(page.lowercasedName.toUtf8());
        }
        m_text.append('\0');
        m_isAsciiName.append(ascii);
    }
    m_starts.append(qint32(m_text.size()));
}

QList<qint32> SearchIndex::rankMatches(const QList<ManPage> &pages, QStringView query) const
{
    if (query.isEmpty() || query.contains(u'\0') || pages.size() != size())
        return {};
    const QByteArray needle = query.toUtf8();
    const char *const text = m_text.constData();
    const qsizetype textSize = m_text.size();
    const char first = needle.front();
    const char *const rest = needle.constData() + 1;
    const size_t restSize = size_t(needle.size() - 1);
    const qint32 *const starts = m_starts.constData();
    const bool *const isAsciiName = m_isAsciiName.constData();

    std::vector<Match> matches;
    if (!query.isValidUtf16()) {
        // A lone surrogate has no UTF-8 form; only names outside ASCII can hold one.
        for (qint32 page = 0; page < pages.size(); ++page) {
            if (!m_isAsciiName.at(page)) {
                if (const std::optional<Match> match = nonAsciiMatch(pages, page, query))
                    matches.push_back(*match);
            }
        }
        return rankedIndices(matches);
    }
    qint32 page = 0;
    for (qsizetype from = 0;;) {
        const void *found = std::memchr(text + from, first, size_t(textSize - from));
        if (!found)
            break;
        const qsizetype hit = static_cast<const char *>(found) - text;
        if (hit + needle.size() > textSize)
            break;
        if (!std::equal(rest, rest + restSize, text + hit + 1)) {
            from = hit + 1;
            continue;
        }
        while (starts[page + 1] <= hit)
            ++page;
        const qsizetype start = starts[page];
        const qsizetype nameSize = starts[page + 1] - start - 1;
        // Only the first occurrence in a name counts.
        from = starts[page + 1];
        if (isAsciiName[page]) {
            const qsizetype offset = hit - start;
            matches.push_back({ page, quint16(offset), quint16(nameSize),
                tierOf(offset == 0, nameSize == needle.size(), offset > 0 ? text[hit - 1] : '\0') });
            continue;
        }
        if (const std::optional<Match> match = nonAsciiMatch(pages, page, query))
            matches.push_back(*match);
    }
    // Matches arrive in list order, so a stable sort by rank leaves that order as the final tie-break.
    return rankedIndices(matches);
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/searchindex.h"

#include <algorithm>

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

quint8 tierOf(QStringView lowercasedName, qsizetype offset, qsizetype queryLength)
{
    if (offset == 0)
        return lowercasedName.size() == queryLength ? 0 : 1;
    const QChar before = lowercasedName.at(offset - 1);
    return before == u'-' || before == u'_' || before == u'.' ? 2 : 3;
}

// One stable counting-sort pass over a small key; passes run from the least significant key up.
template<typename Key>
void stableSortBy(QList<Match> &matches, QList<Match> &scratch, Key key)
{
    int largest = 0;
    for (const Match &match : std::as_const(matches))
        largest = std::max(largest, int(key(match)));
    QList<qint32> counts(largest + 2, 0);
    for (const Match &match : std::as_const(matches))
        ++counts[key(match) + 1];
    for (int value = 1; value < counts.size(); ++value)
        counts[value] += counts[value - 1];
    scratch.resize(matches.size());
    for (const Match &match : std::as_const(matches))
        scratch[counts[key(match)]++] = match;
    matches.swap(scratch);
}

} // namespace

SearchIndex::SearchIndex(const QList<ManPage> &pages)
{
    qsizetype total = 0;
    for (const ManPage &page : pages)
        total += page.lowercasedName.size() + 1;
    m_text.reserve(total);
    m_starts.reserve(pages.size() + 1);
    m_isAsciiName.reserve(pages.size());
    for (const ManPage &page : pages) {
        m_starts.append(qint32(m_text.size()));
        m_text += page.lowercasedName;
        m_text += QChar(u'\0');
        m_isAsciiName.append(isAscii(page.name) && isAscii(page.lowercasedName));
    }
    m_starts.append(qint32(m_text.size()));
}

QList<qsizetype> SearchIndex::rankMatches(const QList<ManPage> &pages, QStringView query) const
{
    if (query.isEmpty() || query.contains(u'\0') || pages.size() != size())
        return {};
    const QStringView text(m_text);
    const QChar first = query.front();
    const QStringView rest = query.mid(1);

    QList<Match> matches;
    qint32 page = 0;
    for (qsizetype from = 0;;) {
        const qsizetype hit = text.indexOf(first, from);
        if (hit < 0 || hit + query.size() > text.size())
            break;
        if (text.sliced(hit + 1, rest.size()) != rest) {
            from = hit + 1;
            continue;
        }
        while (m_starts.at(page + 1) <= hit)
            ++page;
        const qsizetype start = m_starts.at(page);
        const QStringView name = text.sliced(start, m_starts.at(page + 1) - start - 1);
        const qsizetype offset = hit - start;
        const ManPage &matched = pages.at(page);
        const bool ascii = m_isAsciiName.at(page);
        matches.append({ page, quint16(ascii ? offset : graphemeCount(name.left(offset))),
            quint16(ascii ? matched.name.size() : graphemeCount(matched.name)),
            tierOf(name, offset, query.size()) });
        // Only the first occurrence in a name counts.
        from = m_starts.at(page + 1);
    }

    // Matches arrive in list order, so stable passes by length, position and tier leave that order as the
    // final tie-break.
    QList<Match> scratch;
    stableSortBy(matches, scratch, [](const Match &m) { return m.length; });
    stableSortBy(matches, scratch, [](const Match &m) { return m.position; });
    stableSortBy(matches, scratch, [](const Match &m) { return m.tier; });
    QList<qsizetype> order;
    order.reserve(matches.size());
    for (const Match &match : std::as_const(matches))
        order.append(match.index);
    return order;
}

} // namespace Lectorin

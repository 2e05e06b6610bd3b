// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"

#include "catalogue/asciicollation.h"
#include "catalogue/collation.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>

namespace Lectorin::ManIndex {
namespace {

// Equal names are rare, so the section collator and the final code-point tie-break seldom run.
struct SectionOrder
{
    QCollator sectionCollator = Collation::standard();

    bool operator()(const ManPage &a, const ManPage &b) const
    {
        if (const int bySection = sectionCollator.compare(a.section, b.section); bySection != 0)
            return bySection < 0;
        return std::tie(a.name, a.section) < std::tie(b.name, b.section);
    }
};

// Names of printable ASCII: each name becomes its string of collation weights (1…95, so C string order is
// collation order), with the first eight weights as an integer for the common case.
QList<qsizetype> asciiOrder(const QList<ManPage> &pages, const AsciiCollation &ascii)
{
    struct Entry
    {
        quint64 prefix;
        qint32 weightsOffset;
        qint32 index;
    };
    qsizetype total = 0;
    for (const ManPage &page : pages)
        total += page.name.size() + 8; // the terminator, and padding for the prefix read
    QByteArray weights(total, '\0');
    QList<Entry> entries;
    entries.reserve(pages.size());
    qint32 offset = 0;
    for (qsizetype index = 0; index < pages.size(); ++index) {
        const QString &name = pages.at(index).name;
        char *out = weights.data() + offset;
        for (QChar c : name)
            *out++ = char(ascii.weight(c.unicode()));
        quint64 prefix;
        std::memcpy(&prefix, weights.constData() + offset, sizeof prefix);
        entries.append({ qFromBigEndian(prefix), offset, qint32(index) });
        offset += qint32(name.size() + 8);
    }
    const char *base = weights.constData();
    const SectionOrder sectionOrder;
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (const int byName = std::strcmp(base + a.weightsOffset, base + b.weightsOffset); byName != 0)
            return byName < 0;
        if (sectionOrder(pages.at(a.index), pages.at(b.index)))
            return true;
        return !sectionOrder(pages.at(b.index), pages.at(a.index)) && a.index < b.index;
    });
    QList<qsizetype> order;
    order.reserve(entries.size());
    for (const Entry &entry : std::as_const(entries))
        order.append(entry.index);
    return order;
}

QList<qsizetype> collatorOrder(const QList<ManPage> &pages)
{
    const QCollator nameCollator = Collation::caseInsensitive();
    QList<QCollatorSortKey> nameKeys;
    nameKeys.reserve(pages.size());
    for (const ManPage &page : pages)
        nameKeys.append(nameCollator.sortKey(page.name));
    QList<qsizetype> order(pages.size());
    std::iota(order.begin(), order.end(), 0);
    const SectionOrder sectionOrder;
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int byName = nameKeys.at(a).compare(nameKeys.at(b)); byName != 0)
            return byName < 0;
        if (sectionOrder(pages.at(a), pages.at(b)))
            return true;
        return !sectionOrder(pages.at(b), pages.at(a)) && a < b;
    });
    return order;
}

} // namespace

void sortInCatalogueOrder(QList<ManPage> &pages)
{
    const AsciiCollation *ascii = AsciiCollation::forCurrentLocale();
    const bool asciiNames = ascii && std::all_of(pages.cbegin(), pages.cend(), [](const ManPage &page) {
        return AsciiCollation::isPrintableAscii(page.name);
    });
    const QList<qsizetype> order = asciiNames ? asciiOrder(pages, *ascii) : collatorOrder(pages);
    // Apply the order in place, cycle by cycle, so the list is never held twice.
    QList<bool> placed(pages.size(), false);
    for (qsizetype start = 0; start < pages.size(); ++start) {
        if (placed.at(start))
            continue;
        ManPage carried = std::move(pages[start]);
        qsizetype position = start;
        while (true) {
            placed[position] = true;
            const qsizetype source = order.at(position);
            if (source == start) {
                pages[position] = std::move(carried);
                break;
            }
            pages[position] = std::move(pages[source]);
            position = source;
        }
    }
}

} // namespace Lectorin::ManIndex

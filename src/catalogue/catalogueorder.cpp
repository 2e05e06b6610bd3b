// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogueorder.h"

#include "catalogue/asciicollation.h"
#include "catalogue/collation.h"
#include "catalogue/manindex.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <numeric>

namespace Lectorin {
namespace {

// Sections the collator calls equal share a rank.
QList<qint32> sectionCollationRanks(const QList<QString> &sections)
{
    const QCollator collator = Collation::standard();
    QList<qint32> byCollation(sections.size());
    std::iota(byCollation.begin(), byCollation.end(), 0);
    std::sort(byCollation.begin(), byCollation.end(),
        [&](qint32 a, qint32 b) { return collator.compare(sections.at(a), sections.at(b)) < 0; });
    QList<qint32> ranks(sections.size());
    qint32 rank = 0;
    for (qsizetype i = 0; i < byCollation.size(); ++i) {
        if (i > 0
            && collator.compare(sections.at(byCollation.at(i - 1)), sections.at(byCollation.at(i))) != 0)
            ++rank;
        ranks[byCollation.at(i)] = rank;
    }
    return ranks;
}

} // namespace

CatalogueOrder::CatalogueOrder(const QString &names, const QList<QString> &sections,
    QList<qint32> sectionOfSuffix, const AsciiCollation *ascii, const QList<Record> &records)
    : m_names(names.constData())
    , m_sections(sections)
    , m_sectionOfSuffix(std::move(sectionOfSuffix))
    , m_ascii(ascii)
    , m_sectionRanks(sectionCollationRanks(sections))
{
    if (ascii) {
        m_weights = QByteArray(names.size(), Qt::Uninitialized);
        return;
    }
    const QCollator nameCollator = Collation::caseInsensitive();
    m_nameKeys.reserve(records.size());
    for (const Record &record : records) // by discovery, which is each record's position
        m_nameKeys.append(nameCollator.sortKey(nameOf(record).toString()));
}

void CatalogueOrder::prepare(const Record *begin, const Record *end)
{
    if (!m_ascii)
        return;
    char *weights = m_weights.data();
    for (const Record *record = begin; record != end; ++record) {
        const QStringView name = nameOf(*record);
        for (qsizetype i = 0; i < name.size(); ++i)
            weights[record->nameOffset + i] = char(m_ascii->weight(name.at(i).unicode()));
        weights[record->nameOffset + name.size()] = '\0';
    }
}

void ManIndex::sortInCatalogueOrder(QList<ManPage> &pages)
{
    QString names;
    QList<QString> sections;
    QHash<QString, qint32> sectionIds;
    QList<CatalogueOrder::Record> records;
    records.reserve(pages.size());
    bool printableAscii = true;
    for (const ManPage &page : std::as_const(pages)) {
        auto id = sectionIds.constFind(page.section);
        if (id == sectionIds.cend()) {
            id = sectionIds.insert(page.section, qint32(sections.size()));
            sections.append(page.section);
        }
        printableAscii = printableAscii && AsciiCollation::isPrintableAscii(page.name);
        records.append({ quint32(names.size()), quint32(records.size()), 0, quint32(*id),
            quint16(std::min<qsizetype>(page.name.size(), std::numeric_limits<quint16>::max())) });
        names.append(page.name).append(QChar());
    }
    QList<qint32> sectionOfSuffix(sections.size());
    std::iota(sectionOfSuffix.begin(), sectionOfSuffix.end(), 0);
    const AsciiCollation *ascii = AsciiCollation::forCurrentLocale();
    CatalogueOrder order(
        names, sections, std::move(sectionOfSuffix), printableAscii ? ascii : nullptr, records);
    order.prepare(records.constData(), records.constData() + records.size());
    std::sort(records.begin(), records.end(),
        [&](const CatalogueOrder::Record &a, const CatalogueOrder::Record &b) {
            return order.precedes(a, b);
        });
    QList<ManPage> sorted;
    sorted.reserve(pages.size());
    for (const CatalogueOrder::Record &record : std::as_const(records))
        sorted.append(std::move(pages[record.discovery]));
    pages = std::move(sorted);
}

} // namespace Lectorin

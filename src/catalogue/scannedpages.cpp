// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/scannedpages.h"

#include "catalogue/asciicollation.h"
#include "catalogue/collation.h"
#include "catalogue/manindex.h"

#include <QCollator>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

namespace Lectorin {
namespace {

bool isAsciiBytes(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

bool isPrintableAsciiBytes(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

QStringView sectionOfSuffix(QStringView suffix)
{
    QStringView section = suffix.sliced(1);
    if (section.endsWith(u".gz"))
        section.chop(3);
    return section;
}

} // namespace

ScannedPages::ScannedPages()
    : m_ascii(AsciiCollation::forCurrentLocale())
{ }

void ScannedPages::enterFolder(const QString &folder)
{
    m_folders.append(folder);
}

void ScannedPages::addFile(QByteArrayView fileName)
{
    if (isAsciiBytes(fileName))
        addAscii(fileName);
    else
        addDecoded(fileName);
}

// Nearly every name is ASCII; those are parsed on their bytes, by the same rule as parsePageFileName.
void ScannedPages::addAscii(QByteArrayView fileName)
{
    QByteArrayView stem = fileName;
    if (stem.endsWith(".gz"))
        stem.chop(3);
    const qsizetype dot = stem.lastIndexOf('.');
    if (dot <= 0 || dot == stem.size() - 1)
        return;
    const char first = stem.at(dot + 1);
    if (!(first >= '0' && first <= '9') && first != 'n' && first != 'l')
        return;
    const QByteArrayView name = fileName.first(dot);
    if (!isPrintableAsciiBytes(name))
        m_allPrintableAscii = false;
    const qint32 suffix = suffixForBytes(fileName.sliced(dot));
    const qsizetype offset = m_names.size();
    m_names.append(QLatin1StringView(name));
    appendRecord(offset, suffix);
}

void ScannedPages::addDecoded(QByteArrayView fileName)
{
    const QString decoded = QFile::decodeName(fileName.toByteArray());
    const std::optional<ManIndex::PageFileName> parsed = ManIndex::parsePageFileName(decoded);
    if (!parsed)
        return;
    if (!AsciiCollation::isPrintableAscii(parsed->name))
        m_allPrintableAscii = false;
    const qint32 suffix = suffixForText(decoded.sliced(parsed->name.size()));
    const qsizetype offset = m_names.size();
    m_names.append(parsed->name);
    appendRecord(offset, suffix);
}

void ScannedPages::appendRecord(qsizetype nameOffset, qint32 suffix)
{
    const qsizetype length = m_names.size() - nameOffset;
    // File names are at most 255 bytes; the limits only guard the record's fields.
    if (length > std::numeric_limits<quint16>::max() || nameOffset > std::numeric_limits<quint32>::max()) {
        m_names.truncate(nameOffset);
        return;
    }
    m_names.append(QChar()); // each name ends like a QString of its own
    m_records.append({ 0, quint32(nameOffset), quint32(m_records.size()), quint32(m_folders.size() - 1),
        quint32(suffix), quint16(length) });
}

qint32 ScannedPages::suffixForBytes(QByteArrayView suffix)
{
    for (const RecentSuffix &recent : m_recentSuffixes) {
        if (recent.id >= 0 && recent.bytes == suffix)
            return recent.id;
    }
    const qint32 id = suffixForText(QString::fromLatin1(suffix));
    m_recentSuffixes[m_nextRecent] = { suffix.toByteArray(), id };
    m_nextRecent = (m_nextRecent + 1) % m_recentSuffixes.size();
    return id;
}

qint32 ScannedPages::suffixForText(const QString &suffix)
{
    if (const auto known = m_suffixIds.constFind(suffix); known != m_suffixIds.cend())
        return *known;
    const QString section = sectionOfSuffix(suffix).toString();
    auto sectionId = m_sectionIds.constFind(section);
    if (sectionId == m_sectionIds.cend()) {
        sectionId = m_sectionIds.insert(section, qint32(m_sections.size()));
        m_sections.append(section);
    }
    const qint32 id = qint32(m_suffixes.size());
    m_suffixes.append({ suffix, *sectionId });
    m_suffixIds.insert(suffix, id);
    return id;
}

QStringView ScannedPages::nameOf(const Record &record) const
{
    return QStringView(m_names.constData() + record.nameOffset, record.nameLength);
}

qint32 ScannedPages::sectionOf(const Record &record) const
{
    return m_suffixes.at(record.suffix).section;
}

// Sections the collator calls equal share a rank.
QList<qint32> ScannedPages::sectionCollationRanks() const
{
    const QCollator collator = Collation::standard();
    QList<qint32> byCollation(m_sections.size());
    std::iota(byCollation.begin(), byCollation.end(), 0);
    std::sort(byCollation.begin(), byCollation.end(),
        [&](qint32 a, qint32 b) { return collator.compare(m_sections.at(a), m_sections.at(b)) < 0; });
    QList<qint32> ranks(m_sections.size());
    qint32 rank = 0;
    for (qsizetype i = 0; i < byCollation.size(); ++i) {
        if (i > 0
            && collator.compare(m_sections.at(byCollation.at(i - 1)), m_sections.at(byCollation.at(i))) != 0)
            ++rank;
        ranks[byCollation.at(i)] = rank;
    }
    return ranks;
}

// Catalogue order: by name case-insensitively, then by section with numbers by value, then by code points,
// then in the order found.
void ScannedPages::sortRecords()
{
    const QList<qint32> sectionRanks = sectionCollationRanks();
    const auto tieBreak = [&](const Record &a, const Record &b) {
        const qint32 sectionA = sectionOf(a);
        const qint32 sectionB = sectionOf(b);
        if (sectionRanks.at(sectionA) != sectionRanks.at(sectionB))
            return sectionRanks.at(sectionA) < sectionRanks.at(sectionB);
        if (const int byName = nameOf(a).compare(nameOf(b)); byName != 0)
            return byName < 0;
        if (sectionA != sectionB) {
            if (const int bySection = QStringView(m_sections.at(sectionA)).compare(m_sections.at(sectionB));
                bySection != 0)
                return bySection < 0;
        }
        return a.discovery < b.discovery;
    };
    if (m_ascii && m_allPrintableAscii) {
        // The names' collation weights in a block laid out like the names, each ended by 0, so names that
        // agree on the first characters (module and command families share long prefixes) compare with
        // strcmp.
        QByteArray weights(m_names.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < m_names.size(); ++i) {
            const char16_t c = m_names.at(i).unicode();
            weights[i] = c == 0 ? '\0' : char(m_ascii->weight(c));
        }
        for (Record &record : m_records)
            record.prefixKey = m_ascii->prefixKey(nameOf(record));
        const char *weightsOf = weights.constData();
        std::sort(m_records.begin(), m_records.end(), [&](const Record &a, const Record &b) {
            if (a.prefixKey != b.prefixKey)
                return a.prefixKey < b.prefixKey;
            // Equal keys: both names agree on their first kPrefixKeyLength weights, and a shorter name is
            // as long as the other.
            if (a.nameLength > AsciiCollation::kPrefixKeyLength) {
                const int byName = std::strcmp(weightsOf + a.nameOffset + AsciiCollation::kPrefixKeyLength,
                    weightsOf + b.nameOffset + AsciiCollation::kPrefixKeyLength);
                if (byName != 0)
                    return byName < 0;
            }
            return tieBreak(a, b);
        });
        return;
    }
    const QCollator nameCollator = Collation::caseInsensitive();
    QList<QCollatorSortKey> nameKeys; // by discovery, which is still each record's position
    nameKeys.reserve(m_records.size());
    for (const Record &record : std::as_const(m_records))
        nameKeys.append(nameCollator.sortKey(nameOf(record).toString()));
    std::sort(m_records.begin(), m_records.end(), [&](const Record &a, const Record &b) {
        if (const int byName = nameKeys.at(a.discovery).compare(nameKeys.at(b.discovery)); byName != 0)
            return byName < 0;
        return tieBreak(a, b);
    });
}

Catalogue ScannedPages::takeCatalogue()
{
    sortRecords();
    // Copies of one identifier are side by side, the first one found in front; only that one stays.
    m_records.erase(std::unique(m_records.begin(), m_records.end(),
                        [&](const Record &a, const Record &b) {
                            return sectionOf(a) == sectionOf(b) && nameOf(a) == nameOf(b);
                        }),
        m_records.end());
    QList<ManPage> pages;
    pages.reserve(m_records.size());
    constexpr qsizetype kPrefetchDistance = 8;
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        // Sorted records read the name block out of order; fetching a few names ahead hides most misses.
        if (i + kPrefetchDistance < m_records.size())
            __builtin_prefetch(m_names.constData() + m_records.at(i + kPrefetchDistance).nameOffset);
        const Record &record = m_records.at(i);
        const Suffix &suffix = m_suffixes.at(record.suffix);
        QString name = nameOf(record).toString();
        QString lowered = lowercasedPageName(name);
        pages.append(ManPage { name, m_sections.at(suffix.section),
            PageLocation::named(m_folders.at(record.folder), suffix.text), std::move(name),
            std::move(lowered) });
    }
    m_records.clear();
    return Catalogue(std::move(pages));
}

} // namespace Lectorin

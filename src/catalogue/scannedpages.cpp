// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/scannedpages.h"

#include "catalogue/asciicollation.h"
#include "catalogue/collation.h"
#include "catalogue/filenames.h"
#include "catalogue/manindex.h"
#include "catalogue/parallel.h"

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

ScannedPages::ScannedPages(QList<QString> folders, QList<QString> languages)
    : m_ascii(AsciiCollation::forCurrentLocale())
    , m_folders(std::move(folders))
    , m_languages(std::move(languages))
{ }

void ScannedPages::enterFolder(qsizetype folder)
{
    m_folder = quint32(folder);
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

// A name that is not UTF-8 is listed with U+FFFD in place of its stray bytes; its page keeps the file's own
// bytes for its path.
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
    if (!FileNames::isUtf8(fileName))
        m_undecodableFileNames.insert(quint32(offset), FileNames::decode(fileName));
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
    m_records.append(
        { quint32(nameOffset), quint32(m_records.size()), m_folder, quint32(suffix), quint16(length) });
}

void ScannedPages::absorb(ScannedPages &&other)
{
    const qsizetype nameBase = m_names.size();
    const qsizetype recordBase = m_records.size();
    if (nameBase + other.m_names.size() > std::numeric_limits<quint32>::max())
        return; // beyond any manual path; the record fields could not address the names
    m_names.append(other.m_names);
    m_allPrintableAscii = m_allPrintableAscii && other.m_allPrintableAscii;
    for (auto file = other.m_undecodableFileNames.cbegin(); file != other.m_undecodableFileNames.cend();
         ++file)
        m_undecodableFileNames.insert(file.key() + quint32(nameBase), file.value());
    QList<qint32> suffixes;
    suffixes.reserve(other.m_suffixes.size());
    for (const Suffix &suffix : std::as_const(other.m_suffixes))
        suffixes.append(suffixForText(suffix.text));
    m_records.reserve(recordBase + other.m_records.size());
    for (Record record : std::as_const(other.m_records)) {
        record.nameOffset += quint32(nameBase);
        record.discovery += quint32(recordBase);
        record.suffix = quint32(suffixes.at(record.suffix));
        m_records.append(record);
    }
    other.m_names.clear();
    other.m_records.clear();
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

void ScannedPages::prepareToSort()
{
    QList<qint32> suffixSections;
    suffixSections.reserve(m_suffixes.size());
    for (const Suffix &suffix : std::as_const(m_suffixes))
        suffixSections.append(suffix.section);
    m_order.emplace(
        m_names, m_sections, std::move(suffixSections), m_allPrintableAscii ? m_ascii : nullptr, m_records);
}

// Sorts the records from `begin` to `end` and drops later copies of an identifier; returns the new end.
ScannedPages::Record *ScannedPages::sortStretch(Record *begin, Record *end)
{
    CatalogueOrder &order = *m_order;
    order.prepare(begin, end);
    std::sort(begin, end, [&order](const Record &a, const Record &b) { return order.precedes(a, b); });
    // Copies of one identifier are side by side, the first one found in front.
    return std::unique(
        begin, end, [&order](const Record &a, const Record &b) { return order.isSameIdentifier(a, b); });
}

// How many of the first `count` records in the merged order of two sorted stretches come from `front`.
qsizetype ScannedPages::frontShareOf(Stretch front, Stretch back, qsizetype count) const
{
    qsizetype low = std::max<qsizetype>(0, count - back.size());
    qsizetype high = std::min(count, front.size());
    while (low < high) {
        const qsizetype fromFront = low + (high - low) / 2;
        // Too few from the front while its next record precedes the last one taken from the back.
        if (m_order->precedes(front.begin[fromFront], back.begin[count - fromFront - 1]))
            low = fromFront + 1;
        else
            high = fromFront;
    }
    return low;
}

// The later of the two stretches' last records, or null when both are empty.
const ScannedPages::Record *ScannedPages::lastMerged(Stretch front, Stretch back) const
{
    if (front.size() == 0 || back.size() == 0)
        return front.size() > 0 ? front.end - 1 : back.size() > 0 ? back.end - 1 : nullptr;
    return m_order->precedes(front.end[-1], back.end[-1]) ? back.end - 1 : front.end - 1;
}

// The pages of two sorted stretches in merged order. A copy of an identifier at the end of one half of the
// sort and in the other sits right behind the one found first and is dropped; `previous` is the record merged
// just before these, if any.
QList<ManPage> ScannedPages::mergedPages(
    Stretch front, Stretch back, const Record *previous, qsizetype capacity) const
{
    QList<ManPage> pages;
    pages.reserve(capacity);
    constexpr qsizetype kPrefetchDistance = 8;
    const auto take = [&](Stretch &stretch) {
        const Record *record = stretch.begin++;
        // Sorted records read the name block out of order; fetching a few names ahead hides most misses.
        if (stretch.size() > kPrefetchDistance)
            __builtin_prefetch(m_names.constData() + stretch.begin[kPrefetchDistance].nameOffset);
        if (!previous || !m_order->isSameIdentifier(*previous, *record))
            pages.append(pageOf(*record));
        previous = record;
    };
    while (front.size() > 0 && back.size() > 0)
        take(m_order->precedes(*back.begin, *front.begin) ? back : front);
    while (front.size() > 0)
        take(front);
    while (back.size() > 0)
        take(back);
    return pages;
}

qsizetype ScannedPages::locationOf(const Record &record) const
{
    return qsizetype(record.folder) * m_suffixes.size() + record.suffix;
}

// One location for each folder and suffix the pages use, shared by those pages. A table of all pairs is
// small for any manual path; for a tree of many folders and many odd suffixes, each page gets its own.
void ScannedPages::makeLocations()
{
    if (m_folders.size() * m_suffixes.size() > m_records.size() + 4096)
        return;
    m_locations.fill(PageLocation(), m_folders.size() * m_suffixes.size());
    QList<bool> used(m_locations.size(), false);
    for (const Record &record : std::as_const(m_records))
        used[locationOf(record)] = true;
    for (qsizetype location = 0; location < used.size(); ++location) {
        if (used.at(location)) {
            m_locations[location] = folderLocation(
                quint32(location / m_suffixes.size()), m_suffixes.at(location % m_suffixes.size()).text);
        }
    }
}

PageLocation ScannedPages::folderLocation(quint32 folder, const QString &suffix) const
{
    return PageLocation::named(
        m_folders.at(folder), suffix, folder < m_languages.size() ? m_languages.at(folder) : QString());
}

ManPage ScannedPages::pageOf(const Record &record) const
{
    QString name = m_order->nameOf(record).toString();
    QString lowered = lowercasedPageName(name);
    PageLocation location = m_locations.isEmpty()
        ? folderLocation(record.folder, m_suffixes.at(record.suffix).text)
        : m_locations.at(locationOf(record));
    if (!m_undecodableFileNames.isEmpty()) {
        if (const auto file = m_undecodableFileNames.constFind(record.nameOffset);
            file != m_undecodableFileNames.cend())
            location = PageLocation(m_folders.at(record.folder) + *file, location.language());
    }
    return ManPage { name, m_sections.at(m_order->sectionOf(record)), std::move(location), std::move(name),
        std::move(lowered) };
}

Catalogue ScannedPages::takeCatalogue()
{
    prepareToSort();
    Record *front = m_records.data();
    Record *middle = front + m_records.size() / 2;
    Record *end = front + m_records.size();
    Record *frontEnd = nullptr;
    Record *backEnd = nullptr;
    // Each thread sorts one half of the records, then merges and makes one half of the pages.
    Parallel::runBoth(
        [&] { backEnd = sortStretch(middle, end); }, [&] { frontEnd = sortStretch(front, middle); });
    makeLocations(); // over kept and dropped records: a location only a dropped copy uses costs nothing
    const Stretch sortedFront { front, frontEnd };
    const Stretch sortedBack { middle, backEnd };
    const qsizetype firstCount = (sortedFront.size() + sortedBack.size()) / 2;
    const qsizetype fromFront = frontShareOf(sortedFront, sortedBack, firstCount);
    const Stretch firstFront { sortedFront.begin, sortedFront.begin + fromFront };
    const Stretch firstBack { sortedBack.begin, sortedBack.begin + (firstCount - fromFront) };
    const Stretch restFront { firstFront.end, sortedFront.end };
    const Stretch restBack { firstBack.end, sortedBack.end };
    QList<ManPage> pages;
    QList<ManPage> restPages;
    Parallel::runBoth(
        [&] {
            restPages = mergedPages(
                restFront, restBack, lastMerged(firstFront, firstBack), restFront.size() + restBack.size());
        },
        [&] { pages = mergedPages(firstFront, firstBack, nullptr, sortedFront.size() + sortedBack.size()); });
    m_records.clear();
    pages.append(std::move(restPages));
    return Catalogue(std::move(pages));
}

} // namespace Lectorin

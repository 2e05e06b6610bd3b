// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"

#include "catalogue/pageidentifierview.h"
#include "catalogue/parallel.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace Lectorin {
namespace {

auto namesOf(const QList<ManPage> &pages)
{
    return [&pages](qint32 position) { return QStringView(pages.at(position).name); };
}

// Preference positions of the few distinct sections, as integers so that chains sort without comparing
// strings. Sections are found by their shared storage first.
class SectionOrder
{
public:
    explicit SectionOrder(
        const QList<ManPage> &pages, const QList<qint32> &sharedNames, const QList<qint32> &nextOfName)
    {
        for (const qint32 first : sharedNames) {
            for (qint32 index = first; index >= 0; index = nextOfName.at(index))
                find(pages.at(index).section);
        }
        QList<qint32> byRank(m_known.size());
        std::iota(byRank.begin(), byRank.end(), 0);
        std::sort(byRank.begin(), byRank.end(),
            [&](qint32 a, qint32 b) { return m_known.at(a).rank < m_known.at(b).rank; });
        for (qsizetype position = 0; position < byRank.size(); ++position)
            m_known[byRank.at(position)].position = qint32(position);
    }

    qint32 of(const QString &section) const { return m_known.at(indexOf(section)).position; }

private:
    struct Known
    {
        const QChar *storage;
        QString section;
        SectionRank rank;
        qint32 position = 0;
    };

    qsizetype indexOf(const QString &section) const
    {
        for (qsizetype i = 0; i < m_known.size(); ++i) {
            if (m_known.at(i).storage == section.constData())
                return i;
        }
        for (qsizetype i = 0; i < m_known.size(); ++i) {
            if (m_known.at(i).section == section)
                return i;
        }
        return -1;
    }
    void find(const QString &section)
    {
        const qsizetype known = indexOf(section);
        if (known < 0)
            m_known.append({ section.constData(), section, sectionRank(section) });
        else if (m_known.at(known).storage != section.constData())
            m_known.append({ section.constData(), section, m_known.at(known).rank });
    }

    QList<Known> m_known;
};

} // namespace

Catalogue::Catalogue(QList<ManPage> manualPages)
    : m_pages(std::move(manualPages))
{
    linkNames();
}

void Catalogue::linkNames()
{
    m_firstByName = NameTable(m_pages.size());
    m_nextOfName.fill(-1, m_pages.size());
    const auto nameAt = namesOf(m_pages);
    // A later page of a name goes right after the first; the chains are put in preference order below.
    QList<qint32> sharedNames;
    // The table's slots are read in no order; hashing a few names ahead and fetching their slots hides most
    // of the misses.
    constexpr qint32 kAhead = 8;
    std::array<quint32, kAhead> hashesAhead {};
    const qint32 count = qint32(m_pages.size());
    const auto hashAhead = [&](qint32 index) {
        const quint32 hash = NameTable::hashOf(m_pages.at(index).name);
        m_firstByName.prefetch(hash);
        hashesAhead[index % kAhead] = hash;
    };
    for (qint32 index = 0; index < std::min(count, kAhead); ++index)
        hashAhead(index);
    for (qint32 index = 0; index < count; ++index) {
        const quint32 hash = hashesAhead[index % kAhead];
        if (index + kAhead < count)
            hashAhead(index + kAhead);
        const qint32 first = m_firstByName.findOrInsert(m_pages.at(index).name, hash, index, nameAt);
        if (first == index)
            continue;
        if (m_nextOfName.at(first) < 0)
            sharedNames.append(first);
        m_nextOfName[index] = m_nextOfName.at(first);
        m_nextOfName[first] = index;
    }
    if (!sharedNames.isEmpty())
        orderSharedNames(sharedNames);
}

// Names in several sections: each chain in section preference order, and every page of such a name displayed
// as "name(section)".
void Catalogue::orderSharedNames(const QList<qint32> &sharedNames)
{
    const SectionOrder order(m_pages, sharedNames, m_nextOfName);
    ManPage *pages = m_pages.data();
    qint32 *nextOfName = m_nextOfName.data();
    // Chains are disjoint, so the two halves of them are put in order side by side; only the name table,
    // whose probes cross, is changed afterwards.
    const auto orderChains = [&](qsizetype begin, qsizetype end) {
        QList<std::pair<qint32, qint32>> newFirsts; // first page found, preferred page
        QList<std::pair<qint32, qint32>> chain; // preference position, page
        for (qsizetype shared = begin; shared < end; ++shared) {
            const qint32 first = sharedNames.at(shared);
            chain.resize(0);
            for (qint32 index = first; index >= 0; index = nextOfName[index])
                chain.append({ order.of(pages[index].section), index });
            // The pages of one name have distinct sections, so their positions never tie.
            std::sort(chain.begin(), chain.end());
            for (qsizetype i = 0; i < chain.size(); ++i) {
                ManPage &page = pages[chain.at(i).second];
                page.displayName = page.qualifiedName();
                nextOfName[chain.at(i).second] = i + 1 < chain.size() ? chain.at(i + 1).second : -1;
            }
            if (chain.first().second != first)
                newFirsts.append({ first, chain.first().second });
        }
        return newFirsts;
    };
    const qsizetype middle = sharedNames.size() / 2;
    QList<std::pair<qint32, qint32>> front;
    QList<std::pair<qint32, qint32>> back;
    Parallel::runBoth(
        [&] { back = orderChains(middle, sharedNames.size()); }, [&] { front = orderChains(0, middle); });
    for (const auto &newFirsts : { front, back }) {
        for (const auto &[first, preferred] : newFirsts)
            m_firstByName.replace(m_pages.at(first).name, preferred, namesOf(m_pages));
    }
}

Catalogue Catalogue::withHelpPages(QList<ManPage> helpPages) const
{
    Catalogue result = *this;
    result.m_helpPages = std::move(helpPages);
    result.m_helpByName = NameTable(result.m_helpPages.size());
    const auto nameAt = namesOf(result.m_helpPages);
    for (qint32 index = 0; index < result.m_helpPages.size(); ++index)
        result.m_helpByName.findOrInsert(result.m_helpPages.at(index).name, index, nameAt);
    return result;
}

qint32 Catalogue::firstNamed(QStringView name) const
{
    return m_firstByName.find(name, namesOf(m_pages));
}

qint32 Catalogue::helpNamed(QStringView name) const
{
    return m_helpByName.find(name, namesOf(m_helpPages));
}

const ManPage *Catalogue::page(QStringView id) const
{
    const PageIdentifierView parts(id);
    if (!parts.hasSection())
        return nullptr;
    if (parts.section == kHelpSection) {
        if (const qint32 help = helpNamed(parts.name); help >= 0)
            return &m_helpPages.at(help);
    }
    for (qint32 index = firstNamed(parts.name); index >= 0; index = m_nextOfName.at(index)) {
        if (m_pages.at(index).section == parts.section)
            return &m_pages.at(index);
    }
    return nullptr;
}

QList<ManPage> Catalogue::pagesNamed(QStringView name) const
{
    QList<ManPage> pages;
    if (const qint32 first = firstNamed(name); first >= 0) {
        for (qint32 index = first; index >= 0; index = m_nextOfName.at(index))
            pages.append(m_pages.at(index));
    } else if (const ManPage *help = preferredPage(name)) {
        pages.append(*help);
    }
    return pages;
}

const ManPage *Catalogue::preferredPage(QStringView name) const
{
    if (const qint32 first = firstNamed(name); first >= 0)
        return &m_pages.at(first);
    if (const qint32 help = helpNamed(name); help >= 0)
        return &m_helpPages.at(help);
    return nullptr;
}

const ManPage *Catalogue::pageWithSectionPrefix(QStringView name, QStringView sectionPrefix) const
{
    const qint32 first = firstNamed(name);
    if (first < 0) {
        const ManPage *help = preferredPage(name);
        return help && help->section.startsWith(sectionPrefix) ? help : nullptr;
    }
    for (qint32 index = first; index >= 0; index = m_nextOfName.at(index)) {
        if (m_pages.at(index).section.startsWith(sectionPrefix))
            return &m_pages.at(index);
    }
    return nullptr;
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"

#include <algorithm>
#include <array>

namespace Lectorin {
namespace {

auto namesOf(const QList<ManPage> &pages)
{
    return [&pages](qint32 position) { return QStringView(pages.at(position).name); };
}

// Section ranks of the few distinct sections, found by the shared section strings' storage first.
class SectionRanks
{
public:
    SectionRank of(const QString &section)
    {
        for (const Known &known : std::as_const(m_known)) {
            if (known.storage == section.constData())
                return known.rank;
        }
        for (const Known &known : std::as_const(m_known)) {
            if (known.section == section)
                return known.rank;
        }
        m_known.append({ section.constData(), section, sectionRank(section) });
        return m_known.constLast().rank;
    }

private:
    struct Known
    {
        const QChar *storage;
        QString section;
        SectionRank rank;
    };
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
    SectionRanks ranks;
    QList<qint32> chain;
    for (const qint32 first : sharedNames) {
        chain.resize(0);
        for (qint32 index = first; index >= 0; index = m_nextOfName.at(index))
            chain.append(index);
        // The pages of one name have distinct sections, so their ranks never tie.
        std::sort(chain.begin(), chain.end(), [&](qint32 a, qint32 b) {
            return ranks.of(m_pages.at(a).section) < ranks.of(m_pages.at(b).section);
        });
        for (qsizetype i = 0; i < chain.size(); ++i) {
            ManPage &page = m_pages[chain.at(i)];
            page.displayName = page.qualifiedName();
            m_nextOfName[chain.at(i)] = i + 1 < chain.size() ? chain.at(i + 1) : -1;
        }
        m_firstByName.replace(m_pages.at(chain.first()).name, chain.first(), namesOf(m_pages));
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
    const qsizetype slash = id.indexOf(u'/');
    if (slash < 0)
        return nullptr;
    const QStringView section = id.first(slash);
    const QStringView name = id.sliced(slash + 1);
    if (section == kHelpSection) {
        if (const qint32 help = helpNamed(name); help >= 0)
            return &m_helpPages.at(help);
    }
    for (qint32 index = firstNamed(name); index >= 0; index = m_nextOfName.at(index)) {
        if (m_pages.at(index).section == section)
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"

#include <QHash>

#include <algorithm>

namespace Lectorin {
namespace {

auto namesOf(const QList<ManPage> &pages)
{
    return [&pages](qint32 position) { return QStringView(pages.at(position).name); };
}

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
    QHash<qint32, qint32> tails; // for names seen twice: first index -> the chain's current tail
    QList<qint32> sharedNames;
    for (qint32 index = 0; index < m_pages.size(); ++index) {
        const qint32 first = m_firstByName.findOrInsert(m_pages.at(index).name, index, nameAt);
        if (first == index)
            continue;
        auto tail = tails.find(first);
        if (tail == tails.end()) {
            sharedNames.append(first);
            tail = tails.insert(first, first);
        }
        m_nextOfName[*tail] = index;
        *tail = index;
    }

    // Names in several sections: order each chain by section preference and qualify the display names.
    for (const qint32 first : std::as_const(sharedNames)) {
        QList<qint32> chain;
        for (qint32 index = first; index >= 0; index = m_nextOfName.at(index))
            chain.append(index);
        std::stable_sort(chain.begin(), chain.end(), [this](qint32 a, qint32 b) {
            return isSectionPreferred(m_pages.at(a).section, m_pages.at(b).section);
        });
        for (qsizetype i = 0; i < chain.size(); ++i) {
            ManPage &page = m_pages[chain.at(i)];
            page.displayName = page.name + u'(' + page.section + u')';
            m_nextOfName[chain.at(i)] = i + 1 < chain.size() ? chain.at(i + 1) : -1;
        }
        m_firstByName.replace(m_pages.at(chain.first()).name, chain.first(), nameAt);
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

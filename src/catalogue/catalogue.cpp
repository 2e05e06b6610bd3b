// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"

#include <algorithm>

namespace Lectorin {

Catalogue::Catalogue(QList<ManPage> manualPages)
    : m_pages(std::move(manualPages))
{
    linkNames();
}

void Catalogue::linkNames()
{
    m_firstByName.reserve(m_pages.size());
    m_nextOfName.fill(-1, m_pages.size());
    QHash<qint32, qint32> tails; // for names seen twice: first index -> the chain's current tail
    QList<qint32> sharedNames;
    for (qint32 index = 0; index < m_pages.size(); ++index) {
        const QStringView name(m_pages.at(index).name);
        PageIndex &slot = m_firstByName[name];
        if (slot.value < 0) {
            slot.value = index;
            continue;
        }
        const qint32 first = slot.value;
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
        m_firstByName[QStringView(m_pages.at(chain.first()).name)].value = chain.first();
    }
}

Catalogue Catalogue::withHelpPages(QList<ManPage> helpPages) const
{
    Catalogue result = *this;
    result.m_helpPages = std::move(helpPages);
    result.m_helpByName.clear();
    result.m_helpByName.reserve(result.m_helpPages.size());
    for (qint32 index = 0; index < result.m_helpPages.size(); ++index) {
        PageIndex &slot = result.m_helpByName[QStringView(result.m_helpPages.at(index).name)];
        if (slot.value < 0)
            slot.value = index;
    }
    return result;
}

const ManPage *Catalogue::page(QStringView id) const
{
    const qsizetype slash = id.indexOf(u'/');
    if (slash < 0)
        return nullptr;
    const QStringView section = id.first(slash);
    const QStringView name = id.sliced(slash + 1);
    if (section == kHelpSection) {
        const auto help = m_helpByName.constFind(name);
        if (help != m_helpByName.cend())
            return &m_helpPages.at(help->value);
    }
    const auto first = m_firstByName.constFind(name);
    if (first == m_firstByName.cend())
        return nullptr;
    for (qint32 index = first->value; index >= 0; index = m_nextOfName.at(index)) {
        if (m_pages.at(index).section == section)
            return &m_pages.at(index);
    }
    return nullptr;
}

QList<ManPage> Catalogue::pagesNamed(QStringView name) const
{
    QList<ManPage> pages;
    const auto first = m_firstByName.constFind(name);
    if (first != m_firstByName.cend()) {
        for (qint32 index = first->value; index >= 0; index = m_nextOfName.at(index))
            pages.append(m_pages.at(index));
    } else if (const ManPage *help = preferredPage(name)) {
        pages.append(*help);
    }
    return pages;
}

const ManPage *Catalogue::preferredPage(QStringView name) const
{
    if (const auto first = m_firstByName.constFind(name); first != m_firstByName.cend())
        return &m_pages.at(first->value);
    if (const auto help = m_helpByName.constFind(name); help != m_helpByName.cend())
        return &m_helpPages.at(help->value);
    return nullptr;
}

const ManPage *Catalogue::pageWithSectionPrefix(QStringView name, QStringView sectionPrefix) const
{
    const auto first = m_firstByName.constFind(name);
    if (first == m_firstByName.cend()) {
        const ManPage *help = preferredPage(name);
        return help && help->section.startsWith(sectionPrefix) ? help : nullptr;
    }
    for (qint32 index = first->value; index >= 0; index = m_nextOfName.at(index)) {
        if (m_pages.at(index).section.startsWith(sectionPrefix))
            return &m_pages.at(index);
    }
    return nullptr;
}

} // namespace Lectorin

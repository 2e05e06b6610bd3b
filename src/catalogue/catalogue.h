// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "catalogue/nametable.h"

#include <QList>
#include <QStringView>

namespace Lectorin {

// The pages of one scan and their lookups: by identifier and by exact name. Manual pages come in
// catalogue order; help pages are reachable by identifier, and by name when no manual page has it.
// The tables hold page positions only, so they cost a few bytes per page, copies are cheap, and lookups
// allocate nothing.
class Catalogue
{
public:
    Catalogue() = default;
    // `manualPages` must be in catalogue order with unique identifiers. Pages of a name found in two or more
    // sections get the qualified display name "name(section)".
    explicit Catalogue(QList<ManPage> manualPages);

    // This catalogue's manual pages with `helpPages` (sorted by name) in place of the current ones.
    Catalogue withHelpPages(QList<ManPage> helpPages) const;

    const QList<ManPage> &pages() const { return m_pages; }
    const QList<ManPage> &helpPages() const { return m_helpPages; }
    qsizetype nameCount() const { return m_firstByName.size(); }
    bool hasManualPageNamed(QStringView name) const { return firstNamed(name) >= 0; }

    // The page of an identifier "section/name", manual or help.
    const ManPage *page(QStringView id) const;
    // The pages of a name, the preferred section first; a help page alone when no manual page has the name.
    QList<ManPage> pagesNamed(QStringView name) const;
    // The first of those: the page a bare name opens.
    const ManPage *preferredPage(QStringView name) const;
    // The first page of the name whose section starts with `sectionPrefix`.
    const ManPage *pageWithSectionPrefix(QStringView name, QStringView sectionPrefix) const;

    bool operator==(const Catalogue &other) const
    {
        return m_pages == other.m_pages && m_helpPages == other.m_helpPages;
    }

private:
    void linkNames();
    void orderSharedNames(const QList<qint32> &sharedNames);
    qint32 firstNamed(QStringView name) const;
    qint32 helpNamed(QStringView name) const;

    QList<ManPage> m_pages;
    QList<ManPage> m_helpPages;
    NameTable m_firstByName; // into m_pages
    QList<qint32> m_nextOfName; // the next page of the same name, preference order; -1 ends
    NameTable m_helpByName; // into m_helpPages
};

} // namespace Lectorin

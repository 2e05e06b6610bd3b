// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/manpage.h"
#include "catalogue/pagelanguages.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <optional>

namespace Lectorin::ManIndex {

// Name and section of a page file name ("ls.1.gz" -> ls, 1), or nothing when the name is not a page's.
struct PageFileName
{
    QString name;
    QString section;
    bool operator==(const PageFileName &) const = default;
};
std::optional<PageFileName> parsePageFileName(QStringView fileName);

// Reads the "man*" subdirectories of every root, in order; the first file found for an identifier wins, so a
// translation listed before its root shows in place of the untranslated page. Reads directory listings only.
// Never fails: unreadable or missing folders are skipped.
Catalogue scanWithTranslations(const QList<PageLanguages::ManualRoot> &roots);
// The untranslated pages of `roots`.
Catalogue scan(const QStringList &roots);

// Help pages for the executables on `directories` whose names have no manual page, sorted by name.
QList<ManPage> scanCommands(const QStringList &directories, const QSet<QString> &knownNames);

// Puts pages in catalogue order: by name case-insensitively, equal names by section, numbers by value;
// pages that compare equal keep their relative order.
void sortInCatalogueOrder(QList<ManPage> &pages);

} // namespace Lectorin::ManIndex

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace Lectorin {

// "* ls: (coreutils)ls invocation.   List directory contents." in a dir file or a manual's preamble.
struct InfoDirEntry
{
    QString title;
    QString manual;
    // Empty for the manual's Top node.
    QString node;
    QString description;

    bool operator==(const InfoDirEntry &) const = default;
};

// A heading of the dir menu ("Basics", "Individual utilities") and the entries under it.
struct InfoDirCategory
{
    QString name;
    QList<InfoDirEntry> entries;

    bool operator==(const InfoDirCategory &) const = default;
};

// The directory of manuals as dir files and the manuals themselves describe it.
namespace InfoDir {

inline const QString kMiscellaneous = QStringLiteral("Miscellaneous");

// The menu of a dir file: its category lines and the entries under them, entries before any category under
// kMiscellaneous. Entries that name no manual are left out.
QList<InfoDirCategory> parse(QStringView text);
// The INFO-DIR-SECTION and START-INFO-DIR-ENTRY … END-INFO-DIR-ENTRY blocks of a manual's preamble, the text
// before its first node.
QList<InfoDirCategory> parsePreamble(QStringView text);
// `more` added to `categories`: a category named alike (ignoring case) takes the entries it lacks.
void merge(QList<InfoDirCategory> &categories, const QList<InfoDirCategory> &more);

} // namespace InfoDir
} // namespace Lectorin

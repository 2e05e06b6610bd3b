// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace Lectorin {

// Each page's one-line description ("list directory contents"), as whatis prints it, by page identifier.
class PageDescriptions
{
public:
    // Empty when the page has none or it has not arrived yet.
    QString of(const QString &id) const { return m_byID.value(id); }
    bool contains(const QString &id) const { return m_byID.contains(id); }
    qsizetype size() const { return m_byID.size(); }
    bool isEmpty() const { return m_byID.isEmpty(); }
    // The first description given for an identifier stays.
    void insert(const QString &id, const QString &description);
    const QHash<QString, QString> &byID() const { return m_byID; }

    bool operator==(const PageDescriptions &) const = default;

private:
    QHash<QString, QString> m_byID;
};

// "ls(1) — list directory contents", or the name alone while it has no description.
QString describedName(const QString &name, const QString &description);

namespace DescriptionSources {

// What `apropos -l .` prints, in man-db's form ("ls (1) - list directory contents") or mandoc's
// ("gzip, gunzip(1) - compress files", several names to one line).
PageDescriptions fromApropos(const QByteArray &output);

// What `lexgrog FILE…` prints ("FILE: \"name - description\"", one line per name the page's NAME section
// gives), as descriptions of `pages` by file: the line of the page's own name, else its first.
PageDescriptions fromLexgrog(const QByteArray &output, const QList<ManPage> &pages);

} // namespace DescriptionSources

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/collation.h"
#include "catalogue/manpage.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace Lectorin::CatalogueTestFiles {

constexpr QFile::Permissions kPlain = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kExecutable = kPlain | QFile::ExeOwner;

// A file at `path` holding `content`, its folders made first.
inline void writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions = kPlain)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.close();
    file.setPermissions(permissions);
}

// An empty file at `path`, its folders made first.
inline void touch(const QString &path, QFile::Permissions permissions = kPlain)
{
    writeFile(path, QByteArray(), permissions);
}

inline QStringList idsOf(const QList<ManPage> &pages)
{
    QStringList ids;
    for (const ManPage &page : pages)
        ids << page.id();
    return ids;
}

// The catalogue order in its plainest form: a stable sort by the collators, names then sections.
inline void sortByCollators(QList<ManPage> &pages)
{
    const QCollator names = Collation::caseInsensitive();
    const QCollator sections = Collation::standard();
    std::stable_sort(pages.begin(), pages.end(), [&](const ManPage &a, const ManPage &b) {
        if (const int byName = names.compare(a.name, b.name); byName != 0)
            return byName < 0;
        if (const int bySection = sections.compare(a.section, b.section); bySection != 0)
            return bySection < 0;
        return std::pair(a.name, a.section) < std::pair(b.name, b.section);
    });
}

} // namespace Lectorin::CatalogueTestFiles

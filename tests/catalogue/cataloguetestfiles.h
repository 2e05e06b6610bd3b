// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace Lectorin::CatalogueTestFiles {

// An empty file at `path`, its folders made first.
inline void touch(const QString &path, QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    file.setPermissions(permissions);
}

inline QStringList idsOf(const QList<ManPage> &pages)
{
    QStringList ids;
    for (const ManPage &page : pages)
        ids << page.id();
    return ids;
}

} // namespace Lectorin::CatalogueTestFiles

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "info/infodir.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Lectorin {

// An installed manual: its name as `info NAME` takes it and the file its nodes are read from.
struct InfoManual
{
    QString name;
    QString path;
    QString category;
    // From the manual's dir entry; may be empty.
    QString description;

    bool operator==(const InfoManual &) const = default;
};

// The manuals of a search path and the dir menu that lists them.
struct InfoLibrary
{
    QList<InfoManual> manuals;
    // The dir files' categories with the entries of installed manuals only, then those the manuals' own
    // preambles add, then kMiscellaneous for manuals no entry names.
    QList<InfoDirCategory> categories;

    bool operator==(const InfoLibrary &) const = default;
};

// Where Info manuals are installed, and which.
namespace InfoPath {

QStringList defaultDirectories();
// The directories of an INFOPATH value: its components in order, empty ones skipped, the defaults after a
// trailing ':'; the defaults when it names none.
QStringList directories(const QString &infopath);
// As above for the INFOPATH of the environment; the defaults when it is not set.
QStringList directories();

// The manuals in `directories`: NAME.info, NAME.info.gz and plain files that read as Info files, the subfiles
// of split manuals left out; the first directory holding a name gives it. Sorted by name. Blocking: call it
// off the GUI thread.
InfoLibrary scan(const QStringList &directories);
QList<InfoManual> manuals(const QStringList &directories);

// The manual called `name` (".info" allowed), exactly, else ignoring case.
std::optional<InfoManual> find(const QList<InfoManual> &manuals, const QString &name);

} // namespace InfoPath
} // namespace Lectorin

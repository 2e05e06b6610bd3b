// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/resourcepaths.h"

#include "buildinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Lectorin::ResourcePaths {

QString resourceFolder(const QString &name)
{
    QStringList candidates;
    const QString override = qEnvironmentVariable("LECTORIN_RESOURCES");
    if (!override.isEmpty())
        candidates.append(override + u'/' + name);
    // applicationDirPath() needs an application object; without one only the other places are tried.
    if (QCoreApplication::instance())
        candidates.append(
            QCoreApplication::applicationDirPath() + QStringLiteral("/../share/lectorin/") + name);
    // The window program lives in libexec, apart from the folder it was installed with.
    candidates.append(QStringLiteral(LECTORIN_INSTALL_DATADIR) + u'/' + name);
    candidates.append(QStringLiteral(LECTORIN_SOURCE_RESOURCES) + u'/' + name);

    for (const QString &candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return {};
}

} // namespace Lectorin::ResourcePaths

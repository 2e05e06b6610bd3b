// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/appinfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHashFunctions>

namespace Skeppa {

namespace {

qint64 parseBuild(const QString &text)
{
    if (text.isEmpty())
        return 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    bool ok = false;
    const qint64 build = text.toLongLong(&ok);
    return ok ? build : 0;
}

} // namespace

AppInfo AppInfo::fromStrings(
    const QString &name, const QString &version, const QString &build, const QString &fallbackName)
{
    return AppInfo {
        name.isEmpty() ? fallbackName : name,
        version.isEmpty() ? QStringLiteral("0") : version,
        parseBuild(build),
    };
}

AppInfo AppInfo::fromApplication(const QString &build)
{
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return fromStrings(
        QCoreApplication::applicationName(), QCoreApplication::applicationVersion(), build, executable);
}

size_t qHash(const AppInfo &info, size_t seed) noexcept
{
    return qHashMulti(seed, info.name, info.version, info.build);
}

} // namespace Skeppa

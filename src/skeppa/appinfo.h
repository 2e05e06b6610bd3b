// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Skeppa {

// The running application's identity: a name and version for people, a build number for the update check.
struct AppInfo
{
    QString name;
    QString version;
    qint64 build = 0;

    // An empty name falls back to fallbackName, an empty version to "0"; a build that is not a plain
    // decimal integer (say "1.2.3" or "57b") gives 0.
    static AppInfo fromStrings(const QString &name, const QString &version, const QString &build,
        const QString &fallbackName = QString());
    // Name and version as the QCoreApplication knows them; the executable's file name stands in for a
    // missing name.
    static AppInfo fromApplication(const QString &build);

    friend bool operator==(const AppInfo &, const AppInfo &) = default;
};

size_t qHash(const AppInfo &info, size_t seed = 0) noexcept;

} // namespace Skeppa

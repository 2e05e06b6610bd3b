// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QSettings;

namespace Lectorin {

// The application's light/dark choice, stored under "appearance".
enum class AppearanceSetting
{
    system,
    light,
    dark
};

inline constexpr const char *kAppearanceKey = "appearance";

QList<AppearanceSetting> allAppearanceSettings();
QString rawValue(AppearanceSetting setting);
// "light" and "dark" are themselves; every other value, or none, follows the system.
AppearanceSetting appearanceFromRawValue(const QString &value);
AppearanceSetting storedAppearance(const QSettings &settings);

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appearancesetting.h"

#include <QSettings>

namespace Lectorin {

QList<AppearanceSetting> allAppearanceSettings()
{
    return { AppearanceSetting::system, AppearanceSetting::light, AppearanceSetting::dark };
}

QString rawValue(AppearanceSetting setting)
{
    switch (setting) {
    case AppearanceSetting::light:
        return QStringLiteral("light");
    case AppearanceSetting::dark:
        return QStringLiteral("dark");
    case AppearanceSetting::system:
        break;
    }
    return QStringLiteral("system");
}

AppearanceSetting appearanceFromRawValue(const QString &value)
{
    if (value == QLatin1String("light"))
        return AppearanceSetting::light;
    if (value == QLatin1String("dark"))
        return AppearanceSetting::dark;
    return AppearanceSetting::system;
}

AppearanceSetting storedAppearance(const QSettings &settings)
{
    const QVariant value = settings.value(QLatin1String(kAppearanceKey));
    return value.typeId() == QMetaType::QString ? appearanceFromRawValue(value.toString())
                                                : AppearanceSetting::system;
}

} // namespace Lectorin

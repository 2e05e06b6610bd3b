// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/appearancesetting.h"

#include <QObject>
#include <QPalette>
#include <QString>

#include <optional>

class QApplication;
class QDBusVariant;

namespace Lectorin {

// The desktop's light or dark preference, from the XDG portal's "color-scheme" setting, with the platform
// palette's lightness where no portal answers; and the application's own choice applied on top of it.
class SystemAppearance : public QObject
{
    Q_OBJECT

public:
    explicit SystemAppearance(QObject *parent = nullptr);

    // True when the desktop prefers dark.
    bool prefersDark() const;
    // Whether the application is dark now: the forced choice, or the desktop's.
    bool isDark() const;
    AppearanceSetting setting() const { return m_setting; }

    // "light" and "dark" force Fusion with a light or dark palette; "system" follows the desktop.
    void apply(AppearanceSetting setting);

    static QPalette lightPalette();
    static QPalette darkPalette();
    // The portal's value: 1 prefers dark, 2 prefers light, 0 or anything else has no preference.
    static std::optional<bool> darkFromPortalValue(uint value);

    // For tests and for desktops without a portal: the preference as if the portal had said it.
    void setPortalPreference(std::optional<bool> prefersDark);

Q_SIGNALS:
    // The desktop's preference or the applied choice changed what isDark() says.
    void darkChanged(bool dark);

private Q_SLOTS:
    void portalSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void restyle();

    std::optional<bool> m_portalPrefersDark;
    AppearanceSetting m_setting = AppearanceSetting::system;
    QString m_platformStyle;
    QPalette m_platformPalette;
    bool m_lastDark = false;
};

} // namespace Lectorin

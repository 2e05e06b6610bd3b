// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktopicons.h"

#include <QIcon>
#include <QStandardPaths>

namespace Lectorin::DesktopIcons {

void install()
{
    const QString desktopTheme = QIcon::themeName();
    // "hicolor" is every theme's last resort, not a theme of its own.
    if (desktopTheme.isEmpty() || desktopTheme == QLatin1String("hicolor")) {
        for (const QString &candidate :
            { QStringLiteral("default"), QStringLiteral("Adwaita"), QStringLiteral("breeze") }) {
            if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                    QStringLiteral("icons/%1/index.theme").arg(candidate))
                     .isEmpty()) {
                QIcon::setThemeName(candidate);
                break;
            }
        }
    }
    QIcon::setFallbackSearchPaths(QIcon::fallbackSearchPaths() << QStringLiteral(":/lectorin/icons"));
}

} // namespace Lectorin::DesktopIcons

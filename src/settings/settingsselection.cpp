// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settingsselection.h"

namespace Lectorin {

QString settingsTabIdentifier(SettingsTab tab)
{
    return tab == SettingsTab::themes ? QStringLiteral("themes") : QStringLiteral("general");
}

SettingsTab settingsTabFromIdentifier(const QString &identifier)
{
    return identifier == QLatin1String("themes") ? SettingsTab::themes : SettingsTab::general;
}

void SettingsSelection::setTab(SettingsTab tab)
{
    if (tab == m_tab)
        return;
    m_tab = tab;
    emit tabChanged(tab);
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace Lectorin {

// The pages of the settings window, in toolbar order.
enum class SettingsTab
{
    general,
    themes
};

QString settingsTabIdentifier(SettingsTab tab);
// "general" and "themes" are themselves; any other identifier is General.
SettingsTab settingsTabFromIdentifier(const QString &identifier);

// Which page the settings window shows.
class SettingsSelection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Lectorin::SettingsTab tab READ tab WRITE setTab NOTIFY tabChanged)

public:
    using QObject::QObject;

    SettingsTab tab() const { return m_tab; }
    void setTab(SettingsTab tab);

Q_SIGNALS:
    void tabChanged(Lectorin::SettingsTab tab);

private:
    SettingsTab m_tab = SettingsTab::general;
};

} // namespace Lectorin

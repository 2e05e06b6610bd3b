// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/systemappearance.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStyle>
#include <QStyleFactory>

namespace Lectorin {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString kColorSchemeKey = QStringLiteral("color-scheme");

// The portal wraps the value in one or two variants depending on its version.
std::optional<uint> unwrapUInt(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = value.toUInt(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

bool isDarkPalette(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

SystemAppearance::SystemAppearance(QObject *parent)
    : QObject(parent)
    , m_platformStyle(QApplication::style() ? QApplication::style()->name() : QString())
    , m_platformPalette(QApplication::palette())
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage read = QDBusMessage::createMethodCall(
            kPortalService, kPortalPath, kSettingsInterface, QStringLiteral("Read"));
        read << kAppearanceGroup << kColorSchemeKey;
        const QDBusMessage reply = bus.call(read, QDBus::Block, 1000);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            if (const auto value = unwrapUInt(reply.arguments().constFirst()))
                m_portalPrefersDark = darkFromPortalValue(*value);
        }
        bus.connect(kPortalService, kPortalPath, kSettingsInterface, QStringLiteral("SettingChanged"), this,
            SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
    }
    m_lastDark = isDark();
}

std::optional<bool> SystemAppearance::darkFromPortalValue(uint value)
{
    if (value == 1)
        return true;
    if (value == 2)
        return false;
    return std::nullopt;
}

bool SystemAppearance::prefersDark() const
{
    return m_portalPrefersDark.value_or(isDarkPalette(m_platformPalette));
}

bool SystemAppearance::isDark() const
{
    switch (m_setting) {
    case AppearanceSetting::light:
        return false;
    case AppearanceSetting::dark:
        return true;
    case AppearanceSetting::system:
        break;
    }
    return prefersDark();
}

void SystemAppearance::apply(AppearanceSetting setting)
{
    m_setting = setting;
    restyle();
}

void SystemAppearance::setPortalPreference(std::optional<bool> prefersDark)
{
    m_portalPrefersDark = prefersDark;
    restyle();
}

void SystemAppearance::portalSettingChanged(
    const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group != kAppearanceGroup || key != kColorSchemeKey)
        return;
    const std::optional<uint> number = unwrapUInt(value.variant());
    setPortalPreference(number ? darkFromPortalValue(*number) : std::nullopt);
}

void SystemAppearance::restyle()
{
    const bool dark = isDark();
    const bool followsPlatform
        = m_setting == AppearanceSetting::system && dark == isDarkPalette(m_platformPalette);
    if (followsPlatform) {
        // The desktop's own style already has the preferred lightness: leave it as the desktop made it.
        if (!m_platformStyle.isEmpty() && QApplication::style()->name() != m_platformStyle)
            QApplication::setStyle(QStyleFactory::create(m_platformStyle));
        QApplication::setPalette(m_platformPalette);
    } else {
        if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(dark ? darkPalette() : lightPalette());
    }
    if (dark != m_lastDark) {
        m_lastDark = dark;
        emit darkChanged(dark);
    }
}

QPalette SystemAppearance::lightPalette()
{
    QPalette palette(QColor(0xef, 0xef, 0xef));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf6, 0xf6, 0xf6));
    palette.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::ButtonText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd0));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x1f, 0x5f, 0xbf));
    palette.setColor(QPalette::PlaceholderText, QColor(0x86, 0x86, 0x8b));
    return palette;
}

QPalette SystemAppearance::darkPalette()
{
    const QColor window(0x2b, 0x2b, 0x2e);
    const QColor text(0xe8, 0xe8, 0xea);
    QPalette palette(window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x29));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xe0));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x7a, 0xb0, 0xff));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4c));
    palette.setColor(QPalette::Midlight, QColor(0x3c, 0x3c, 0x40));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x33));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : { QPalette::Text, QPalette::WindowText, QPalette::ButtonText })
        palette.setColor(QPalette::Disabled, role, QColor(0x78, 0x78, 0x7c));
    return palette;
}

} // namespace Lectorin

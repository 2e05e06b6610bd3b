// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/colorschemestore.h"

#include "themes/themelibrary.h"

#include <QSettings>

namespace Lectorin {

namespace {

const QString kModeKey = QStringLiteral("themeMode");
const QString kSingleKey = QStringLiteral("themeSingle");
const QString kLightKey = QStringLiteral("themeLight");
const QString kDarkKey = QStringLiteral("themeDark");

QString storedName(const QSettings &settings, const QString &key)
{
    return settings.value(key, ThemeLibrary::kDefaultName).toString();
}

} // namespace

QString ColorSchemeStore::rawValue(ThemeMode mode)
{
    return mode == ThemeMode::perAppearance ? QStringLiteral("perAppearance") : QStringLiteral("single");
}

ColorSchemeStore::ThemeMode ColorSchemeStore::themeMode(const QString &rawValue)
{
    return rawValue == QLatin1String("perAppearance") ? ThemeMode::perAppearance : ThemeMode::single;
}

ColorSchemeStore::ColorSchemeStore(
    ThemeLibrary *library, QSettings *settings, DarkAppearanceTest isDarkAppearance, QObject *parent)
    : QObject(parent)
    , m_library(library)
    , m_settings(settings)
    , m_isDarkAppearance(std::move(isDarkAppearance))
    , m_mode(themeMode(settings->value(kModeKey).toString()))
    , m_singleName(storedName(*settings, kSingleKey))
    , m_lightName(storedName(*settings, kLightKey))
    , m_darkName(storedName(*settings, kDarkKey))
    , m_theme(library->theme(effectiveThemeName()))
{ }

ColorSchemeStore &ColorSchemeStore::shared()
{
    // Never destroyed, like the library it reads from.
    static ColorSchemeStore *store = [] {
        static QSettings settings(QStringLiteral("Lectorin"), QStringLiteral("Lectorin"));
        return new ColorSchemeStore(&ThemeLibrary::shared(), &settings);
    }();
    return *store;
}

void ColorSchemeStore::setMode(ThemeMode mode)
{
    if (mode != m_mode) {
        m_mode = mode;
        emit modeChanged(mode);
    }
    afterSetting();
}

void ColorSchemeStore::setSingleName(const QString &name)
{
    if (name != m_singleName) {
        m_singleName = name;
        emit singleNameChanged(name);
    }
    afterSetting();
}

void ColorSchemeStore::setLightName(const QString &name)
{
    if (name != m_lightName) {
        m_lightName = name;
        emit lightNameChanged(name);
    }
    afterSetting();
}

void ColorSchemeStore::setDarkName(const QString &name)
{
    if (name != m_darkName) {
        m_darkName = name;
        emit darkNameChanged(name);
    }
    afterSetting();
}

void ColorSchemeStore::afterSetting()
{
    persist();
    reload();
}

QString ColorSchemeStore::effectiveThemeName() const
{
    if (m_mode == ThemeMode::single)
        return m_singleName;
    return isDarkAppearance() ? m_darkName : m_lightName;
}

bool ColorSchemeStore::isDarkAppearance() const
{
    return m_isDarkAppearance && m_isDarkAppearance();
}

void ColorSchemeStore::setDarkAppearanceTest(DarkAppearanceTest isDarkAppearance)
{
    m_isDarkAppearance = std::move(isDarkAppearance);
    adoptEffectiveTheme();
}

void ColorSchemeStore::adoptEffectiveTheme()
{
    std::optional<TMTheme> theme = m_library->theme(effectiveThemeName());
    if (theme != m_theme) {
        m_theme = std::move(theme);
        emit themeChanged();
    }
}

void ColorSchemeStore::reload()
{
    adoptEffectiveTheme();
    ++m_generation;
    emit generationChanged(m_generation);
}

void ColorSchemeStore::persist()
{
    m_settings->setValue(kModeKey, rawValue(m_mode));
    m_settings->setValue(kSingleKey, m_singleName);
    m_settings->setValue(kLightKey, m_lightName);
    m_settings->setValue(kDarkKey, m_darkName);
}

void ColorSchemeStore::systemAppearanceChanged()
{
    reload();
}

} // namespace Lectorin

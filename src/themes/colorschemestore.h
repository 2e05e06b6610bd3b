// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "themes/tmtheme.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QSettings;

namespace Lectorin {

class ThemeLibrary;

// The user's choice of colour scheme (one for all appearances or one each for light and dark) and the theme
// that applies now. `generation` grows on every re-evaluation so views know when to reload their page.
class ColorSchemeStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ThemeMode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(QString singleName READ singleName WRITE setSingleName NOTIFY singleNameChanged)
    Q_PROPERTY(QString lightName READ lightName WRITE setLightName NOTIFY lightNameChanged)
    Q_PROPERTY(QString darkName READ darkName WRITE setDarkName NOTIFY darkNameChanged)
    Q_PROPERTY(qint64 generation READ generation NOTIFY generationChanged)

public:
    enum class ThemeMode
    {
        single,
        perAppearance
    };
    Q_ENUM(ThemeMode)

    // Whether the application shows the dark appearance now; supplied by the platform layer.
    using DarkAppearanceTest = std::function<bool()>;

    static QString rawValue(ThemeMode mode);
    // "perAppearance" gives perAppearance; any other text, single.
    static ThemeMode themeMode(const QString &rawValue);

    // Reads the four settings from `settings` (not owned) and takes the theme of the effective name from
    // `library` (not owned). Without a dark test the appearance counts as light.
    ColorSchemeStore(ThemeLibrary *library, QSettings *settings, DarkAppearanceTest isDarkAppearance = {},
        QObject *parent = nullptr);

    // The process's store over ThemeLibrary::shared() and the application's settings.
    static ColorSchemeStore &shared();

    ThemeMode mode() const { return m_mode; }
    QString singleName() const { return m_singleName; }
    QString lightName() const { return m_lightName; }
    QString darkName() const { return m_darkName; }
    // Each setter notifies only on change, then always persists and reloads.
    void setMode(ThemeMode mode);
    void setSingleName(const QString &name);
    void setLightName(const QString &name);
    void setDarkName(const QString &name);

    // Nothing for "Default", for a name the library does not list, or for an unreadable file.
    const std::optional<TMTheme> &theme() const { return m_theme; }
    qint64 generation() const { return m_generation; }
    QString effectiveThemeName() const;

    // Replaces the dark test, e.g. once the platform's appearance service is up; the theme follows at once.
    void setDarkAppearanceTest(DarkAppearanceTest isDarkAppearance);

    void reload();
    void persist();

public slots:
    // Connected to the platform's notification that the system switched between light and dark.
    void systemAppearanceChanged();

signals:
    void modeChanged(Lectorin::ColorSchemeStore::ThemeMode mode);
    void singleNameChanged(const QString &name);
    void lightNameChanged(const QString &name);
    void darkNameChanged(const QString &name);
    void themeChanged();
    void generationChanged(qint64 generation);

private:
    bool isDarkAppearance() const;
    void adoptEffectiveTheme();
    void afterSetting();

    ThemeLibrary *m_library;
    QSettings *m_settings;
    DarkAppearanceTest m_isDarkAppearance;
    ThemeMode m_mode = ThemeMode::single;
    QString m_singleName;
    QString m_lightName;
    QString m_darkName;
    std::optional<TMTheme> m_theme;
    qint64 m_generation = 0;
};

} // namespace Lectorin

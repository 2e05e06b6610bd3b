// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/colorschemestore.h"

#include "themes/themelibrary.h"

#include "themefixtures.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using ThemeMode = ColorSchemeStore::ThemeMode;

class ColorSchemeStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void freshSettings_defaultEverywhere();
    void storedSettings_areRead_data();
    void storedSettings_areRead();
    void settingSameValue_persistsAndBumpsGenerationOnly();
    void settingNewName_announcesNameAndTheme();
    void appearanceChange_swapsThemeOnlyPerAppearance();
    void forcedDarkAppearance_usesDarkName();
    void unlistedName_givesNoThemeButStaysStored();

private:
    std::unique_ptr<ColorSchemeStore> makeStore();

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<ThemeLibrary> m_library;
    std::unique_ptr<QSettings> m_settings;
    bool m_dark = false;
};

void ColorSchemeStoreTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void ColorSchemeStoreTest::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    const QString shipped = m_root->filePath("Themes");
    QVERIFY(QDir().mkpath(shipped));
    QVERIFY(ThemeFixtures::writeFile(
        shipped + "/Paper.tmTheme", ThemeFixtures::themeXml("Paper", "#fbf7ee", "#2b2620")));
    QVERIFY(ThemeFixtures::writeFile(
        shipped + "/Night.tmTheme", ThemeFixtures::themeXml("Night", "#15181e", "#d8dde6")));
    m_library = std::make_unique<ThemeLibrary>(shipped, m_root->filePath("user"));
    m_library->reload();
    m_settings = std::make_unique<QSettings>(m_root->filePath("settings.ini"), QSettings::IniFormat);
    m_dark = false;
}

std::unique_ptr<ColorSchemeStore> ColorSchemeStoreTest::makeStore()
{
    return std::make_unique<ColorSchemeStore>(m_library.get(), m_settings.get(), [this] { return m_dark; });
}

void ColorSchemeStoreTest::freshSettings_defaultEverywhere()
{
    const auto store = makeStore();
    QCOMPARE(store->mode(), ThemeMode::single);
    QCOMPARE(store->singleName(), QStringLiteral("Default"));
    QCOMPARE(store->lightName(), QStringLiteral("Default"));
    QCOMPARE(store->darkName(), QStringLiteral("Default"));
    QVERIFY(!store->theme());
    QCOMPARE(store->generation(), 0);
    // Nothing is written before a setting is set.
    QVERIFY(m_settings->allKeys().isEmpty());
}

void ColorSchemeStoreTest::storedSettings_areRead_data()
{
    QTest::addColumn<QString>("storedMode");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<ThemeMode>("mode");
    QTest::addColumn<QString>("themeName");

    QTest::newRow("single") << "single" << true << ThemeMode::single << "Paper";
    QTest::newRow("per appearance, light") << "perAppearance" << false << ThemeMode::perAppearance << "Paper";
    QTest::newRow("per appearance, dark") << "perAppearance" << true << ThemeMode::perAppearance << "Night";
    QTest::newRow("wrong case reads as single") << "PerAppearance" << true << ThemeMode::single << "Paper";
    QTest::newRow("unknown reads as single") << "sometimes" << true << ThemeMode::single << "Paper";
}

void ColorSchemeStoreTest::storedSettings_areRead()
{
    QFETCH(QString, storedMode);
    QFETCH(bool, dark);
    QFETCH(ThemeMode, mode);
    QFETCH(QString, themeName);
    m_settings->setValue("themeMode", storedMode);
    m_settings->setValue("themeSingle", "Paper");
    m_settings->setValue("themeLight", "Paper");
    m_settings->setValue("themeDark", "Night");
    m_dark = dark;

    const auto store = makeStore();
    QCOMPARE(store->mode(), mode);
    QCOMPARE(store->effectiveThemeName(), themeName);
    QVERIFY(store->theme());
    QCOMPARE(store->theme()->name, themeName);
    QCOMPARE(store->generation(), 0);
}

void ColorSchemeStoreTest::settingSameValue_persistsAndBumpsGenerationOnly()
{
    const auto store = makeStore();
    QSignalSpy lightChanged(store.get(), &ColorSchemeStore::lightNameChanged);
    QSignalSpy themeChanged(store.get(), &ColorSchemeStore::themeChanged);
    QSignalSpy generationChanged(store.get(), &ColorSchemeStore::generationChanged);

    store->setLightName("Default");
    QCOMPARE(lightChanged.count(), 0);
    QCOMPARE(themeChanged.count(), 0);
    QCOMPARE(generationChanged.count(), 1);
    QCOMPARE(store->generation(), 1);
    QCOMPARE(m_settings->value("themeMode").toString(), QStringLiteral("single"));
    QCOMPARE(m_settings->value("themeSingle").toString(), QStringLiteral("Default"));
    QCOMPARE(m_settings->value("themeLight").toString(), QStringLiteral("Default"));
    QCOMPARE(m_settings->value("themeDark").toString(), QStringLiteral("Default"));

    store->setMode(ThemeMode::single);
    store->reload();
    QCOMPARE(store->generation(), 3);
    QCOMPARE(themeChanged.count(), 0);
}

void ColorSchemeStoreTest::settingNewName_announcesNameAndTheme()
{
    const auto store = makeStore();
    QSignalSpy singleChanged(store.get(), &ColorSchemeStore::singleNameChanged);
    QSignalSpy themeChanged(store.get(), &ColorSchemeStore::themeChanged);

    store->setSingleName("Paper");
    QCOMPARE(singleChanged.count(), 1);
    QCOMPARE(singleChanged.at(0).at(0).toString(), QStringLiteral("Paper"));
    QCOMPARE(themeChanged.count(), 1);
    QCOMPARE(store->theme()->name, QStringLiteral("Paper"));
    QCOMPARE(m_settings->value("themeSingle").toString(), QStringLiteral("Paper"));

    // Choosing a name in the other mode's slot changes nothing that is shown.
    store->setDarkName("Night");
    QCOMPARE(themeChanged.count(), 1);
    QCOMPARE(store->generation(), 2);

    store->setSingleName("Default");
    QCOMPARE(themeChanged.count(), 2);
    QVERIFY(!store->theme());
}

void ColorSchemeStoreTest::appearanceChange_swapsThemeOnlyPerAppearance()
{
    const auto store = makeStore();
    store->setSingleName("Paper");
    store->setLightName("Paper");
    store->setDarkName("Night");
    QSignalSpy themeChanged(store.get(), &ColorSchemeStore::themeChanged);
    const qint64 generation = store->generation();

    m_dark = true;
    store->systemAppearanceChanged();
    QCOMPARE(store->theme()->name, QStringLiteral("Paper"));
    QCOMPARE(themeChanged.count(), 0);
    QCOMPARE(store->generation(), generation + 1);

    store->setMode(ThemeMode::perAppearance);
    QCOMPARE(store->theme()->name, QStringLiteral("Night"));
    QCOMPARE(themeChanged.count(), 1);

    m_dark = false;
    store->systemAppearanceChanged();
    QCOMPARE(store->theme()->name, QStringLiteral("Paper"));
    QCOMPARE(themeChanged.count(), 2);
    QCOMPARE(store->generation(), generation + 3);
}

void ColorSchemeStoreTest::forcedDarkAppearance_usesDarkName()
{
    m_settings->setValue("themeMode", "perAppearance");
    m_settings->setValue("themeLight", "Paper");
    m_settings->setValue("themeDark", "Night");
    const auto store = makeStore();
    QCOMPARE(store->theme()->name, QStringLiteral("Paper"));

    // The platform swaps in the application's forced appearance; the theme follows at once, so the first
    // page renders with it.
    QSignalSpy themeChanges(store.get(), &ColorSchemeStore::themeChanged);
    store->setDarkAppearanceTest([] { return true; });
    QCOMPARE(themeChanges.size(), 1);
    QCOMPARE(store->effectiveThemeName(), QStringLiteral("Night"));
    QCOMPARE(store->theme()->name, QStringLiteral("Night"));

    // Without any test the appearance counts as light.
    const ColorSchemeStore untested(m_library.get(), m_settings.get());
    QCOMPARE(untested.effectiveThemeName(), QStringLiteral("Paper"));
}

void ColorSchemeStoreTest::unlistedName_givesNoThemeButStaysStored()
{
    m_settings->setValue("themeSingle", "Removed Theme");
    const auto store = makeStore();
    QVERIFY(!store->theme());
    QCOMPARE(store->singleName(), QStringLiteral("Removed Theme"));
    store->reload();
    QCOMPARE(m_settings->value("themeSingle").toString(), QStringLiteral("Removed Theme"));
}

QTEST_GUILESS_MAIN(ColorSchemeStoreTest)
#include "tst_colorschemestore.moc"

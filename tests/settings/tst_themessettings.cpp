// SPDX-License-Identifier: GPL-3.0-or-later
#include "../themes/themefixtures.h"
#include "settingsfixture.h"

#include "settings/themepreview.h"
#include "settings/themessettingsview.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace Lectorin;
using ThemeMode = ColorSchemeStore::ThemeMode;

namespace {

struct Alert
{
    QString message;
    QString informative;
};

QByteArray solarTheme()
{
    return ThemeFixtures::themeXml(
        QStringLiteral("Solar"), QStringLiteral("#002B36"), QStringLiteral("#839496"));
}

} // namespace

class ThemesSettingsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void list_showsTheLibraryAndSyncsToTheStore();
    void listSelection_setsSingleNameOnlyInSingleMode();
    void import_selectsTheNewTheme();
    void import_cancelled_doesNothing();
    void import_brokenFile_showsTheAlert();
    void removeButton_isEnabledOnlyForUserThemes();
    void remove_resetsTheNamesThatUsedIt_data();
    void remove_resetsTheNamesThatUsedIt();
    void modeRadios_andPickers_writeTheStore();
    void preview_followsTheSelection();

private:
    std::unique_ptr<ThemesSettingsView> makeView();
    void importFixture(const QString &fileName, const QByteArray &contents);
    void addShippedPaper();

    std::unique_ptr<SettingsFixture> m_fixture;
    QString m_chosenFile;
    QList<Alert> m_alerts;
};

void ThemesSettingsTest::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    m_chosenFile.clear();
    m_alerts.clear();
}

void ThemesSettingsTest::cleanup()
{
    m_fixture.reset();
}

std::unique_ptr<ThemesSettingsView> ThemesSettingsTest::makeView()
{
    return std::make_unique<ThemesSettingsView>(
        *m_fixture->library, *m_fixture->store, nullptr, [this](QWidget *) { return m_chosenFile; },
        [this](QWidget *, const QString &message, const QString &informative) {
            m_alerts.append({ message, informative });
        });
}

// Writes a theme file of the test's own for the "plus" button to pick.
void ThemesSettingsTest::importFixture(const QString &fileName, const QByteArray &contents)
{
    m_chosenFile = m_fixture->inputs.filePath(fileName);
    QVERIFY(ThemeFixtures::writeFile(m_chosenFile, contents));
}

void ThemesSettingsTest::addShippedPaper()
{
    QVERIFY(ThemeFixtures::writeFile(m_fixture->shippedThemes.filePath(QStringLiteral("Paper.tmTheme")),
        ThemeFixtures::themeXml(
            QStringLiteral("Paper"), QStringLiteral("#FFFFFF"), QStringLiteral("#111111"))));
    m_fixture->library->reload();
}

void ThemesSettingsTest::list_showsTheLibraryAndSyncsToTheStore()
{
    addShippedPaper();
    m_fixture->store->setSingleName(QStringLiteral("Paper"));

    auto view = makeView();
    QCOMPARE(view->themeList()->count(), 2);
    QCOMPARE(view->themeList()->item(0)->text(), QStringLiteral("Default"));
    QCOMPARE(view->selection(), QStringLiteral("Paper"));

    // In per-appearance mode the list follows the name that applies now.
    m_fixture->store->setLightName(QStringLiteral("Default"));
    m_fixture->store->setDarkName(QStringLiteral("Paper"));
    m_fixture->dark = false;
    m_fixture->store->setMode(ThemeMode::perAppearance);
    QCOMPARE(view->selection(), QStringLiteral("Default"));
}

void ThemesSettingsTest::listSelection_setsSingleNameOnlyInSingleMode()
{
    importFixture(QStringLiteral("Solar.tmTheme"), solarTheme());
    auto view = makeView();
    view->importButton()->click();
    QCOMPARE(m_fixture->store->singleName(), QStringLiteral("Solar"));

    view->setSelection(QStringLiteral("Default"));
    QCOMPARE(m_fixture->store->singleName(), QStringLiteral("Default"));

    m_fixture->store->setMode(ThemeMode::perAppearance);
    view->setSelection(QStringLiteral("Solar"));
    QCOMPARE(m_fixture->store->singleName(), QStringLiteral("Default"));
    QCOMPARE(m_fixture->settings->value(QStringLiteral("themeSingle")).toString(), QStringLiteral("Default"));
}

void ThemesSettingsTest::import_selectsTheNewTheme()
{
    auto view = makeView();
    importFixture(QStringLiteral("Solar.tmTheme"), solarTheme());
    view->importButton()->click();
    QVERIFY(m_alerts.isEmpty());
    QCOMPARE(view->selection(), QStringLiteral("Solar"));
    QCOMPARE(m_fixture->settings->value(QStringLiteral("themeSingle")).toString(), QStringLiteral("Solar"));
    QVERIFY(QFile::exists(m_fixture->userThemes + QStringLiteral("/Solar.tmTheme")));
    QCOMPARE(m_fixture->store->theme()->name, QStringLiteral("Solar"));

    // The same file again becomes a second entry.
    view->importButton()->click();
    QCOMPARE(view->selection(), QStringLiteral("Solar 2"));
    QCOMPARE(view->themeList()->count(), 3);
}

void ThemesSettingsTest::import_cancelled_doesNothing()
{
    auto view = makeView();
    view->importButton()->click();
    QVERIFY(m_alerts.isEmpty());
    QCOMPARE(view->themeList()->count(), 1);
    QVERIFY(!m_fixture->settings->contains(QStringLiteral("themeSingle")));
}

void ThemesSettingsTest::import_brokenFile_showsTheAlert()
{
    auto view = makeView();
    importFixture(QStringLiteral("Solar.xml"), QByteArrayLiteral("<plist><dict><key>settings"));
    view->importButton()->click();
    QCOMPARE(m_alerts.size(), 1);
    QCOMPARE(m_alerts.first().message, QStringLiteral("Couldn\u2019t import colour scheme"));
    QCOMPARE(m_alerts.first().informative,
        QStringLiteral("\u201cSolar.xml\u201d isn\u2019t a readable .tmTheme file."));
    QCOMPARE(view->themeList()->count(), 1);
    QVERIFY(QDir(m_fixture->userThemes).isEmpty());
    QCOMPARE(view->selection(), QStringLiteral("Default"));
}

void ThemesSettingsTest::removeButton_isEnabledOnlyForUserThemes()
{
    addShippedPaper();
    auto view = makeView();
    importFixture(QStringLiteral("Solar.tmTheme"), solarTheme());
    view->importButton()->click();
    QVERIFY(view->removeButton()->isEnabled());

    view->setSelection(QStringLiteral("Default"));
    QVERIFY(!view->removeButton()->isEnabled());
    view->setSelection(QStringLiteral("Paper"));
    QVERIFY(!view->removeButton()->isEnabled());
    view->removeSelectedTheme(); // ignored for a shipped theme
    QCOMPARE(view->themeList()->count(), 3);
}

void ThemesSettingsTest::remove_resetsTheNamesThatUsedIt_data()
{
    QTest::addColumn<bool>("asSingle");
    QTest::addColumn<bool>("asLight");
    QTest::addColumn<bool>("asDark");
    QTest::newRow("single theme") << true << false << false;
    QTest::newRow("dark only") << false << false << true;
    QTest::newRow("light and dark") << false << true << true;
}

void ThemesSettingsTest::remove_resetsTheNamesThatUsedIt()
{
    QFETCH(bool, asSingle);
    QFETCH(bool, asLight);
    QFETCH(bool, asDark);

    importFixture(QStringLiteral("Solar.tmTheme"), solarTheme());
    importFixture(QStringLiteral("Night.tmTheme"),
        ThemeFixtures::themeXml(
            QStringLiteral("Night"), QStringLiteral("#000000"), QStringLiteral("#EEEEEE")));
    QVERIFY(m_fixture->library->importTheme(m_fixture->inputs.filePath(QStringLiteral("Solar.tmTheme"))));
    QVERIFY(m_fixture->library->importTheme(m_fixture->inputs.filePath(QStringLiteral("Night.tmTheme"))));
    const auto pick = [](bool used) { return used ? QStringLiteral("Solar") : QStringLiteral("Night"); };
    m_fixture->store->setSingleName(pick(asSingle));
    m_fixture->store->setLightName(pick(asLight));
    m_fixture->store->setDarkName(pick(asDark));

    auto view = makeView();
    m_fixture->store->setMode(ThemeMode::perAppearance);
    view->setSelection(QStringLiteral("Solar"));
    QVERIFY(view->removeButton()->isEnabled());
    view->removeButton()->click();

    QVERIFY(!QFile::exists(m_fixture->userThemes + QStringLiteral("/Solar.tmTheme")));
    QCOMPARE(view->themeList()->findItems(QStringLiteral("Solar"), Qt::MatchExactly).size(), 0);
    const auto expected
        = [](bool used) { return used ? QStringLiteral("Default") : QStringLiteral("Night"); };
    QCOMPARE(m_fixture->store->singleName(), expected(asSingle));
    QCOMPARE(m_fixture->store->lightName(), expected(asLight));
    QCOMPARE(m_fixture->store->darkName(), expected(asDark));
    QCOMPARE(m_fixture->settings->value(QStringLiteral("themeDark")).toString(), expected(asDark));
    QCOMPARE(view->selection(), QStringLiteral("Default"));
    QCOMPARE(view->darkPicker()->currentText(), expected(asDark));
    QCOMPARE(view->darkPicker()->count(), 2);
}

void ThemesSettingsTest::modeRadios_andPickers_writeTheStore()
{
    importFixture(QStringLiteral("Solar.tmTheme"), solarTheme());
    QVERIFY(m_fixture->library->importTheme(m_chosenFile));
    auto view = makeView();
    view->show();
    QVERIFY(view->singleModeButton()->isChecked());
    QVERIFY(!view->appearancePickers()->isVisible());

    view->perAppearanceModeButton()->click();
    QCOMPARE(m_fixture->store->mode(), ThemeMode::perAppearance);
    QCOMPARE(
        m_fixture->settings->value(QStringLiteral("themeMode")).toString(), QStringLiteral("perAppearance"));
    QVERIFY(view->appearancePickers()->isVisible());
    QCOMPARE(view->lightPicker()->width(), 260);

    QComboBox *dark = view->darkPicker();
    QCOMPARE(dark->currentText(), QStringLiteral("Default"));
    dark->setCurrentIndex(dark->findText(QStringLiteral("Solar")));
    emit dark->activated(dark->currentIndex());
    QCOMPARE(m_fixture->store->darkName(), QStringLiteral("Solar"));
    QCOMPARE(m_fixture->settings->value(QStringLiteral("themeDark")).toString(), QStringLiteral("Solar"));
    QCOMPARE(m_fixture->settings->value(QStringLiteral("themeLight")).toString(), QStringLiteral("Default"));

    // A dark appearance makes the list follow the dark choice when the mode is switched.
    m_fixture->dark = true;
    view->singleModeButton()->click();
    view->perAppearanceModeButton()->click();
    QCOMPARE(view->selection(), QStringLiteral("Solar"));

    view->singleModeButton()->click();
    QCOMPARE(m_fixture->store->mode(), ThemeMode::single);
    QVERIFY(!view->appearancePickers()->isVisible());
    QCOMPARE(view->selection(), QStringLiteral("Default"));
}

void ThemesSettingsTest::preview_followsTheSelection()
{
    auto view = makeView();
    QCOMPARE(view->preview()->theme(), ThemePreview::systemColourTheme(view->palette()));
    importFixture(QStringLiteral("Solar.tmTheme"), solarTheme());
    view->importButton()->click();
    QCOMPARE(view->preview()->theme().name, QStringLiteral("Solar"));
    QCOMPARE(ThemePreview::toColor(view->preview()->theme().background), QColor(0x00, 0x2B, 0x36));

    // The system-colour theme is made afresh from the palette it is given.
    QPalette darkPalette = view->palette();
    darkPalette.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    darkPalette.setColor(QPalette::Text, QColor(0xF0, 0xF0, 0xF0));
    view->setSelection(QStringLiteral("Default"));
    view->setPalette(darkPalette);
    QCOMPARE(ThemePreview::toColor(view->preview()->theme().background), QColor(0x20, 0x20, 0x20));
}

QTEST_MAIN(ThemesSettingsTest)
#include "tst_themessettings.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsfixture.h"

#include "catalogue/appmodel.h"
#include "settings/generalsettingspane.h"
#include "settings/settingswindowcontroller.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace Lectorin;

class SettingsWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void window_isMadeOnceAndReused();
    void showSettings_tab_switchesPageAndToolbar();
    void selectTab_mapsIdentifiers_data();
    void selectTab_mapsIdentifiers();
    void historyField_clampsOnSubmit_data();
    void historyField_clampsOnSubmit();
    void historyStepper_movesByFiveWithinRange();
    void leavingThePage_clampsTheStoredLimit();
    void appearance_appliesThenReloadsTheStore();
    void translatedPages_boxFollowsTheLocaleAndStoresItsKey();

private:
    std::unique_ptr<SettingsWindowController> makeController(AppModel *app = nullptr);
    QAction *tabAction(SettingsWindowController &controller, const QString &identifier);

    std::unique_ptr<SettingsFixture> m_fixture;
    QList<AppearanceSetting> m_applied;
    QList<qint64> m_generationsWhenApplied; // the store reloads only after the appearance is applied
};

void SettingsWindowTest::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    m_applied.clear();
    m_generationsWhenApplied.clear();
}

void SettingsWindowTest::cleanup()
{
    m_fixture.reset();
}

std::unique_ptr<SettingsWindowController> SettingsWindowTest::makeController(AppModel *app)
{
    SettingsWindowController::Dependencies dependencies;
    dependencies.app = app;
    dependencies.settings = m_fixture->settings.get();
    dependencies.library = m_fixture->library.get();
    dependencies.store = m_fixture->store.get();
    dependencies.checker = &m_fixture->checker;
    dependencies.applyAppearance = [this](AppearanceSetting setting) {
        m_applied.append(setting);
        m_generationsWhenApplied.append(m_fixture->store->generation());
    };
    dependencies.linkHandlers = m_fixture->linkBackend();
    return std::make_unique<SettingsWindowController>(dependencies);
}

QAction *SettingsWindowTest::tabAction(SettingsWindowController &controller, const QString &identifier)
{
    return controller.toolbar()->findChild<QAction *>(identifier);
}

void SettingsWindowTest::window_isMadeOnceAndReused()
{
    auto controller = makeController();
    QVERIFY(!controller->window());
    controller->showSettings();
    QWidget *window = controller->window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(window->size(), QSize(720, 560));

    controller->showSettings(SettingsTab::themes);
    window->close();
    QVERIFY(!window->isVisible());
    controller->showSettings();
    QCOMPARE(controller->window(), window);
    QVERIFY(window->isVisible());
    // Closing only hid it: it comes back on the page it last showed.
    QCOMPARE(controller->selection().tab(), SettingsTab::themes);
}

void SettingsWindowTest::showSettings_tab_switchesPageAndToolbar()
{
    auto controller = makeController();
    QSignalSpy changes(&controller->selection(), &SettingsSelection::tabChanged);
    controller->showSettings(SettingsTab::general);
    QCOMPARE(changes.size(), 0);
    QVERIFY(tabAction(*controller, QStringLiteral("general"))->isChecked());
    QVERIFY(controller->generalPane()->isVisible());

    controller->showSettings(SettingsTab::themes);
    QCOMPARE(changes.size(), 1);
    QVERIFY(tabAction(*controller, QStringLiteral("themes"))->isChecked());
    QVERIFY(!tabAction(*controller, QStringLiteral("general"))->isChecked());
    QVERIFY(controller->themesView()->isVisible());
    QVERIFY(!controller->generalPane()->isVisible());

    tabAction(*controller, QStringLiteral("general"))->trigger();
    QCOMPARE(controller->selection().tab(), SettingsTab::general);
    QVERIFY(controller->generalPane()->isVisible());
}

void SettingsWindowTest::selectTab_mapsIdentifiers_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<SettingsTab>("expected");
    QTest::newRow("general") << QStringLiteral("general") << SettingsTab::general;
    QTest::newRow("themes") << QStringLiteral("themes") << SettingsTab::themes;
    QTest::newRow("unknown") << QStringLiteral("advanced") << SettingsTab::general;
    QTest::newRow("wrong case") << QStringLiteral("Themes") << SettingsTab::general;
}

void SettingsWindowTest::selectTab_mapsIdentifiers()
{
    QFETCH(QString, identifier);
    QFETCH(SettingsTab, expected);

    auto controller = makeController();
    controller->showSettings(SettingsTab::themes);
    controller->selectTab(identifier);
    QCOMPARE(controller->selection().tab(), expected);
    QVERIFY(tabAction(*controller, settingsTabIdentifier(expected))->isChecked());
}

void SettingsWindowTest::historyField_clampsOnSubmit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("below the range") << QStringLiteral("3") << 5;
    QTest::newRow("above the range") << QStringLiteral("250") << 100;
    QTest::newRow("within") << QStringLiteral("42") << 42;
    QTest::newRow("huge") << QStringLiteral("999999999") << 100;
}

void SettingsWindowTest::historyField_clampsOnSubmit()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);

    auto controller = makeController();
    controller->showSettings();
    QLineEdit *field = controller->generalPane()->historyField();
    QCOMPARE(field->text(), QStringLiteral("30"));
    QSignalSpy limits(controller.get(), &SettingsWindowController::historyLimitChanged);

    field->selectAll();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), stored);
    QCOMPARE(field->text(), QString::number(stored));
    QCOMPARE(limits.size(), 1);
    QCOMPARE(limits.first().first().toInt(), stored);
}

void SettingsWindowTest::historyStepper_movesByFiveWithinRange()
{
    m_fixture->settings->setValue(QStringLiteral("historyLimit"), 42);
    auto controller = makeController();
    controller->showSettings();
    GeneralSettingsPane *pane = controller->generalPane();

    pane->historyStepUp()->click();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), 47);
    QCOMPARE(pane->historyField()->text(), QStringLiteral("47"));
    pane->historyStepDown()->click();
    pane->historyStepDown()->click();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), 37);

    m_fixture->settings->setValue(QStringLiteral("historyLimit"), 98);
    pane->historyStepUp()->click();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), 100);
    m_fixture->settings->setValue(QStringLiteral("historyLimit"), 7);
    pane->historyStepDown()->click();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), 5);
}

void SettingsWindowTest::leavingThePage_clampsTheStoredLimit()
{
    auto controller = makeController();
    controller->showSettings();
    // Written behind the pane's back, say by hand.
    m_fixture->settings->setValue(QStringLiteral("historyLimit"), 3);
    controller->showSettings(SettingsTab::themes);
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), 5);

    controller->showSettings(SettingsTab::general);
    m_fixture->settings->setValue(QStringLiteral("historyLimit"), 500);
    controller->window()->close();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("historyLimit")).toInt(), 100);

    // A value in range is left as it is, and a missing one stays missing.
    m_fixture->settings->remove(QStringLiteral("historyLimit"));
    controller->showSettings();
    controller->window()->close();
    QVERIFY(!m_fixture->settings->contains(QStringLiteral("historyLimit")));
}

void SettingsWindowTest::appearance_appliesThenReloadsTheStore()
{
    auto controller = makeController();
    controller->showSettings();
    GeneralSettingsPane *pane = controller->generalPane();
    QVERIFY(pane->appearanceButton(AppearanceSetting::system)->isChecked());
    QSignalSpy generations(m_fixture->store.get(), &ColorSchemeStore::generationChanged);

    pane->appearanceButton(AppearanceSetting::dark)->click();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("appearance")).toString(), QStringLiteral("dark"));
    QCOMPARE(m_applied, QList { AppearanceSetting::dark });
    QCOMPARE(generations.size(), 1);
    QVERIFY(pane->appearanceButton(AppearanceSetting::dark)->isChecked());

    pane->appearanceButton(AppearanceSetting::dark)->click();
    QCOMPARE(m_applied.size(), 1);

    pane->appearanceButton(AppearanceSetting::system)->click();
    QCOMPARE(m_fixture->settings->value(QStringLiteral("appearance")).toString(), QStringLiteral("system"));
    QCOMPARE(m_applied, (QList { AppearanceSetting::dark, AppearanceSetting::system }));
    QCOMPARE(generations.size(), 2);
    QCOMPARE(m_generationsWhenApplied, (QList<qint64> { 0, 1 }));
}

void SettingsWindowTest::translatedPages_boxFollowsTheLocaleAndStoresItsKey()
{
    const auto model = [this](QStringList languages) {
        return std::make_unique<AppModel>(m_fixture->settings.get(),
            AppModel::Discovery { [] { return QStringList(); }, [] { return QStringList(); }, QString(),
                std::move(languages) });
    };
    const auto german = model({ "de_DE.UTF-8" });
    auto controller = makeController(german.get());
    controller->showSettings();
    QCheckBox *box = controller->generalPane()->translatedPagesBox();
    QVERIFY(box && box->isEnabled() && box->isChecked());
    QCOMPARE(box->text(), QStringLiteral("Show translated pages when available"));

    box->click();
    QVERIFY(!german->showsTranslatedPages());
    QCOMPARE(m_fixture->settings->value(QStringLiteral("showTranslatedPages")).toBool(), false);
    box->click();
    QVERIFY(german->showsTranslatedPages());

    // A locale with no translations has nothing to switch.
    const auto plain = model({});
    auto plainController = makeController(plain.get());
    plainController->showSettings();
    QVERIFY(!plainController->generalPane()->translatedPagesBox()->isEnabled());
    QVERIFY(!plainController->generalPane()->translatedPagesBox()->isChecked());
    auto withoutModel = makeController();
    withoutModel->showSettings();
    QVERIFY(!withoutModel->generalPane()->translatedPagesBox());
}

QTEST_MAIN(SettingsWindowTest)
#include "tst_settingswindow.moc"

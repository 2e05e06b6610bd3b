// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/generalsettingspane.h"
#include "settings/manpagelinkhandler.h"
#include "settings/settingsselection.h"
#include "settings/themessettingsview.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QActionGroup;
class QSettings;
class QStackedWidget;
class QToolBar;

namespace Skeppa {
class UpdateChecker;
}

namespace Lectorin {

class ColorSchemeStore;
class ThemeLibrary;

// Runs the one settings window: made on the first request, then only shown and hidden again, keeping the
// page it last showed.
class SettingsWindowController : public QObject
{
    Q_OBJECT

public:
    // Null pointers stand for the process's shared objects and the application's settings.
    struct Dependencies
    {
        QSettings *settings = nullptr;
        ThemeLibrary *library = nullptr;
        ColorSchemeStore *store = nullptr;
        Skeppa::UpdateChecker *checker = nullptr;
        GeneralSettingsPane::AppearanceApplier applyAppearance;
        ManPageLinkHandler::Backend linkHandlers = ManPageLinkHandler::Backend::desktop();
        // Null: the pane offers no page language choice.
        AppModel *app = nullptr;
        ThemesSettingsView::FileChooser chooseThemeFile;
        ThemesSettingsView::AlertPresenter presentAlert;
    };

    static constexpr QSize kWindowSize { 720, 560 };

    // Over the shared objects and the application's settings.
    explicit SettingsWindowController(QObject *parent = nullptr);
    explicit SettingsWindowController(Dependencies dependencies, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Shows the window (making it on the first call), raised and active.
    void showSettings();
    void showSettings(SettingsTab tab);
    // The toolbar's action: an unknown identifier selects General.
    void selectTab(const QString &identifier);

    SettingsSelection &selection() { return m_selection; }
    // Null until the first showSettings().
    QWidget *window() const { return m_window.get(); }
    GeneralSettingsPane *generalPane() const { return m_general; }
    ThemesSettingsView *themesView() const { return m_themes; }
    QToolBar *toolbar() const { return m_toolbar; }

Q_SIGNALS:
    // The sidebar shows this many history rows now.
    void historyLimitChanged(int limit);

private:
    void createWindow();
    void showTab(SettingsTab tab);

    Dependencies m_dependencies;
    std::unique_ptr<QSettings> m_applicationSettings;
    SettingsSelection m_selection;
    std::unique_ptr<QWidget> m_window;
    QToolBar *m_toolbar = nullptr;
    QActionGroup *m_tabActions = nullptr;
    QStackedWidget *m_pages = nullptr;
    GeneralSettingsPane *m_general = nullptr;
    ThemesSettingsView *m_themes = nullptr;
};

} // namespace Lectorin

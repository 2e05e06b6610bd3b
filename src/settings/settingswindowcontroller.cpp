// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settingswindowcontroller.h"

#include "platform/windowactivation.h"
#include "skeppa/updatechecker.h"
#include "themes/colorschemestore.h"
#include "themes/themelibrary.h"

#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace Lectorin {
namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("Settings", text);
}

QIcon tabIcon(SettingsTab tab, const QStyle *style)
{
    if (tab == SettingsTab::themes)
        return QIcon::fromTheme(QStringLiteral("preferences-desktop-theme"),
            QIcon::fromTheme(QStringLiteral("applications-graphics"),
                style->standardIcon(QStyle::SP_FileDialogContentsView)));
    return QIcon::fromTheme(
        QStringLiteral("preferences-system"), style->standardIcon(QStyle::SP_FileDialogDetailedView));
}

} // namespace

SettingsWindowController::SettingsWindowController(QObject *parent)
    : SettingsWindowController(Dependencies(), parent)
{ }

SettingsWindowController::SettingsWindowController(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , m_dependencies(std::move(dependencies))
{
    if (!m_dependencies.settings) {
        m_applicationSettings
            = std::make_unique<QSettings>(QStringLiteral("Lectorin"), QStringLiteral("Lectorin"));
        m_dependencies.settings = m_applicationSettings.get();
    }
    if (!m_dependencies.library)
        m_dependencies.library = &ThemeLibrary::shared();
    if (!m_dependencies.store)
        m_dependencies.store = &ColorSchemeStore::shared();
    if (!m_dependencies.checker)
        m_dependencies.checker = &Skeppa::UpdateChecker::shared();
    connect(&m_selection, &SettingsSelection::tabChanged, this, &SettingsWindowController::showTab);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::showSettings()
{
    if (!m_window)
        createWindow();
    WindowActivation::bringToFront(m_window.get());
}

void SettingsWindowController::showSettings(SettingsTab tab)
{
    showSettings();
    m_selection.setTab(tab);
    showTab(tab);
}

void SettingsWindowController::selectTab(const QString &identifier)
{
    const SettingsTab tab = settingsTabFromIdentifier(identifier);
    showTab(tab);
    m_selection.setTab(tab);
}

void SettingsWindowController::createWindow()
{
    m_window
        = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_window->setObjectName(QStringLiteral("SettingsWindow"));
    m_window->setWindowTitle(translated("Settings"));
    m_window->setFixedSize(kWindowSize);
    auto *layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolbar = new QToolBar;
    m_toolbar->setObjectName(QStringLiteral("SettingsToolbar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    m_tabActions = new QActionGroup(m_toolbar);
    m_tabActions->setExclusive(true);
    for (const SettingsTab tab : { SettingsTab::general, SettingsTab::themes }) {
        const QString identifier = settingsTabIdentifier(tab);
        QAction *action = m_toolbar->addAction(tabIcon(tab, m_window->style()),
            tab == SettingsTab::themes ? translated("Themes") : translated("General"));
        action->setObjectName(identifier);
        action->setData(identifier);
        action->setCheckable(true);
        m_tabActions->addAction(action);
        connect(action, &QAction::triggered, this, [this, identifier] { selectTab(identifier); });
    }
    layout->addWidget(m_toolbar);

    m_general
        = new GeneralSettingsPane({ m_dependencies.settings, m_dependencies.store, m_dependencies.checker,
            m_dependencies.applyAppearance, m_dependencies.linkHandlers, m_dependencies.app });
    connect(m_general, &GeneralSettingsPane::historyLimitChanged, this,
        &SettingsWindowController::historyLimitChanged);
    auto *generalScroller = new QScrollArea;
    generalScroller->setFrameShape(QFrame::NoFrame);
    generalScroller->setWidgetResizable(true);
    generalScroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    generalScroller->setWidget(m_general);

    m_themes = new ThemesSettingsView(*m_dependencies.library, *m_dependencies.store, nullptr,
        m_dependencies.chooseThemeFile, m_dependencies.presentAlert);

    m_pages = new QStackedWidget;
    m_pages->addWidget(generalScroller);
    m_pages->addWidget(m_themes);
    layout->addWidget(m_pages, 1);
    showTab(m_selection.tab());

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), kWindowSize);
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

void SettingsWindowController::showTab(SettingsTab tab)
{
    if (!m_window)
        return;
    m_pages->setCurrentIndex(tab == SettingsTab::themes ? 1 : 0);
    for (QAction *action : m_tabActions->actions())
        action->setChecked(action->data().toString() == settingsTabIdentifier(tab));
}

} // namespace Lectorin

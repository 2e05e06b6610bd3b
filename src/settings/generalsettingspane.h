// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/appearancesetting.h"
#include "settings/manpagelinkhandler.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QButtonGroup;
class QLineEdit;
class QSettings;

namespace Skeppa {
class UpdateChecker;
}

namespace Lectorin {

class AppModel;
class ColorSchemeStore;
class ManPageLinkHandlerSection;

// The General settings page: appearance, how many history rows the sidebar keeps, the handler of man page
// links and update checking. It keeps nothing of its own: every control reads and writes the settings.
class GeneralSettingsPane : public QWidget
{
    Q_OBJECT

public:
    // Makes the application take an appearance; the platform layer provides it.
    using AppearanceApplier = std::function<void(AppearanceSetting)>;

    struct Dependencies
    {
        QSettings *settings = nullptr; // not owned
        ColorSchemeStore *store = nullptr; // not owned
        Skeppa::UpdateChecker *checker = nullptr; // not owned
        AppearanceApplier applyAppearance;
        ManPageLinkHandler::Backend linkHandlers = ManPageLinkHandler::Backend::desktop();
        AppModel *app = nullptr; // not owned; null: no page language choice
    };

    static constexpr int kHistoryStep = 5;

    explicit GeneralSettingsPane(Dependencies dependencies, QWidget *parent = nullptr);

    QAbstractButton *appearanceButton(AppearanceSetting setting) const;
    QLineEdit *historyField() const { return m_historyField; }
    QAbstractButton *historyStepUp() const { return m_stepUp; }
    QAbstractButton *historyStepDown() const { return m_stepDown; }
    ManPageLinkHandlerSection *linkHandlerSection() const { return m_linkHandlers; }
    // Null without an application model.
    QCheckBox *translatedPagesBox() const { return m_translatedPages; }

    // Clamps the stored "historyLimit" into its range, writing only when that changes it.
    void clampStoredHistoryLimit();

Q_SIGNALS:
    void historyLimitChanged(int limit);

protected:
    // Leaving the page, by closing the window or switching tabs, clamps the stored limit like a submit.
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *makeAppearanceSection();
    QWidget *makeHistorySection();
    QWidget *makeLanguageSection();
    void chooseAppearance(AppearanceSetting setting);
    void submitHistoryField();
    void stepHistory(int delta);
    void storeHistory(qint64 limit);
    void showStoredHistory();

    Dependencies m_dependencies;
    QButtonGroup *m_appearanceButtons = nullptr;
    QLineEdit *m_historyField = nullptr;
    QAbstractButton *m_stepUp = nullptr;
    QAbstractButton *m_stepDown = nullptr;
    ManPageLinkHandlerSection *m_linkHandlers = nullptr;
    QCheckBox *m_translatedPages = nullptr;
};

} // namespace Lectorin

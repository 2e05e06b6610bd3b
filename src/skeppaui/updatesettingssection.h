// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QGroupBox>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace Skeppa {
class UpdateChecker;
}

namespace SkeppaUI {

class UpdateResultRow;

// The "Updates" section of a settings page: the automatic-check switch, when the last check ran, its result
// and a "Check Now" button, over the checker's live state.
class UpdateSettingsSection : public QGroupBox
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    // `now` decides which day is "Today" in "Last checked"; the system clock without one.
    explicit UpdateSettingsSection(Skeppa::UpdateChecker &checker, QWidget *parent = nullptr, Clock now = {});

    QCheckBox *automaticCheckToggle() const { return m_toggle; }
    QLabel *lastCheckedLabel() const { return m_lastChecked; }
    UpdateResultRow *resultRow() const { return m_resultRow; }
    QPushButton *checkNowButton() const { return m_checkNow; }
    QLabel *footerLabel() const { return m_footer; }

protected:
    // "Today" may have become "Yesterday" while the window was hidden.
    void showEvent(QShowEvent *event) override;

private:
    void updateLastChecked();
    void updateFromState();

    Skeppa::UpdateChecker &m_checker;
    Clock m_now;
    QCheckBox *m_toggle;
    QLabel *m_lastChecked;
    UpdateResultRow *m_resultRow;
    QPushButton *m_checkNow;
    QLabel *m_footer;
};

} // namespace SkeppaUI

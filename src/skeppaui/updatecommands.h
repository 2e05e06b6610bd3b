// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QAction;

namespace Skeppa {
class UpdateChecker;
}

namespace SkeppaUI {

// The "Check for Updates…" menu command: starts a check, then shows where its result appears. Disabled
// while a check runs.
class UpdateCommands : public QObject
{
    Q_OBJECT

public:
    using ShowResult = std::function<void()>;

    // `showResult` runs after the check has started (the program opens its settings on General there);
    // without one, showResultRequested() is emitted instead.
    explicit UpdateCommands(
        Skeppa::UpdateChecker &checker, ShowResult showResult = {}, QObject *parent = nullptr);

    // Owned by this object; put it in the Help menu.
    QAction *checkForUpdatesAction() const { return m_action; }

Q_SIGNALS:
    void showResultRequested();

private:
    void checkForUpdates();
    void updateEnabled();

    Skeppa::UpdateChecker &m_checker;
    ShowResult m_showResult;
    QAction *m_action;
};

} // namespace SkeppaUI

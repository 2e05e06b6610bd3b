// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/updatecommands.h"

#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"

#include <QAction>

namespace SkeppaUI {

UpdateCommands::UpdateCommands(Skeppa::UpdateChecker &checker, ShowResult showResult, QObject *parent)
    : QObject(parent)
    , m_checker(checker)
    , m_showResult(std::move(showResult))
    , m_action(new QAction(UpdateTexts::translated("Check for Updates\u2026"), this))
{
    m_action->setMenuRole(QAction::ApplicationSpecificRole);
    connect(m_action, &QAction::triggered, this, &UpdateCommands::checkForUpdates);
    connect(&m_checker, &Skeppa::UpdateChecker::stateChanged, this, &UpdateCommands::updateEnabled);
    updateEnabled();
}

void UpdateCommands::checkForUpdates()
{
    m_checker.check();
    if (m_showResult)
        m_showResult();
    else
        emit showResultRequested();
}

void UpdateCommands::updateEnabled()
{
    m_action->setEnabled(m_checker.state().kind != Skeppa::UpdateChecker::State::Kind::checking);
}

} // namespace SkeppaUI

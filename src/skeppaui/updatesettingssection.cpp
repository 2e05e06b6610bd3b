// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/updatesettingssection.h"

#include "skeppaui/updateresultrow.h"
#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace SkeppaUI {

UpdateSettingsSection::UpdateSettingsSection(Skeppa::UpdateChecker &checker, QWidget *parent, Clock now)
    : QGroupBox(UpdateTexts::translated("Updates"), parent)
    , m_checker(checker)
    , m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); }))
    , m_toggle(new QCheckBox(UpdateTexts::translated("Check for updates automatically")))
    , m_lastChecked(new QLabel)
    , m_resultRow(new UpdateResultRow(checker))
    , m_checkNow(new QPushButton(UpdateTexts::translated("Check Now")))
    , m_footer(new QLabel)
{
    auto *form = new QFormLayout(this);
    form->addRow(m_toggle);
    form->addRow(UpdateTexts::translated("Last checked"), m_lastChecked);

    auto *resultLine = new QHBoxLayout;
    resultLine->addWidget(m_resultRow, 1, Qt::AlignTop);
    resultLine->addWidget(m_checkNow, 0, Qt::AlignTop);
    form->addRow(resultLine);

    m_footer->setWordWrap(true);
    m_footer->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(m_footer);

    m_toggle->setChecked(m_checker.isAutomaticCheckEnabled());
    connect(m_toggle, &QCheckBox::toggled, &m_checker, &Skeppa::UpdateChecker::setAutomaticCheckEnabled);
    connect(
        &m_checker, &Skeppa::UpdateChecker::automaticCheckEnabledChanged, m_toggle, &QCheckBox::setChecked);
    connect(m_checkNow, &QPushButton::clicked, &m_checker, [this] { m_checker.check(); });
    connect(&m_checker, &Skeppa::UpdateChecker::lastCheckChanged, this,
        &UpdateSettingsSection::updateLastChecked);
    connect(&m_checker, &Skeppa::UpdateChecker::stateChanged, this, &UpdateSettingsSection::updateFromState);
    connect(&m_checker, &Skeppa::UpdateChecker::configurationChanged, this, [this] {
        m_toggle->setChecked(m_checker.isAutomaticCheckEnabled());
        updateLastChecked();
        updateFromState();
    });
    updateLastChecked();
    updateFromState();
}

void UpdateSettingsSection::showEvent(QShowEvent *event)
{
    updateLastChecked();
    QGroupBox::showEvent(event);
}

void UpdateSettingsSection::updateLastChecked()
{
    m_lastChecked->setText(UpdateTexts::lastChecked(m_checker.lastCheck(), m_now()));
}

void UpdateSettingsSection::updateFromState()
{
    m_checkNow->setEnabled(m_checker.state().kind != Skeppa::UpdateChecker::State::Kind::checking);
    m_footer->setText(UpdateTexts::footer(m_checker.configuration()));
}

} // namespace SkeppaUI

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace Skeppa {
class UpdateChecker;
}

namespace SkeppaUI {

// What the last or running check says, redrawn whenever the checker's state or configuration changes.
class UpdateResultRow : public QWidget
{
    Q_OBJECT

public:
    explicit UpdateResultRow(Skeppa::UpdateChecker &checker, QWidget *parent = nullptr);

    // The row's sentence as shown; empty while idle. For an available release, its "Version … is available.".
    QString text() const;

private:
    void rebuild();

    Skeppa::UpdateChecker &m_checker;
    QWidget *m_content = nullptr;
};

} // namespace SkeppaUI

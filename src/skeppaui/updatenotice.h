// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/release.h"

#include <QWidget>

#include <optional>

class QGraphicsOpacityEffect;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVariantAnimation;

namespace Skeppa {
class UpdateChecker;
}

namespace SkeppaUI {

// The strip along the top of a page view while a newer release is available: its version, the download
// button and "Skip". It slides and fades in and out with the checker's available release.
class UpdateNotice : public QWidget
{
    Q_OBJECT

public:
    explicit UpdateNotice(Skeppa::UpdateChecker &checker, QWidget *parent = nullptr);

    // The release shown, or nothing while the notice is (going) away.
    const std::optional<Skeppa::Release> &release() const { return m_release; }
    QLabel *messageLabel() const { return m_message; }
    QPushButton *skipButton() const { return m_skip; }

private:
    void follow();
    void animateTo(bool shown);

    Skeppa::UpdateChecker &m_checker;
    std::optional<Skeppa::Release> m_release;
    QHBoxLayout *m_row;
    QLabel *m_message;
    QWidget *m_download = nullptr;
    QPushButton *m_skip;
    QGraphicsOpacityEffect *m_opacity;
    QVariantAnimation *m_transition;
};

} // namespace SkeppaUI

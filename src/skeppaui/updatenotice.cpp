// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/updatenotice.h"

#include "skeppaui/downloadbutton.h"
#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVariantAnimation>

namespace SkeppaUI {
namespace {

constexpr int kTransitionMilliseconds = 180;

} // namespace

UpdateNotice::UpdateNotice(Skeppa::UpdateChecker &checker, QWidget *parent)
    : QWidget(parent)
    , m_checker(checker)
    , m_row(new QHBoxLayout(this))
    , m_message(new QLabel)
    , m_skip(new QPushButton(UpdateTexts::translated("Skip")))
    , m_opacity(new QGraphicsOpacityEffect(this))
    , m_transition(new QVariantAnimation(this))
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::AlternateBase);
    m_row->setContentsMargins(12, 6, 12, 6);
    m_row->setSpacing(12);

    auto *symbol = new QLabel;
    const QIcon icon = QIcon::fromTheme(
        QStringLiteral("software-update-available"), style()->standardIcon(QStyle::SP_ArrowDown));
    symbol->setPixmap(icon.pixmap(16, 16));
    symbol->setAccessibleName(QString());
    symbol->setFocusPolicy(Qt::NoFocus);
    m_row->addWidget(symbol);
    m_row->addWidget(m_message);
    m_row->addStretch();
    m_skip->setToolTip(UpdateTexts::translated("Skip this version"));
    m_skip->setAccessibleName(UpdateTexts::translated("Skip this version"));
    m_row->addWidget(m_skip);

    connect(m_skip, &QPushButton::clicked, this, [this] {
        if (m_release)
            m_checker.skip(*m_release);
    });

    // One animation drives both the height (the move) and the opacity (the fade).
    setGraphicsEffect(m_opacity);
    m_transition->setDuration(kTransitionMilliseconds);
    m_transition->setStartValue(0.0);
    m_transition->setEndValue(1.0);
    connect(m_transition, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const double progress = value.toDouble();
        m_opacity->setOpacity(progress);
        setMaximumHeight(int(sizeHint().height() * progress));
    });
    connect(m_transition, &QVariantAnimation::finished, this, [this] {
        if (m_transition->direction() == QAbstractAnimation::Backward)
            hide();
        else
            setMaximumHeight(QWIDGETSIZE_MAX);
    });

    connect(&m_checker, &Skeppa::UpdateChecker::stateChanged, this, &UpdateNotice::follow);
    connect(&m_checker, &Skeppa::UpdateChecker::configurationChanged, this, &UpdateNotice::follow);
    m_release = m_checker.availableRelease();
    if (m_release) {
        m_message->setText(UpdateTexts::releaseAvailable(*m_release));
        m_download = new DownloadButton(*m_release, m_checker);
        m_row->insertWidget(m_row->indexOf(m_skip), m_download);
    } else {
        setVisible(false);
    }
}

void UpdateNotice::follow()
{
    const std::optional<Skeppa::Release> release = m_checker.availableRelease();
    if (release == m_release)
        return;
    const bool wasShown = m_release.has_value();
    m_release = release;
    if (!release) {
        animateTo(false);
        return;
    }
    m_message->setText(UpdateTexts::releaseAvailable(*release));
    delete m_download;
    m_download = new DownloadButton(*release, m_checker);
    m_row->insertWidget(m_row->indexOf(m_skip), m_download);
    if (!wasShown)
        animateTo(true);
}

void UpdateNotice::animateTo(bool shown)
{
    if (shown) {
        setMaximumHeight(0);
        show();
    }
    m_transition->setDirection(shown ? QAbstractAnimation::Forward : QAbstractAnimation::Backward);
    if (m_transition->state() != QAbstractAnimation::Running)
        m_transition->start();
}

} // namespace SkeppaUI

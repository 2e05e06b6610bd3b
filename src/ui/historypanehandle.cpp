// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/historypanehandle.h"

#include "catalogue/sidebarhistory.h"

#include <QMouseEvent>
#include <QPainter>

namespace Lectorin {

HistoryPaneHandle::HistoryPaneHandle(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::SizeVerCursor);
    setFixedHeight(int(SidebarHistory::kHandleHeight));
    setToolTip(tr("Drag to resize the history"));
}

QSize HistoryPaneHandle::sizeHint() const
{
    return { 100, int(SidebarHistory::kHandleHeight) };
}

void HistoryPaneHandle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor grabber = palette().color(QPalette::WindowText);
    grabber.setAlphaF(0.3f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(grabber);
    const QRectF bar(width() / 2.0 - 18, height() / 2.0 - 1.5, 36, 3);
    painter.drawRoundedRect(bar, 1.5, 1.5);
}

void HistoryPaneHandle::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressY = event->globalPosition().y();
    m_started = false;
}

void HistoryPaneHandle::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressY)
        return;
    const bool started = !m_started;
    m_started = true;
    emit dragged(event->globalPosition().y() - *m_pressY, started);
}

void HistoryPaneHandle::mouseReleaseEvent(QMouseEvent *)
{
    if (!m_pressY)
        return;
    m_pressY.reset();
    emit dragEnded();
}

} // namespace Lectorin

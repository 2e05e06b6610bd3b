// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace Lectorin {

// The 8-point strip below the history pane with its rounded grabber; dragging it resizes the pane.
class HistoryPaneHandle : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryPaneHandle(QWidget *parent = nullptr);
    QSize sizeHint() const override;

Q_SIGNALS:
    // Vertical distance from where the drag began, downwards positive; `started` on the first move.
    void dragged(double translation, bool started);
    void dragEnded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::optional<double> m_pressY;
    bool m_started = false;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

class QWebEngineView;

namespace Lectorin {

// Covers a web view with its page's background colour from the start of each load until the new document has
// painted its first content. Between two documents of the private scheme the engine shows a new, white
// surface whatever background the page was given; in a dark look that is a white flash on every page switch.
// A white page is left uncovered, so that its first paint shows at once.
class PageVeil : public QWidget
{
    Q_OBJECT

public:
    explicit PageVeil(QWebEngineView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void cover();
    void uncover();

    QWebEngineView *m_view;
    QTimer m_lift;
};

} // namespace Lectorin

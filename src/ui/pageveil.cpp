// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pageveil.h"

#include "web/paintreportingpage.h"

#include <QEvent>
#include <QPainter>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace Lectorin {
namespace {

// A page that cannot say when its document painted shows it within a frame or two of reporting it loaded; a
// few frames more cover a busy machine. A reporting page's document says so itself: the veil waits for that,
// since lifting it earlier shows the engine's white surface. A load that never finishes lifts the veil after
// the longest wait.
constexpr int kPaintGraceMilliseconds = 80;
constexpr int kLongestCoverMilliseconds = 5000;

} // namespace

PageVeil::PageVeil(QWebEngineView *view)
    : QWidget(view)
    , m_view(view)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    m_lift.setSingleShot(true);
    connect(&m_lift, &QTimer::timeout, this, &QWidget::hide);
    view->installEventFilter(this);
    connect(view->page(), &QWebEnginePage::loadStarted, this, &PageVeil::cover);
    auto *reporting = qobject_cast<PaintReportingPage *>(view->page());
    connect(view->page(), &QWebEnginePage::loadFinished, this, [this, reporting](bool ok) {
        if (isVisible())
            m_lift.start(
                reporting && ok ? PaintReportingPage::kUnreportedPaintMilliseconds : kPaintGraceMilliseconds);
    });
    if (reporting) {
        connect(reporting, &PaintReportingPage::documentRequested, this, &PageVeil::cover);
        connect(reporting, &PaintReportingPage::documentPainted, this, &PageVeil::uncover);
    }
}

void PageVeil::cover()
{
    // On a white page the new surface is the page's own background: covering it only hides the first paint.
    if (m_view->page()->backgroundColor().rgb() == QColor(Qt::white).rgb()) {
        uncover();
        return;
    }
    setGeometry(m_view->rect());
    raise();
    show();
    update();
    m_lift.start(kLongestCoverMilliseconds);
}

void PageVeil::uncover()
{
    m_lift.stop();
    hide();
}

bool PageVeil::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::Resize)
        setGeometry(m_view->rect());
    // The engine adds its drawing surface as a child when a page first shows; the veil stays above it.
    if (watched == m_view && event->type() == QEvent::ChildAdded && isVisible())
        raise();
    return QWidget::eventFilter(watched, event);
}

void PageVeil::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_view->page()->backgroundColor());
}

} // namespace Lectorin

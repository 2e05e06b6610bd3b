// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEnginePage>

namespace Lectorin {

// A page whose documents say when they have first painted content: the engine's paint timing reaches the
// screen long before `loadFinished`, which waits for the whole document and its load event.
class PaintReportingPage : public QWebEnginePage
{
    Q_OBJECT

public:
    using QWebEnginePage::QWebEnginePage;

    // What the document script logs once its first contentful paint is on the screen.
    static QString paintedMessage();
    // How long after its load a document that has not reported its paint (an engine error page, say) is
    // taken as painted; every document of such a page reports, on a busy machine well after its load.
    static constexpr int kUnreportedPaintMilliseconds = 1000;

Q_SIGNALS:
    void documentPainted();
    // A navigation to another document was accepted. Said of every one, also of one that replaces a load
    // under way, of which the engine's `loadStarted`, said once for a spell of loading, says nothing.
    void documentRequested();

protected:
    // For an `acceptNavigationRequest` of a subclass: the main frame's navigation to `url` was accepted.
    void navigationAccepted(const QUrl &url, NavigationType type);

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
        const QString &source) override;
};

} // namespace Lectorin

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

Q_SIGNALS:
    void documentPainted();

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
        const QString &source) override;
};

} // namespace Lectorin

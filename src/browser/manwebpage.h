// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/mannavigationdecider.h"

#include <QWebEnginePage>

namespace Lectorin {

// A window's web page: every navigation goes through the window's navigation decider. A page the engine asks
// for a new window or tab (Ctrl- and middle-click, window.open) is a short-lived stand-in whose first
// navigation is handed to the decider as a request without a target frame, then refused. When the renderer
// process ends abnormally (every tab shares one), the page loads what it showed again, once per load.
class ManWebPage : public QWebEnginePage
{
    Q_OBJECT

public:
    ManWebPage(QWebEngineProfile *profile, ManNavigationDecider decider, QObject *parent = nullptr);

    const ManNavigationDecider &decider() const { return m_decider; }
    // Whether the page's last accepted main-frame navigation reloads what it showed: not a visit.
    bool lastNavigationWasReload() const { return m_lastNavigationWasReload; }

Q_SIGNALS:
    // A click on a link is about to load another document in this page.
    void linkFollowed();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    ManNavigationDecider m_decider;
    bool m_lastNavigationWasReload = false;
    // Set by the reload after a renderer ended; cleared when a load succeeds, so a page that ends its
    // renderer again is not reloaded in a loop.
    bool m_reloadedAfterRendererEnded = false;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/mannavigationdecider.h"
#include "web/paintreportingpage.h"

#include <QPointer>

namespace Lectorin {

class AppModel;

// A window's web page: it decides every navigation itself, gives the engine the verdict and hands on what
// should follow. A page the engine asks for a new window or tab (Ctrl- and middle-click, window.open) is a
// short-lived stand-in whose first navigation is decided as a request without a target frame, then refused.
// When the renderer process ends abnormally (every tab shares one), the page loads what it showed again, once
// per load.
class ManWebPage : public PaintReportingPage
{
    Q_OBJECT

public:
    ManWebPage(QWebEngineProfile *profile, AppModel *app, QObject *parent = nullptr);

    // Whether the page's last accepted main-frame navigation reloads what it showed: not a visit.
    bool lastNavigationWasReload() const { return m_lastNavigationWasReload; }

Q_SIGNALS:
    // A click on a link is about to load another document in this page.
    void linkFollowed();
    // A navigation, of this page or of a stand-in for a new window or tab, asks for more than its verdict.
    void navigationDecided(const Lectorin::NavigationDecision &decision);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    friend class NewWindowRequestPage;
    NavigationDecision decide(const QUrl &url, ManNavigationDecider::Target target);

    QPointer<AppModel> m_app;
    bool m_lastNavigationWasReload = false;
    // Set by the reload after a renderer ended; cleared when a load succeeds, so a page that ends its
    // renderer again is not reloaded in a loop.
    bool m_reloadedAfterRendererEnded = false;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/manwebpage.h"

#include "catalogue/appmodel.h"

namespace Lectorin {

// Decides the first navigation it is given for a new window or tab on behalf of the page that made it.
class NewWindowRequestPage : public QWebEnginePage
{
public:
    NewWindowRequestPage(ManWebPage *owner, ManNavigationDecider::Target target)
        : QWebEnginePage(owner->profile(), owner)
        , m_owner(owner)
        , m_target(target)
    { }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        if (!m_handled) {
            m_handled = true;
            m_owner->decide(url, m_target);
            deleteLater();
        }
        return false;
    }

private:
    ManWebPage *m_owner;
    ManNavigationDecider::Target m_target;
    bool m_handled = false;
};

ManWebPage::ManWebPage(QWebEngineProfile *profile, AppModel *app, QObject *parent)
    : PaintReportingPage(profile, parent)
    , m_app(app)
{
    connect(
        this, &QWebEnginePage::renderProcessTerminated, this, [this](RenderProcessTerminationStatus status) {
            if (status == NormalTerminationStatus || url().isEmpty() || m_reloadedAfterRendererEnded)
                return;
            m_reloadedAfterRendererEnded = true;
            // From the event loop: the engine is still tearing the old renderer down.
            QMetaObject::invokeMethod(
                this, [this] { triggerAction(Reload); }, Qt::QueuedConnection);
        });
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok)
            m_reloadedAfterRendererEnded = false;
    });
}

NavigationDecision ManWebPage::decide(const QUrl &url, ManNavigationDecider::Target target)
{
    const NavigationDecision decision = ManNavigationDecider::decide(url, target, m_app);
    if (decision.followUp != NavigationDecision::FollowUp::none)
        emit navigationDecided(decision);
    return decision;
}

bool ManWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    const bool accepted = decide(url, ManNavigationDecider::Target::thisFrame).verdict
        == ManNavigationDecider::Decision::allow;
    if (accepted && isMainFrame) {
        navigationAccepted(url, type);
        m_lastNavigationWasReload = type == NavigationTypeReload;
        if (type == NavigationTypeLinkClicked)
            emit linkFollowed();
    }
    return accepted;
}

QWebEnginePage *ManWebPage::createWindow(WebWindowType type)
{
    const bool isTab = type == WebBrowserTab || type == WebBrowserBackgroundTab;
    return new NewWindowRequestPage(
        this, isTab ? ManNavigationDecider::Target::newTab : ManNavigationDecider::Target::newWindow);
}

} // namespace Lectorin

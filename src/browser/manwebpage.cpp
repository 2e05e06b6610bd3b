// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/manwebpage.h"

namespace Lectorin {
namespace {

class NewWindowRequestPage : public QWebEnginePage
{
public:
    NewWindowRequestPage(QWebEngineProfile *profile, const ManNavigationDecider &decider,
        ManNavigationDecider::Target target, QObject *parent)
        : QWebEnginePage(profile, parent)
        , m_decider(decider)
        , m_target(target)
    { }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        if (!m_handled) {
            m_handled = true;
            m_decider.decide(url, m_target);
            deleteLater();
        }
        return false;
    }

private:
    ManNavigationDecider m_decider;
    ManNavigationDecider::Target m_target;
    bool m_handled = false;
};

} // namespace

ManWebPage::ManWebPage(QWebEngineProfile *profile, ManNavigationDecider decider, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_decider(std::move(decider))
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

bool ManWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    const bool accepted = m_decider.decide(url) == ManNavigationDecider::Decision::allow;
    if (accepted && isMainFrame) {
        m_lastNavigationWasReload = type == NavigationTypeReload;
        if (type == NavigationTypeLinkClicked)
            emit linkFollowed();
    }
    return accepted;
}

QWebEnginePage *ManWebPage::createWindow(WebWindowType type)
{
    const bool isTab = type == WebBrowserTab || type == WebBrowserBackgroundTab;
    return new NewWindowRequestPage(profile(), m_decider,
        isTab ? ManNavigationDecider::Target::newTab : ManNavigationDecider::Target::newWindow, this);
}

} // namespace Lectorin

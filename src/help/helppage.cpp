// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/helppage.h"

#include "help/helpbook.h"

#include <QDesktopServices>
#include <QPointer>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace Lectorin {
namespace {

const QString kSchemeScriptName = QStringLiteral("lectorin-help-color-scheme");

QString schemeScript(bool dark)
{
    return QStringLiteral("document.documentElement.style.colorScheme = '%1';")
        .arg(dark ? QStringLiteral("dark") : QStringLiteral("light"));
}

// Stands in for the window a Ctrl- or middle-clicked link asks for: it takes the first navigation, hands it
// to the help page and goes away, so no window ever opens.
class LinkCatcherPage : public QWebEnginePage
{
public:
    LinkCatcherPage(HelpPage *owner)
        : QWebEnginePage(owner->profile(), owner)
        , m_owner(owner)
    { }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
    {
        if (isMainFrame && !m_routed) {
            m_routed = true;
            // Loading into the owner from inside this page's navigation callback is deferred to the event
            // loop.
            QTimer::singleShot(0, m_owner, [owner = m_owner, url] {
                if (owner)
                    owner->routeLink(url);
            });
            deleteLater();
        }
        return false;
    }

private:
    QPointer<HelpPage> m_owner;
    bool m_routed = false;
};

} // namespace

HelpPage::HelpPage(QObject *parent)
    : QWebEnginePage(parent)
{
    QWebEngineScript script;
    script.setName(kSchemeScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setSourceCode(schemeScript(m_dark));
    scripts().insert(script);
}

void HelpPage::setDarkAppearance(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    for (QWebEngineScript script : scripts().find(kSchemeScriptName)) {
        scripts().remove(script);
        script.setSourceCode(schemeScript(dark));
        scripts().insert(script);
    }
    runJavaScript(schemeScript(dark));
}

void HelpPage::routeLink(const QUrl &url)
{
    if (HelpBook::staysInHelp(url))
        load(url);
    else
        QDesktopServices::openUrl(url);
}

bool HelpPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (HelpBook::staysInHelp(url))
        return true;
    // Only a page's own navigation is the user's; an embedded frame never opens anything on the desktop.
    if (isMainFrame)
        QDesktopServices::openUrl(url);
    return false;
}

QWebEnginePage *HelpPage::createWindow(WebWindowType)
{
    return new LinkCatcherPage(this);
}

} // namespace Lectorin

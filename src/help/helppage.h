// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEnginePage>

namespace Lectorin {

// The help window's web page: local help files load in it, every other address goes to the desktop, and links
// that ask for a new window come back to this page instead of opening one.
class HelpPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit HelpPage(QObject *parent = nullptr);

    // Gives the help stylesheet's "light dark" colour scheme a fixed side, now and for every page loaded
    // later; the embedded engine would otherwise stay light whatever the desktop uses.
    void setDarkAppearance(bool dark);
    bool isDarkAppearance() const { return m_dark; }

    // Where a link that wanted a window of its own goes: into this page when it is local, else to the
    // desktop.
    void routeLink(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    bool m_dark = false;
};

} // namespace Lectorin

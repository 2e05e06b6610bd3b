// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QUrl>

#include <optional>

namespace Lectorin {

class AppModel;

// Whether a page may start a navigation: man page URLs load in place (or go to a new window or tab),
// x-man-page links open in this window, web and mail links go to the desktop, everything else is refused, and
// a link to a page the ready catalogue does not hold shows the missing-page alert instead of loading.
namespace ManNavigationDecider {

enum class Decision
{
    allow,
    cancel
};

// Where the navigation would show its document. A navigation in a page the engine created for a new window
// or tab has no target frame of this window.
enum class Target
{
    thisFrame,
    newWindow,
    newTab
};

} // namespace ManNavigationDecider

// The engine's verdict on a navigation, and what the window should do next.
struct NavigationDecision
{
    enum class FollowUp
    {
        none,
        // Resolve the reference and show it in this window, or the missing-page alert.
        openInPlace,
        openInNewWindow,
        openInNewTab,
        missingPage,
        openExternally
    };

    ManNavigationDecider::Decision verdict = ManNavigationDecider::Decision::cancel;
    FollowUp followUp = FollowUp::none;
    std::optional<PageReference> reference = {};
    QUrl externalURL = {};
    // Where in the page to land: an anchor, or an option as typed ("exclude", "--exclude").
    QString fragment = {};

    bool operator==(const NavigationDecision &) const = default;
};

namespace ManNavigationDecider {

// `app` may be null (a window going down): man page URLs then load, and what needs the catalogue is left to
// the scheme handler.
NavigationDecision decide(const QUrl &url, Target target, const AppModel *app);

// The command-click mark "lectorin-target=new-window" among the URL's query items.
bool asksForNewWindow(const QUrl &url);

} // namespace ManNavigationDecider

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/manschemehandler.h"

#include <QUrl>

#include <functional>
#include <memory>

namespace Lectorin {

// Decides whether a page may start a navigation: man page URLs load in place (or go to a new window or tab),
// x-man-page links open in this window, web and mail links go to the desktop, everything else is refused, and
// a link to a page the ready catalogue does not hold shows the missing-page alert instead of loading.
class ManNavigationDecider
{
public:
    enum class Decision
    {
        allow,
        cancel
    };

    // Where the navigation would show its document. A navigation in a page the engine created for a new
    // window or tab has no target frame of this window.
    enum class Target
    {
        thisFrame,
        newWindow,
        newTab
    };

    using ExternalOpener = std::function<void(const QUrl &)>;

    // Without an opener, web and mail links go to QDesktopServices::openUrl.
    explicit ManNavigationDecider(
        std::shared_ptr<ManResolverBox> resolver, ExternalOpener openExternally = {});

    Decision decide(const QUrl &url, Target target = Target::thisFrame) const;

    // The command-click mark "lectorin-target=new-window" among the URL's query items.
    static bool asksForNewWindow(const QUrl &url);

    const std::shared_ptr<ManResolverBox> &resolver() const { return m_resolver; }

private:
    Decision decideManURL(const QUrl &url, Target target) const;

    std::shared_ptr<ManResolverBox> m_resolver;
    ExternalOpener m_openExternally;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/manpagerenderer.h"

#include <QObject>
#include <QPointer>
#include <QWebEngineUrlSchemeHandler>

#include <memory>

class QWebEngineProfile;

namespace Lectorin {

class AppModel;
class ManNavigationTarget;

// Registers "x-lectorin-man", "x-man-page" and "x-lectorin-file" with the web engine. Call before the
// QApplication is created.
void registerManUrlScheme();

// What one window's scheme handler and navigation decider reach, held weakly: either may be gone by the time
// a request or a navigation arrives.
struct ManResolverBox
{
    QPointer<AppModel> app;
    QPointer<ManNavigationTarget> browser;
};

// Serves man page URLs: every request is answered with an HTML document, a page or an error page, never a
// failed job. Waits for the first catalogue load (at most kCatalogueWait), reads theme and zoom on the GUI
// thread and renders off it.
class ManSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    static constexpr int kCatalogueWaitMilliseconds = 10000;

    explicit ManSchemeHandler(
        std::shared_ptr<ManResolverBox> resolver, RenderTools tools = {}, QObject *parent = nullptr);

    // The engine keeps one handler per scheme and profile, and a request does not say which page sent it, so
    // one handler over the application model serves every window of a profile. Keeps a handler already
    // installed for `app`; replaces one installed for another model.
    static ManSchemeHandler *installOn(
        QWebEngineProfile *profile, AppModel *app, const RenderTools &tools = {});

    const std::shared_ptr<ManResolverBox> &resolver() const { return m_resolver; }

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    std::shared_ptr<ManResolverBox> m_resolver;
    RenderTools m_tools;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/manpagerenderer.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

namespace Lectorin {

class AppModel;

// Registers "x-lectorin-man", "x-man-page", "x-lectorin-file" and "x-lectorin-info" with the web engine. Call
// before the QApplication is created.
void registerManUrlScheme();

// Serves man page URLs: every request is answered with an HTML document, a page or an error page, never a
// failed job. Waits for the catalogue as PendingPageLookup does, reads theme and zoom on the GUI
// thread and renders off it.
class ManSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    // The model is held weakly: a request may still arrive while it goes down.
    explicit ManSchemeHandler(AppModel *app, RenderTools tools = {}, QObject *parent = nullptr);

    // The engine keeps one handler per scheme and profile, and a request does not say which page sent it, so
    // one handler over the application model serves every window of a profile. Keeps a handler already
    // installed for `app`; replaces one installed for another model.
    static ManSchemeHandler *installOn(
        QWebEngineProfile *profile, AppModel *app, const RenderTools &tools = {});

    void requestStarted(QWebEngineUrlRequestJob *job) override;

Q_SIGNALS:
    // A page has painted the top of its document at `url`: the engine may have the rest. A long document is
    // answered in two parts (DocumentStream), so that its first screen is painted before its end is parsed.
    void documentPainted(const QUrl &url) const;

private:
    QPointer<AppModel> m_app;
    RenderTools m_tools;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/manschemehandler.h"

#include "catalogue/appmodel.h"
#include "info/infourl.h"
#include "platform/trace.h"
#include "render/manurl.h"
#include "render/pendingpagelookup.h"
#include "themes/colorschemestore.h"
#include "themes/manpagepalette.h"
#include "web/documentstream.h"

#include <QFileInfo>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace Lectorin {
namespace {

void answer(QWebEngineUrlRequestJob *job, const QString &document, const ManSchemeHandler *handler)
{
    QByteArray bytes = document.toUtf8();
    Trace::mark(QStringLiteral("page answered ") + QString::number(bytes.size()));
    auto *body = new DocumentStream(std::move(bytes), job);
    if (handler && !body->isReleased()) {
        QObject::connect(handler, &ManSchemeHandler::documentPainted, body,
            [body, url = job->requestUrl().adjusted(QUrl::RemoveFragment)](const QUrl &painted) {
                if (painted.adjusted(QUrl::RemoveFragment) == url)
                    body->release();
            });
    }
    job->reply(QByteArrayLiteral("text/html"), body);
}

std::optional<ManPagePalette> currentPalette()
{
    const std::optional<TMTheme> &theme = ColorSchemeStore::shared().theme();
    return theme ? std::optional(ManPagePalette::fromTheme(*theme)) : std::nullopt;
}

// A previewed page source: no catalogue to wait for, rendered with the theme and zoom of every page.
void answerPageFile(QWebEngineUrlRequestJob *job, const QString &path, const AppModel *app,
    const RenderTools &tools, QPointer<const ManSchemeHandler> handler)
{
    ManPageRenderer::renderFile(path, currentPalette(), app ? app->fontScale() : 1.0, tools)
        .then(job, [job, path, handler](const ManPageRenderer::RenderResult &result) {
            answer(job,
                result.succeeded()
                    ? result.document
                    : ManPageRenderer::renderingFailedHTML(QFileInfo(path).fileName(), *result.failure),
                handler);
        });
}

// One request from the catalogue wait to the answer. Lives as a child of its job, so a request the engine
// cancels takes its pending work with it.
class ManRequest : public QObject
{
public:
    ManRequest(QWebEngineUrlRequestJob *job, QPointer<AppModel> app, PageReference reference,
        RenderTools tools, QPointer<const ManSchemeHandler> handler)
        : QObject(job)
        , m_job(job)
        , m_handler(std::move(handler))
        , m_app(app)
        , m_reference(reference)
        , m_tools(std::move(tools))
        , m_lookup(new PendingPageLookup(std::move(app), std::move(reference), this))
    {
        connect(m_lookup, &PendingPageLookup::finished, this, [this](const std::optional<ManPage> &page) {
            if (page)
                render(*page);
            else
                finish(ManPageRenderer::notFoundHTML(m_reference.name));
        });
    }

    void start() { m_lookup->start(); }

private:
    void render(const ManPage &page)
    {
        ManPageRenderer::render(page, currentPalette(), m_app ? m_app->fontScale() : 1.0, m_tools)
            .then(this, [this](const ManPageRenderer::RenderResult &result) {
                finish(result.succeeded()
                        ? result.document
                        : ManPageRenderer::renderingFailedHTML(m_reference.name, *result.failure));
            });
    }

    void finish(const QString &document)
    {
        if (m_job)
            answer(m_job, document, m_handler);
    }

    QPointer<QWebEngineUrlRequestJob> m_job;
    QPointer<const ManSchemeHandler> m_handler;
    QPointer<AppModel> m_app;
    PageReference m_reference;
    RenderTools m_tools;
    PendingPageLookup *m_lookup;
};

} // namespace

void registerManUrlScheme()
{
    // Path syntax: with Host syntax the engine itself rewrites "x-lectorin-man:///ls" to
    // "x-lectorin-man://ls/". x-man-page is registered too, so that its links reach the navigation decider
    // like any other navigation instead of the engine's handling of unknown schemes, which needs a user
    // gesture and bypasses the decider.
    for (const QString &name : { kManURLScheme, kManPageLinkScheme, kPageFileScheme, kInfoURLScheme }) {
        if (QWebEngineUrlScheme::schemeByName(name.toLatin1()).name() == name.toLatin1())
            continue;
        QWebEngineUrlScheme scheme(name.toLatin1());
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

ManSchemeHandler::ManSchemeHandler(AppModel *app, RenderTools tools, QObject *parent)
    : QWebEngineUrlSchemeHandler(parent)
    , m_app(app)
    , m_tools(std::move(tools))
{ }

ManSchemeHandler *ManSchemeHandler::installOn(
    QWebEngineProfile *profile, AppModel *app, const RenderTools &tools)
{
    const QByteArray scheme = kManURLScheme.toLatin1();
    auto *installed = qobject_cast<ManSchemeHandler *>(
        const_cast<QWebEngineUrlSchemeHandler *>(profile->urlSchemeHandler(scheme)));
    if (installed && installed->m_app == app)
        return installed;
    auto *handler = new ManSchemeHandler(app, tools, profile);
    // x-man-page gets the same handler: a scheme without one counts as unknown to the engine, whose links
    // then never reach the navigation decider. The decider refuses them, so the handler serves them only as a
    // fallback. Previews of page files come through the handler too, rendered like every page.
    for (const QByteArray &name :
        { scheme, kManPageLinkScheme.toLatin1(), kPageFileScheme.toLatin1(), kInfoURLScheme.toLatin1() }) {
        if (const QWebEngineUrlSchemeHandler *other = profile->urlSchemeHandler(name))
            profile->removeUrlSchemeHandler(const_cast<QWebEngineUrlSchemeHandler *>(other));
        profile->installUrlSchemeHandler(name, handler);
    }
    if (installed && installed->parent() == profile)
        delete installed;
    return handler;
}

void ManSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    Trace::mark(QStringLiteral("page requested ") + job->requestUrl().toString());
    if (const std::optional<QString> path = pageFilePath(job->requestUrl())) {
        answerPageFile(job, *path, m_app, m_tools, this);
        return;
    }
    const std::optional<PageReference> reference = parseManURL(job->requestUrl());
    if (job->requestUrl().isEmpty() || !reference) {
        answer(job,
            ManPageRenderer::errorHTML(
                QStringLiteral("Lectorin"), QStringLiteral("Malformed man page reference.")),
            this);
        return;
    }
    (new ManRequest(job, m_app, *reference, m_tools, this))->start();
}

} // namespace Lectorin

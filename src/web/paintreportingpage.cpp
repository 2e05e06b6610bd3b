// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/paintreportingpage.h"

#include "web/manschemehandler.h"

#include <QUrl>
#include <QWebEngineProfile>

namespace Lectorin {

QString PaintReportingPage::paintedMessage()
{
    return QStringLiteral("lectorin:painted");
}

void PaintReportingPage::navigationAccepted(const QUrl &url, NavigationType type)
{
    // A move to an anchor of the document shown makes no new document.
    const bool sameDocument = type != NavigationTypeReload && url.hasFragment()
        && url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment);
    if (!sameDocument)
        Q_EMIT documentRequested();
}

void PaintReportingPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel level, const QString &message, int line, const QString &source)
{
    // Only the document's own script runs in a page (its digest is the only one allowed), so page text cannot
    // forge the message. One from the document before, late, must not lift the cover of the next.
    if (level == InfoMessageLevel && message == paintedMessage()) {
        const QUrl document(source);
        if (document.adjusted(QUrl::RemoveFragment) != requestedUrl().adjusted(QUrl::RemoveFragment))
            return;
        Q_EMIT documentPainted();
        if (const auto *handler = qobject_cast<const ManSchemeHandler *>(
                profile()->urlSchemeHandler(document.scheme().toLatin1())))
            Q_EMIT handler->documentPainted(document);
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

} // namespace Lectorin

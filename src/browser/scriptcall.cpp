// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/scriptcall.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace Lectorin::ScriptCall {

QString functionCall(const QString &body, const QVariantMap &arguments)
{
    const QStringList names = arguments.keys();
    QJsonArray values;
    for (const QString &name : names)
        values.append(QJsonValue::fromVariant(arguments.value(name)));
    return u"(function (" + names.join(QStringLiteral(", ")) + u") {\n" + body + u"\n}).apply(null, "
        + QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact)) + u')';
}

void call(QWebEnginePage *page, const QString &body, const QVariantMap &arguments, QObject *context,
    std::function<void(const QVariant &)> done)
{
    QPointer<QObject> guard(context);
    page->runJavaScript(functionCall(body, arguments), QWebEngineScript::MainWorld,
        [guard, done = std::move(done)](const QVariant &result) {
            if (guard && done)
                done(result);
        });
}

} // namespace Lectorin::ScriptCall

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>

class QWebEnginePage;

// Calls a function body in a page's own script world with named arguments, each a variable of the body.
namespace Lectorin::ScriptCall {

// "(function (a, b) { BODY }).apply(null, [a, b])" with the arguments as JSON.
QString functionCall(const QString &body, const QVariantMap &arguments = {});

// `done` gets the body's return value (invalid when the script failed), unless `context` is gone by then.
void call(QWebEnginePage *page, const QString &body, const QVariantMap &arguments, QObject *context,
    std::function<void(const QVariant &)> done = {});

} // namespace Lectorin::ScriptCall

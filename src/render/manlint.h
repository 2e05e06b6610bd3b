// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/manpagerenderer.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>

// mandoc's checks of a page source ("mandoc -T lint"), read into messages.
namespace Lectorin::ManLint {

// One message: mandoc's level ("ERROR", "WARNING", "STYLE", …), the line and column it points at (0 when it
// names none) and its text.
struct Message
{
    QString level;
    int line = 0;
    int column = 0;
    QString text;

    bool operator==(const Message &) const = default;
};

// A finished check: the messages in the order of their lines, or why mandoc could not run.
struct Result
{
    QList<Message> messages;
    std::optional<QString> failure;

    bool operator==(const Result &) const = default;
};

QStringList arguments(const QString &path);
// mandoc's lint output; lines it cannot read are kept whole as messages without a level or line.
QList<Message> parse(const QByteArray &output);
// "LEVEL<TAB>LINE<TAB>text", as lectorin-cli lint prints it.
QString formatted(const Message &message);

// Runs the check off the calling thread.
QFuture<Result> check(const QString &path, const RenderTools &tools = {});
Result checkBlocking(const QString &path, const RenderTools &tools = {});

} // namespace Lectorin::ManLint

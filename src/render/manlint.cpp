// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/manlint.h"

#include "catalogue/processrunner.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace Lectorin::ManLint {
namespace {

Result resultOf(const ProcessRunner::RunResult &run)
{
    if (!run.started())
        return { {}, run.startError };
    return { parse(run.output), std::nullopt };
}

// mandoc runs in the page's manual folder, so a relative path would name another file there.
QString absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList arguments(const QString &path)
{
    return { QStringLiteral("-T"), QStringLiteral("lint"), path };
}

QList<Message> parse(const QByteArray &output)
{
    // "mandoc: FILE:LINE:COLUMN: LEVEL: text", or without the position for messages about the whole file.
    static const QRegularExpression withPosition(
        QStringLiteral("^mandoc: .*:(\\d+):(\\d+): ([A-Z]+): (.*)$"));
    static const QRegularExpression withoutPosition(QStringLiteral("^mandoc: .*: ([A-Z]+): (.*)$"));
    QList<Message> messages;
    for (const QString &line : QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts)) {
        if (const QRegularExpressionMatch match = withPosition.match(line); match.hasMatch()) {
            messages.append({ match.captured(3), match.captured(1).toInt(), match.captured(2).toInt(),
                match.captured(4) });
        } else if (const QRegularExpressionMatch whole = withoutPosition.match(line); whole.hasMatch()) {
            messages.append({ whole.captured(1), 0, 0, whole.captured(2) });
        } else {
            messages.append({ QString(), 0, 0, line });
        }
    }
    // mandoc reports some checks at the end of the parse; a reader wants them by line.
    std::stable_sort(
        messages.begin(), messages.end(), [](const Message &a, const Message &b) { return a.line < b.line; });
    return messages;
}

QString formatted(const Message &message)
{
    return message.level + u'\t' + QString::number(message.line) + u'\t' + message.text;
}

QFuture<Result> check(const QString &path, const RenderTools &tools)
{
    return ProcessRunner::run(tools.formatter, arguments(absolute(path)),
        ManPageRenderer::formatterDirectory(path), tools.formatterTimeoutMilliseconds)
        .then(resultOf);
}

Result checkBlocking(const QString &path, const RenderTools &tools)
{
    return resultOf(ProcessRunner::runBlocking(tools.formatter, arguments(absolute(path)),
        ManPageRenderer::formatterDirectory(path), tools.formatterTimeoutMilliseconds));
}

} // namespace Lectorin::ManLint

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/searchpaths.h"

#include "catalogue/processrunner.h"

#include <QDir>
#include <QStringDecoder>

namespace Lectorin::SearchPaths {
namespace {

QString loginShell()
{
    const QString shell = qEnvironmentVariable("SHELL");
    return shell.isEmpty() ? QStringLiteral("/bin/zsh") : shell;
}

// A login shell whose start-up files wait for something must not keep the first catalogue load waiting.
constexpr int kDiscoveryTimeoutMilliseconds = 10000;

std::optional<QStringList> directoriesPrintedBy(
    const QString &executable, const QStringList &arguments, const SpawnedProcess::Cancellation *cancellation)
{
    const ProcessRunner::RunResult result = ProcessRunner::runBlocking(
        executable, arguments, QString(), kDiscoveryTimeoutMilliseconds, {}, cancellation);
    if (!result.started())
        return std::nullopt;
    return parsePathList(result.output);
}

QStringView trimmedHorizontally(QStringView line)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!line.isEmpty() && isBlank(line.front()))
        line = line.mid(1);
    while (!line.isEmpty() && isBlank(line.back()))
        line.chop(1);
    return line;
}

bool wasCancelled(const SpawnedProcess::Cancellation *cancellation)
{
    return cancellation && cancellation->isCancelled();
}

} // namespace

QStringList manualDirectories(const SpawnedProcess::Cancellation *cancellation)
{
    if (auto fromShell = directoriesPrintedBy(loginShell(), { "-l", "-c", "manpath" }, cancellation))
        return *fromShell;
    if (wasCancelled(cancellation))
        return {};
    if (auto fromManpath = directoriesPrintedBy(QStringLiteral("/usr/bin/manpath"), {}, cancellation))
        return *fromManpath;
    if (wasCancelled(cancellation))
        return {};
    return { QStringLiteral("/usr/share/man") };
}

QStringList commandDirectories(const SpawnedProcess::Cancellation *cancellation)
{
    if (auto fromShell = directoriesPrintedBy(loginShell(), { "-l", "-c", "echo \"$PATH\"" }, cancellation))
        return *fromShell;
    if (wasCancelled(cancellation))
        return {};
    return { QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin"),
        QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") };
}

std::optional<QStringList> parsePathList(const QByteArray &output)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(output);
    if (decoder.hasError())
        return std::nullopt;

    const QList<QStringView> lines = QStringView(text).split(u'\n', Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QStringView trimmed = trimmedHorizontally(*line);
        if (!trimmed.contains(u'/'))
            continue;
        QStringList directories;
        const QDir workingDirectory = QDir::current();
        for (QStringView piece : trimmed.split(u':', Qt::SkipEmptyParts))
            directories.append(QDir::isAbsolutePath(piece.toString())
                    ? piece.toString()
                    : workingDirectory.absoluteFilePath(piece.toString()));
        if (directories.isEmpty())
            return std::nullopt;
        return directories;
    }
    return std::nullopt;
}

} // namespace Lectorin::SearchPaths

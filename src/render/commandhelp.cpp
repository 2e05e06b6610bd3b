// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandhelp.h"

#include "catalogue/processrunner.h"
#include "render/commandhelpcache.h"
#include "render/manpagerenderer.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringBuilder>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>
#include <QtConcurrent>

#include <csignal>
#include <unistd.h>

namespace Lectorin::CommandHelp {
namespace {

QProcessEnvironment helpEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    environment.insert(QStringLiteral("NO_COLOR"), QStringLiteral("1"));
    environment.insert(QStringLiteral("COLUMNS"), QStringLiteral("100"));
    return environment;
}

// The try's process group: the command and everything it started, so a child that inherited the output
// cannot outlive the limits.
void signalGroup(qint64 processGroup, int signalNumber)
{
    if (processGroup > 0)
        ::kill(pid_t(-processGroup), signalNumber);
}

qsizetype nonEmptyLineCount(QStringView text)
{
    qsizetype count = 0;
    for (const QStringView line : text.tokenize(u'\n', Qt::SkipEmptyParts)) {
        Q_UNUSED(line);
        ++count;
    }
    return count;
}

QStringView trimmedOfSpacesAndTabs(QStringView line)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!line.isEmpty() && isBlank(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isBlank(line.back()))
        line.chop(1);
    return line;
}

} // namespace

QFuture<Output> helpOutput(const QString &executablePath, CommandHelpCache *cache)
{
    return (cache ? *cache : CommandHelpCache::shared()).helpOutput(executablePath);
}

QByteArray runHelpCommandBlocking(const QString &executablePath, const QString &flag)
{
    // Many commands take "help" as a file operand; an empty folder of its own keeps the user's files out of
    // reach.
    QTemporaryDir workingDirectory;
    if (!workingDirectory.isValid())
        return QByteArray();

    QProcess process;
    process.setProgram(executablePath);
    process.setArguments({ flag });
    process.setProcessEnvironment(helpEnvironment());
    process.setWorkingDirectory(workingDirectory.path());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        kHelpLimits.applyToThisProcess();
    });
    const QDeadlineTimer terminateDeadline(kTerminateAfterMilliseconds);
    const QDeadlineTimer killDeadline(kKillAfterMilliseconds);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(kKillAfterMilliseconds))
        return QByteArray();
    const qint64 processGroup = process.processId();

    QByteArray buffer;
    bool terminateSent = false;
    for (;;) {
        buffer.append(process.read(kOutputLimit - buffer.size()));
        if (buffer.size() >= kOutputLimit || process.state() == QProcess::NotRunning
            || killDeadline.hasExpired())
            break;
        if (!terminateSent && terminateDeadline.hasExpired()) {
            signalGroup(processGroup, SIGTERM);
            terminateSent = true;
        }
        const QDeadlineTimer &next = terminateSent ? killDeadline : terminateDeadline;
        process.waitForReadyRead(int(qMax<qint64>(1, next.remainingTime())));
    }

    if (process.state() != QProcess::NotRunning) {
        if (!killDeadline.hasExpired())
            signalGroup(processGroup, SIGTERM);
        if (!process.waitForFinished(int(qMax<qint64>(1, killDeadline.remainingTime())))) {
            signalGroup(processGroup, SIGKILL);
            process.waitForFinished(-1);
        }
    }
    // Whatever the command left behind in its group goes with it.
    signalGroup(processGroup, SIGKILL);
    return buffer;
}

QFuture<QByteArray> runHelpCommand(const QString &executablePath, const QString &flag)
{
    return QtConcurrent::run(ProcessRunner::waitingPool(),
        [executablePath, flag] { return runHelpCommandBlocking(executablePath, flag); });
}

Output runHelpTries(const QString &executablePath)
{
    Output best;
    qsizetype bestLineCount = 0;
    for (const QString &flag : kHelpTries) {
        QString text = cleanHelpText(runHelpCommandBlocking(executablePath, flag));
        if (text.trimmed().isEmpty())
            continue;
        if (looksLikeUsage(text))
            return { std::move(text), flag };
        if (const qsizetype lineCount = nonEmptyLineCount(text); lineCount > bestLineCount) {
            bestLineCount = lineCount;
            best = { std::move(text), flag };
        }
    }
    return best;
}

QString cleanHelpText(const QByteArray &bytes)
{
    static const QRegularExpression controlSequence(QStringLiteral("\x1b\\[[0-?]*[ -/]*[@-~]"));
    static const QRegularExpression escapedCharacter(QStringLiteral("\x1b."));
    QString text = QString::fromUtf8(bytes);
    text.remove(controlSequence);
    text.remove(escapedCharacter);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return removeBackspaces(text);
}

QString removeBackspaces(const QString &text)
{
    if (!text.contains(u'\b'))
        return text;
    QList<QStringView> kept;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (graphemes.toNextBoundary() != -1) {
        const qsizetype end = graphemes.position();
        const QStringView character = QStringView(text).sliced(start, end - start);
        start = end;
        if (character == u"\b") {
            if (!kept.isEmpty())
                kept.removeLast();
        } else {
            kept.append(character);
        }
    }
    QString result;
    result.reserve(text.size());
    for (const QStringView character : std::as_const(kept))
        result.append(character);
    return result;
}

bool looksLikeUsage(QStringView text)
{
    static const QStringList usageWords { QStringLiteral("usage"), QStringLiteral("options:"),
        QStringLiteral("commands:"), QStringLiteral("subcommands:") };
    for (const QString &word : usageWords) {
        if (text.contains(word, Qt::CaseInsensitive))
            return true;
    }
    int optionLines = 0;
    for (const QStringView line : text.tokenize(u'\n', Qt::SkipEmptyParts)) {
        const QStringView trimmed = trimmedOfSpacesAndTabs(line);
        if (trimmed.startsWith(u'-') && graphemeCount(trimmed) >= 2)
            ++optionLines;
    }
    return optionLines >= 3;
}

QString escapeHTML(QStringView text)
{
    QString escaped = text.toString();
    escaped.replace(u'&', QStringLiteral("&amp;"));
    escaped.replace(u'<', QStringLiteral("&lt;"));
    escaped.replace(u'>', QStringLiteral("&gt;"));
    return escaped;
}

QString commandHelpBody(const ManPage &page, const Output &output)
{
    const QString name = escapeHTML(page.name);
    QString note;
    QString extra;
    if (output.flag) {
        note = u"<code>" % name % u"</code> has no manual page on this system \u2014 below is the output of "
            % u"<code>" % name % u' ' % *output.flag % u"</code>, from <code>" % escapeHTML(page.path())
            % u"</code>.";
        extra = u"<pre class=\"lectorin-help-output\">" % escapeHTML(output.text) % u"</pre>";
    } else {
        note = u"<code>" % name
            % u"</code> has no manual page on this system, and printed nothing when asked for help "
              u"(<code>--help</code>, <code>-h</code> and <code>help</code> were tried).";
    }
    return u"<table class=\"head\"><tbody><tr>\n<td class=\"head-ltitle\">" % name
        % u"</td>\n<td class=\"head-vol\">Command Help</td>\n<td class=\"head-rtitle\">" % name
        % u"</td>\n</tr></tbody></table>\n<div class=\"manual-text\">\n<p class=\"lectorin-help-note\">"
        % note % u"</p>\n" % extra % u"\n</div>";
}

QFuture<QString> commandHelpHTML(const ManPage &page, const std::optional<ManPagePalette> &palette,
    double fontScale, CommandHelpCache *cache)
{
    return helpOutput(page.path(), cache).then([page, palette, fontScale](const Output &output) {
        return ManPageRenderer::documentHTML(page.name, commandHelpBody(page, output), palette, fontScale);
    });
}

} // namespace Lectorin::CommandHelp

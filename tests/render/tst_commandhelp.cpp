// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandhelp.h"
#include "render/commandhelpcache.h"
#include "render/manpagerenderer.h"
#include "renderfixtures.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <csignal>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace {

// Generous bound for a try that has to be stopped by the kill deadline (4 s) instead of its own 30 s sleep.
constexpr qint64 kStoppedTryBoundMilliseconds = 15000;

bool processIsGone(const QByteArray &pidText)
{
    bool ok = false;
    const int pid = pidText.trimmed().toInt(&ok);
    return ok && ::kill(pid, 0) != 0;
}

} // namespace

class CommandHelpTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void cleanHelpText_data();
    void cleanHelpText();
    void removeBackspaces_data();
    void removeBackspaces();
    void looksLikeUsage_data();
    void looksLikeUsage();
    void commandHelpBody_notes();

    void usageOnHelp_isChosenAfterOneRun();
    void mostLines_winsAndEarlierWinsATie_data();
    void mostLines_winsAndEarlierWinsATie();
    void standardErrorOnly_isUsed();
    void nothingPrinted_isCachedAsNothing();
    void cache_startsACommandOnce();
    void run_hasHelpEnvironmentAndEmptyWorkingDirectory();
    void run_ignoringTerminate_isKilledWithItsGroup();
    void run_childHoldingOutput_doesNotHoldTheTry();
    void run_flood_isCutAtTheLimit();
    void run_missingExecutable_givesNothing();
    void run_isHeldToMemoryAndProcessorLimits();
    void hungHelpCommands_leavePageRendersFree();

private:
    QString script(const QString &name, const QByteArray &body);
    QStringList logLines(const QString &name) const;

    QTemporaryDir m_dir;
};

void CommandHelpTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

QString CommandHelpTest::script(const QString &name, const QByteArray &body)
{
    const QString path = m_dir.filePath(u"bin/" + name);
    const QByteArray log = m_dir.filePath(name + u".log").toUtf8();
    if (!writeScript(path, "echo \"$1\" >> '" + log + "'\n" + body))
        return QString();
    return path;
}

QStringList CommandHelpTest::logLines(const QString &name) const
{
    return QString::fromUtf8(readFile(m_dir.filePath(name + u".log"))).split(u'\n', Qt::SkipEmptyParts);
}

void CommandHelpTest::cleanHelpText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("colour codes") << QByteArray("\x1b[1mbold\x1b[0m and \x1b[38;5;196mred\x1b[m")
                                  << u"bold and red"_qs;
    QTest::newRow("other escapes") << QByteArray("a\x1b=b\x1b(c") << u"abc"_qs;
    QTest::newRow("overstruck bold") << QByteArray("N\bNA\bAM\bME\bE") << u"NAME"_qs;
    QTest::newRow("underline") << QByteArray("_\bf_\bi_\bl_\be") << u"file"_qs;
    QTest::newRow("crlf") << QByteArray("a\r\nb") << u"a\nb"_qs;
    QTest::newRow("lone cr") << QByteArray("a\rb\r") << u"a\nb\n"_qs;
    QTest::newRow("invalid UTF-8") << QByteArray("a\xff"
                                                 "b")
                                   << u"a\uFFFDb"_qs;
}

void CommandHelpTest::cleanHelpText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(CommandHelp::cleanHelpText(bytes), text);
}

void CommandHelpTest::removeBackspaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("leading") << u"\bx"_qs << u"x"_qs;
    QTest::newRow("two back") << u"ab\b\bcd"_qs << u"cd"_qs;
    QTest::newRow("grapheme") << u"e\u0301\be\u0301"_qs << u"e\u0301"_qs;
    QTest::newRow("emoji") << u"\U0001F600\b\U0001F600!"_qs << u"\U0001F600!"_qs;
}

void CommandHelpTest::removeBackspaces()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(CommandHelp::removeBackspaces(text), result);
}

void CommandHelpTest::looksLikeUsage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("usage");
    QTest::newRow("usage word") << u"USAGE: tool"_qs << true;
    QTest::newRow("subcommands") << u"SubCommands:"_qs << true;
    QTest::newRow("three option lines") << u"  -a\n\t-b  \n-c all\n"_qs << true;
    QTest::newRow("two option lines") << u"-a\n-b\nplain\n"_qs << false;
    QTest::newRow("lone dashes") << u"-\n -\n-\n-x\n"_qs << false;
    QTest::newRow("error") << u"tool: unknown flag\ntry again\n"_qs << false;
}

void CommandHelpTest::looksLikeUsage()
{
    QFETCH(QString, text);
    QFETCH(bool, usage);
    QCOMPARE(CommandHelp::looksLikeUsage(text), usage);
}

void CommandHelpTest::commandHelpBody_notes()
{
    const ManPage page = helpPage(QStringLiteral("/usr/local/bin/tool"));
    const QString found
        = CommandHelp::commandHelpBody(page, { u"Usage: tool <file> & \"more\" &lt;"_qs, u"--help"_qs });
    QVERIFY(
        found.contains(u"<p class=\"lectorin-help-note\"><code>tool</code> has no manual page on this system "
                       u"\u2014 below is the output of <code>tool --help</code>, from "
                       u"<code>/usr/local/bin/tool</code>.</p>\n"));
    QVERIFY(found.endsWith(u"<pre class=\"lectorin-help-output\">Usage: tool &lt;file&gt; &amp; \"more\" "
                           u"&amp;lt;</pre>\n</div>"));
    QVERIFY(
        found.startsWith(u"<table class=\"head\"><tbody><tr>\n<td class=\"head-ltitle\">tool</td>\n"
                         u"<td class=\"head-vol\">Command Help</td>\n<td class=\"head-rtitle\">tool</td>\n"
                         u"</tr></tbody></table>\n<div class=\"manual-text\">\n"));

    const QString nothing = CommandHelp::commandHelpBody(page, {});
    QVERIFY(
        nothing.endsWith(u"<code>tool</code> has no manual page on this system, and printed nothing when "
                         u"asked for help (<code>--help</code>, <code>-h</code> and <code>help</code> were "
                         u"tried).</p>\n\n</div>"));
}

void CommandHelpTest::usageOnHelp_isChosenAfterOneRun()
{
    const QString tool = script(QStringLiteral("usage"), "echo 'Usage: tool [-v] file'\n");
    CommandHelpCache cache;
    const CommandHelp::Output output = waitFor(CommandHelp::helpOutput(tool, &cache));
    QCOMPARE(output, (CommandHelp::Output { u"Usage: tool [-v] file\n"_qs, u"--help"_qs }));
    QCOMPARE(logLines(QStringLiteral("usage")), QStringList { u"--help"_qs });
}

void CommandHelpTest::mostLines_winsAndEarlierWinsATie_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("text");
    QTest::newRow("more lines for -h") << QByteArray(
        "case \"$1\" in --help) printf 'bad flag\\ntry -h\\n';; -h) printf 'a\\nb\\n\\nc\\nd\\ne\\n';; "
        "*) printf 'x\\n';; esac\n") << u"-h"_qs
                                       << u"a\nb\n\nc\nd\ne\n"_qs;
    QTest::newRow("tie keeps --help") << QByteArray(
        "case \"$1\" in --help) printf 'p\\nq\\n';; -h) printf 'r\\ns\\n';; *) printf 't\\n';; esac\n")
                                      << u"--help"_qs << u"p\nq\n"_qs;
    QTest::newRow("only help prints")
        << QByteArray("case \"$1\" in help) printf 'topics\\n';; *) printf '  \\n';; esac\n") << u"help"_qs
        << u"topics\n"_qs;
}

void CommandHelpTest::mostLines_winsAndEarlierWinsATie()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, flag);
    QFETCH(QString, text);
    const QString name = u"lines-"_qs + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
    CommandHelpCache cache;
    const CommandHelp::Output output = waitFor(CommandHelp::helpOutput(script(name, body), &cache));
    QCOMPARE(output, (CommandHelp::Output { text, flag }));
    QCOMPARE(logLines(name).size(), 3);
}

void CommandHelpTest::standardErrorOnly_isUsed()
{
    const QString tool
        = script(QStringLiteral("stderr"), "echo 'out first'; echo 'usage: tool' >&2; exit 2\n");
    CommandHelpCache cache;
    const CommandHelp::Output output = waitFor(CommandHelp::helpOutput(tool, &cache));
    QCOMPARE(output, (CommandHelp::Output { u"out first\nusage: tool\n"_qs, u"--help"_qs }));
}

void CommandHelpTest::nothingPrinted_isCachedAsNothing()
{
    const QString tool = script(QStringLiteral("silent"), "printf '\\n   \\n'\n");
    CommandHelpCache cache;
    QCOMPARE(waitFor(CommandHelp::helpOutput(tool, &cache)), CommandHelp::Output {});
    QCOMPARE(waitFor(CommandHelp::helpOutput(tool, &cache)), CommandHelp::Output {});
    QCOMPARE(logLines(QStringLiteral("silent")), (QStringList { u"--help"_qs, u"-h"_qs, u"help"_qs }));
}

void CommandHelpTest::cache_startsACommandOnce()
{
    const QString tool = script(QStringLiteral("cached"), "echo 'Usage: cached'\n");
    CommandHelpCache cache;
    const QFuture<CommandHelp::Output> first = CommandHelp::helpOutput(tool, &cache);
    const QFuture<CommandHelp::Output> concurrent = CommandHelp::helpOutput(tool, &cache);
    QCOMPARE(waitFor(first).flag, u"--help"_qs);
    QCOMPARE(waitFor(concurrent), waitFor(first));
    QCOMPARE(waitFor(CommandHelp::helpOutput(tool, &cache)), waitFor(first));
    QCOMPARE(logLines(QStringLiteral("cached")).size(), 1);
}

void CommandHelpTest::run_hasHelpEnvironmentAndEmptyWorkingDirectory()
{
    const QString tool = script(QStringLiteral("environment"),
        "echo \"$TERM $NO_COLOR $COLUMNS\"; ls -A | wc -l; cat; pwd -P; "
        "touch help\n");
    const QStringList lines = QString::fromUtf8(CommandHelp::runHelpCommandBlocking(tool, u"help"_qs))
                                  .split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), u"dumb 1 100"_qs);
    QCOMPARE(lines.at(1).trimmed(), u"0"_qs);
    QVERIFY(lines.at(2) != QDir::currentPath());
    QVERIFY(!QFileInfo::exists(lines.at(2)));
    QVERIFY(!QFile::exists(QDir::current().filePath(u"help"_qs)));
}

void CommandHelpTest::run_ignoringTerminate_isKilledWithItsGroup()
{
    const QString pidFile = m_dir.filePath(u"hang.pid"_qs);
    const QString tool = script(QStringLiteral("hang"),
        "trap '' TERM; echo started; sleep 30 & echo $! > '" + pidFile.toUtf8() + "'; wait; echo never\n");
    QElapsedTimer timer;
    timer.start();
    const QByteArray output = CommandHelp::runHelpCommandBlocking(tool, u"--help"_qs);
    QVERIFY(timer.elapsed() < kStoppedTryBoundMilliseconds);
    QCOMPARE(output, QByteArray("started\n"));
    QTRY_VERIFY(processIsGone(readFile(pidFile)));
}

void CommandHelpTest::run_childHoldingOutput_doesNotHoldTheTry()
{
    const QString pidFile = m_dir.filePath(u"holder.pid"_qs);
    const QString tool = script(
        QStringLiteral("holder"), "sleep 30 & echo $! > '" + pidFile.toUtf8() + "'; echo 'Usage: holder'\n");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(CommandHelp::runHelpCommandBlocking(tool, u"--help"_qs), QByteArray("Usage: holder\n"));
    QVERIFY(timer.elapsed() < kStoppedTryBoundMilliseconds);
    QTRY_VERIFY(processIsGone(readFile(pidFile)));
}

void CommandHelpTest::run_flood_isCutAtTheLimit()
{
    const QString tool = script(QStringLiteral("flood"), "exec yes 'Usage: flood and more flood'\n");
    const QByteArray output = CommandHelp::runHelpCommandBlocking(tool, u"--help"_qs);
    QCOMPARE(output.size(), CommandHelp::kOutputLimit);
    QVERIFY(output.startsWith("Usage: flood and more flood\n"));
}

void CommandHelpTest::run_missingExecutable_givesNothing()
{
    QCOMPARE(CommandHelp::runHelpCommandBlocking(m_dir.filePath(u"bin/none"_qs), u"--help"_qs), QByteArray());
    CommandHelpCache cache;
    QCOMPARE(
        waitFor(CommandHelp::helpOutput(m_dir.filePath(u"bin/none"_qs), &cache)), CommandHelp::Output {});
}

void CommandHelpTest::run_isHeldToMemoryAndProcessorLimits()
{
    const QString tool = script("limited", "ulimit -v\nulimit -t\n");
    QCOMPARE(CommandHelp::runHelpCommandBlocking(tool, "--help"),
        QByteArray::number(CommandHelp::kHelpLimits.addressSpaceBytes / 1024) + '\n'
            + QByteArray::number(CommandHelp::kHelpLimits.processorSeconds) + '\n');
}

// More commands that ignore SIGTERM than the global pool has threads, all asked at once, and then a page: the
// page is formatted while they are still being waited for.
void CommandHelpTest::hungHelpCommands_leavePageRendersFree()
{
    CommandHelpCache cache;
    QList<QFuture<CommandHelp::Output>> helps;
    for (int i = 0; i <= QThreadPool::globalInstance()->maxThreadCount(); ++i) {
        const QString tool = script(
            u"stubborn" + QString::number(i), "[ \"$1\" = --help ] || exit 0\ntrap '' TERM\nsleep 30\n");
        helps.append(cache.helpOutput(tool));
    }
    const QString pagePath = m_dir.filePath("man/man1/hello.1");
    QVERIFY(writeFile(pagePath, kManPage));
    RenderTools tools;
    tools.helpCache = &cache;
    const auto rendered
        = ManPageRenderer::render(manualPage(pagePath, "hello", "1"), std::nullopt, 1.0, tools);
    QTRY_VERIFY_WITH_TIMEOUT(rendered.isFinished(), kStoppedTryBoundMilliseconds);
    for (const QFuture<CommandHelp::Output> &help : std::as_const(helps))
        QVERIFY(!help.isFinished());
    QVERIFY(rendered.result().document.contains(u"say h"));
    for (const QFuture<CommandHelp::Output> &help : std::as_const(helps))
        QTRY_VERIFY_WITH_TIMEOUT(help.isFinished(), 4 * kStoppedTryBoundMilliseconds);
}

QTEST_GUILESS_MAIN(CommandHelpTest)
#include "tst_commandhelp.moc"

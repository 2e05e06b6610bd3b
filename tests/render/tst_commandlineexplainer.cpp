// SPDX-License-Identifier: GPL-3.0-or-later
// The explainer over fixed option indexes shaped like the real pages, the --help reader, and lectorin-cli
// explain over pages the test writes.
#include "render/commandlineexplainer.h"
#include "render/optionindex.h"
#include "explainerfixtures.h"
#include "renderfixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::ExplainerFixtures;
using namespace Lectorin::RenderFixtures;

class CommandLineExplainerTest : public QObject
{
    Q_OBJECT

private slots:
    void explain_data();
    void explain();
    void longLine_asksEachPageOnce();
    void parts_spanTheirQuotedWords();
    void fromHelpText_readsGnuAndCommandLists();
    void cli_explainsPagesAndHelpCommands();
};

void CommandLineExplainerTest::explain_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("cluster, the next word its argument") << "tar -xzvf backup.tgz -C /tmp"
                                                         << QStringList {
                                                                "command|tar|1/tar|an archiving utility",
                                                                "option|-x|1/tar|x|Extract files.",
                                                                "option|-z|1/tar|z|Filter through gzip.",
                                                                "option|-v|1/tar|v|List files.",
                                                                "option|-f|1/tar|f|Use archive file.",
                                                                "argument|backup.tgz|-f",
                                                                "option|-C|1/tar|C|Change to DIR.",
                                                                "argument|/tmp|-C",
                                                            };
    QTest::newRow("subcommand page") << "git commit -am 'msg'"
                                     << QStringList {
                                            "command|git|1/git|the stupid content tracker",
                                            "command|commit|1/git-commit|Record changes",
                                            "option|-a|1/git-commit|a|Stage modified files.",
                                            "option|-m|1/git-commit|m|Use <msg>.",
                                            "argument|msg|-m",
                                        };
    QTest::newRow("one-dash long options") << "find . -name '*.o' -mtime +7 -delete"
                                           << QStringList {
                                                  "command|find|1/find|search for files",
                                                  "operand|.",
                                                  "option|-name|1/find|name|Base of file name matches.",
                                                  "argument|*.o|-name",
                                                  "option|-mtime|1/find|mtime|Modified n days ago.",
                                                  "argument|+7|-mtime",
                                                  "option|-delete|1/find|delete|Delete files.",
                                              };
    QTest::newRow("pipeline, BSD options") << "ps aux | grep -v grep | sort -k3 -rn | head"
                                           << QStringList {
                                                  "command|ps|1/ps|report processes",
                                                  "option|a|1/ps|a|All with a tty.",
                                                  "option|u|1/ps|u|User format.",
                                                  "option|x|1/ps|x|Without a tty.",
                                                  "command|grep|1/grep|print lines that match patterns",
                                                  "option|-v|1/grep|v|Invert.",
                                                  "operand|grep",
                                                  "command|sort|1/sort|sort lines",
                                                  "option|-k|1/sort|k|sort via a key",
                                                  "argument|3|-k",
                                                  "option|-r|1/sort|r|reverse",
                                                  "option|-n|1/sort|n|numeric",
                                                  "command|head|1/head|output the first part",
                                              };
    QTest::newRow("attached arguments") << "sort -t: -k2,2n data | cut -d, -f1 | grep --include=*.c -e x"
                                        << QStringList {
                                               "command|sort|1/sort|sort lines",
                                               "option|-t|1/sort|t|use SEP",
                                               "argument|:|-t",
                                               "option|-k|1/sort|k|sort via a key",
                                               "argument|2,2n|-k",
                                               "operand|data",
                                               "command|cut|1/cut|remove sections",
                                               "option|-d|1/cut|d|use DELIM",
                                               "argument|,|-d",
                                               "option|-f|1/cut|f|select fields",
                                               "argument|1|-f",
                                               "command|grep|1/grep|print lines that match patterns",
                                               "option|--include|1/grep|include|Search only GLOB.",
                                               "argument|*.c|--include",
                                               "option|-e|1/grep|e|Use PATTERNS.",
                                               "argument|x|-e",
                                           };
    QTest::newRow("long prefixes, unknown letters, rest of the cluster")
        << "tar --direct=/srv --exclu x -xqf a.tar -xfarchive.tar"
        << QStringList {
               "command|tar|1/tar|an archiving utility",
               "option|--direct|1/tar|C|Change to DIR.",
               "argument|/srv|--directory",
               "unknown|--exclu|1/tar",
               "operand|x",
               "option|-x|1/tar|x|Extract files.",
               "unknown|-q|1/tar",
               "option|-f|1/tar|f|Use archive file.",
               "argument|a.tar|-f",
               "option|-x|1/tar|x|Extract files.",
               "option|-f|1/tar|f|Use archive file.",
               "argument|archive.tar|-f",
           };
    QTest::newRow("key=value operands") << "dd if=/dev/zero of=out bs=1M count=1"
                                        << QStringList {
                                               "command|dd|1/dd|convert and copy a file",
                                               "option|if|1/dd|if|read from FILE",
                                               "argument|/dev/zero|if",
                                               "option|of|1/dd|of|write to FILE",
                                               "argument|out|of",
                                               "option|bs|1/dd|bs|BYTES at a time",
                                               "argument|1M|bs",
                                               "operand|count=1",
                                           };
    QTest::newRow("prefix, subcommand in the page")
        << "sudo -u root systemctl --user restart nginx"
        << QStringList {
               "command|sudo|8/sudo|run as another user",
               "option|-u|8/sudo|u|Run as user.",
               "argument|root|-u",
               "command|systemctl|1/systemctl|Control systemd",
               "option|--user|1/systemctl|user|Talk to the user's manager.",
               "option|restart|1/systemctl|restart|Restart units.",
               "operand|nginx",
           };
    QTest::newRow("assignments, env, xargs")
        << "LC_ALL=C env -i A=b find . -print0 | xargs -0 -n1 -I{} grep -e {} x"
        << QStringList {
               "operand|LC_ALL=C",
               "command|env|1/env|run in a modified environment",
               "option|-i|1/env|i|start empty",
               "operand|A=b",
               "command|find|1/find|search for files",
               "operand|.",
               "unknown|-print0|1/find",
               "command|xargs|1/xargs|build command lines",
               "option|-0|1/xargs|0|Null-terminated.",
               "option|-n|1/xargs|n|At most max-args.",
               "argument|1|-n",
               "option|-I|1/xargs|I|Replace replace-str.",
               "argument|{}|-I",
               "command|grep|1/grep|print lines that match patterns",
               "option|-e|1/grep|e|Use PATTERNS.",
               "argument|{}|-e",
               "operand|x",
           };
    QTest::newRow("abbreviated and named subcommand pages")
        << "ip -4 addr show dev && openssl x509 -in c.pem"
        << QStringList {
               "command|ip|8/ip|manipulate routing",
               "option|-4|8/ip|4|IPv4 only.",
               "command|addr|8/ip-address|address management",
               "option|show|8/ip-address|show|look at addresses.",
               "operand|dev",
               "command|openssl|1ssl/openssl|OpenSSL program",
               "command|x509|1ssl/openssl-x509|Certificate command",
               "option|-in|1ssl/openssl-x509|in|The input.",
               "argument|c.pem|-in",
           };
    QTest::newRow("end of options, help text, unknown commands")
        << "grep -v -- -x; frob -q --quiet --bogus; nosuch -x arg"
        << QStringList {
               "command|grep|1/grep|print lines that match patterns",
               "option|-v|1/grep|v|Invert.",
               "option|--|1/grep||The end of the options: the words after it are operands.",
               "operand|-x",
               "command|frob|help/frob|",
               "option|-q|help/frob||Print nothing.",
               "option|--quiet|help/frob||Print nothing.",
               "unknown|--bogus|help/frob",
               "unknown|nosuch|",
               "unknown|-x|",
               "operand|arg",
           };
    QTest::newRow("quotes, escapes, open quote") << R"(grep -e "a b" c\ d $(date +%s) 'open quote; sort)"
                                                 << QStringList {
                                                        "command|grep|1/grep|print lines that match patterns",
                                                        "option|-e|1/grep|e|Use PATTERNS.",
                                                        "argument|a b|-e",
                                                        "operand|c d",
                                                        "operand|$(date +%s)",
                                                        "operand|open quote; sort",
                                                    };
    QTest::newRow("open double quote")
        << R"(head "x y)" << QStringList { "command|head|1/head|output the first part", "operand|x y" };
    QTest::newRow("paths, redirections, keywords")
        << "if /usr/bin/sort -n <in.txt >out.txt 2>&1; then head -n 5 file; fi"
        << QStringList {
               "command|/usr/bin/sort|1/sort|sort lines",
               "option|-n|1/sort|n|numeric",
               "command|head|1/head|output the first part",
               "option|-n|1/head|n|print NUM lines",
               "argument|5|-n",
               "operand|file",
           };
}

void CommandLineExplainerTest::explain()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    FakeCatalogue catalogue = fakeCatalogue();
    const QStringList got = rows(CommandLineExplainer::explain(line, catalogue.sources()));
    QCOMPARE(got, tabbed(expected));
}

void CommandLineExplainerTest::longLine_asksEachPageOnce()
{
    FakeCatalogue catalogue = fakeCatalogue();
    // Eleven words a round: 10,010 in all.
    QString line;
    for (int i = 0; i < 910; ++i)
        line += QStringLiteral("tar -xzvf a.tgz -C /tmp | git commit -am m && frob -q ; ");
    const QList<CommandLineExplainer::Part> parts = CommandLineExplainer::explain(line, catalogue.sources());
    QCOMPARE(parts.size(), 910 * 15);
    for (const char *id : { "1/tar", "1/git", "1/git-commit" })
        QCOMPARE(catalogue.definitionCalls.value(id), 1);
    QCOMPARE(catalogue.definitionCalls.size(), 3);
    for (auto calls = catalogue.pageCalls.cbegin(); calls != catalogue.pageCalls.cend(); ++calls)
        QVERIFY2(calls.value() == 1, qPrintable(calls.key()));
    QCOMPARE(catalogue.helpCalls.value("frob"), 1);

    // One command of ten thousand words, one of them a cluster of ten thousand letters.
    const QString words
        = QStringLiteral("grep") + QStringLiteral(" -v").repeated(9998) + u" -" + QString(10000, u'v');
    const QList<CommandLineExplainer::Part> single
        = CommandLineExplainer::explain(words, catalogue.sources());
    QCOMPARE(single.size(), 1 + 9998 + 10000);
    QCOMPARE(catalogue.definitionCalls.value("1/grep"), 1);
}

void CommandLineExplainerTest::parts_spanTheirQuotedWords()
{
    FakeCatalogue catalogue = fakeCatalogue();
    const QList<CommandLineExplainer::Part> parts
        = CommandLineExplainer::explain(u"tar  -xf'a b'", catalogue.sources());
    QCOMPARE(parts.size(), 4);
    QCOMPARE(parts.at(0).wordStart, 0);
    QCOMPARE(parts.at(0).wordLength, 3);
    for (const CommandLineExplainer::Part &part : parts.mid(1)) {
        QCOMPARE(part.wordStart, 5);
        QCOMPARE(part.wordLength, 8);
    }
    QCOMPARE(parts.at(3).text, QStringLiteral("a b"));
}

void CommandLineExplainerTest::fromHelpText_readsGnuAndCommandLists()
{
    const QString help
        = QStringLiteral("Usage: frob [OPTION]... [FILE]...\n"
                         "Frobnicate the FILEs.\n"
                         "\n"
                         "  -a, --all                  do not ignore entries starting with .\n"
                         "      --block-size=SIZE      with -l, scale sizes by SIZE when printing them;\n"
                         "                               e.g., '--block-size=M'.  See SIZE format below\n"
                         "                             -l is implied\n"
                         "  -f FILE\tread names from FILE\n"
                         "  -k, --key=KEYDEF           sort via a key; KEYDEF gives location and type\n"
                         "      --color[=WHEN]         color the output WHEN\n"
                         "  -o <file>                  Place the output into <file>.  Then stop.\n"
                         "      --[no-]pager-for-every-command-there-is\n"
                         "                             page the output\n"
                         "  bs=BYTES        read and write BYTES bytes at a time\n"
                         "Tests:\n"
                         "      -depth -maxdepth LEVELS -name PATTERN\n"
                         "\n"
                         "Commands:\n"
                         "  build    Compile the project\n"
                         "  clean    Remove what build made\n");
    const QList<OptionDefinition> expected {
        { Kind::option, {}, { "-a", "--all" }, false, false, "do not ignore entries starting with ." },
        { Kind::option, {}, { "--block-size" }, true, false,
            "with -l, scale sizes by SIZE when printing them; e.g., '--block-size=M'." },
        { Kind::option, {}, { "-f" }, true, false, "read names from FILE" },
        { Kind::option, {}, { "-k", "--key" }, true, false,
            "sort via a key; KEYDEF gives location and type" },
        { Kind::option, {}, { "--color" }, true, true, "color the output WHEN" },
        { Kind::option, {}, { "-o" }, true, false, "Place the output into <file>." },
        { Kind::option, {}, { "--pager-for-every-command-there-is", "--no-pager-for-every-command-there-is" },
            false, false, "page the output" },
        { Kind::option, {}, { "bs" }, true, false, "read and write BYTES bytes at a time" },
        { Kind::option, {}, { "-depth" }, false, false, {} },
        { Kind::option, {}, { "-maxdepth" }, true, false, {} },
        { Kind::option, {}, { "-name" }, true, false, {} },
        { Kind::subcommand, {}, { "build" }, false, false, "Compile the project" },
        { Kind::subcommand, {}, { "clean" }, false, false, "Remove what build made" },
    };
    QCOMPARE(OptionIndex::fromHelpText(help), expected);
    QVERIFY(OptionIndex::fromHelpText(QString(100000, u'-')).isEmpty());
}

void CommandLineExplainerTest::cli_explainsPagesAndHelpCommands()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("man/man1/arc.1"),
        ".Dd January 1, 2024\n.Dt ARC 1\n.Os\n.Sh NAME\n.Nm arc\n.Nd pack files into an archive\n"
        ".Sh SYNOPSIS\n.Nm\n.Op Fl x\n.Op Fl f Ar archive\n.Sh DESCRIPTION\n.Bl -tag -width Ds\n"
        ".It Fl x\nExtract the files.\n.It Fl f Ar archive\nRead the archive from\n.Ar archive .\n.El\n"));
    QVERIFY(writeScript(
        dir.filePath("bin/frob"), "echo 'Usage: frob [OPTION]...'\necho '  -q, --quiet   print nothing'\n"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath("config"));
    process.setProcessEnvironment(environment);
    const QStringList paths { "--manpath", dir.filePath("man"), "--path", dir.filePath("bin") };
    process.start(
        QStringLiteral(LECTORIN_CLI), QStringList { "explain", "arc -xf a.arc | frob -q 'open" } + paths);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QStringList lines
        = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("command\tarc\t1/arc\tpack files into an archive"));
    QCOMPARE(lines.mid(lines.size() - 3),
        tabbed({ "command|frob|help/frob|", "option|-q|help/frob||print nothing", "operand|open" }));

    process.start(QStringLiteral(LECTORIN_CLI), QStringList { "explain" } + paths);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 2);

    if (!lines.value(1).startsWith(u"option\t"))
        QSKIP("The render gives no option index yet");
    QVERIFY2(lines.value(1).startsWith(u"option\t-x\t1/arc\t"), qPrintable(lines.value(1)));
    QVERIFY2(lines.value(2).startsWith(u"option\t-f\t1/arc\t"), qPrintable(lines.value(2)));
    QCOMPARE(lines.value(3), QStringLiteral("argument\ta.arc\t-f"));
}

QTEST_GUILESS_MAIN(CommandLineExplainerTest)
#include "tst_commandlineexplainer.moc"

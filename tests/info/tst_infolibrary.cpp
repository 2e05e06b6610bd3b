// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the installed manuals, their dir menus, info URLs and the info commands of man page text.
#include "info/infopath.h"
#include "info/infourl.h"

#include "infofixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Lectorin;
using namespace Lectorin::InfoFixtures;

class InfoLibraryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void searchPath_data();
    void searchPath();
    void manuals_filesPartsCategoriesAndFirstDirectoryWins();
    void url_data();
    void url();
    void url_roundTripsThroughQUrl();
    void manPageText_data();
    void manPageText();
};

void InfoLibraryTest::searchPath_data()
{
    QTest::addColumn<QString>("infopath");
    QTest::addColumn<QStringList>("directories");
    const auto row = [](const char *tag, const QString &infopath, const QStringList &directories) {
        QTest::newRow(tag) << infopath << directories;
    };
    const QStringList defaults { "/usr/share/info", "/usr/local/share/info" };
    row("unset", QString(), defaults);
    row("only colons", "::", defaults);
    row("replaces", "/opt/info:/home/me/info", QStringList { "/opt/info", "/home/me/info" });
    row("empty components skipped", ":/a::/b", QStringList { "/a", "/b" });
    row("trailing colon adds defaults",
        "/a/:", QStringList { "/a", "/usr/share/info", "/usr/local/share/info" });
    row("no repeats",
        "/usr/share/info:/a:/a:", QStringList { "/usr/share/info", "/a", "/usr/local/share/info" });
}

void InfoLibraryTest::searchPath()
{
    QFETCH(QString, infopath);
    QFETCH(QStringList, directories);
    QCOMPARE(InfoPath::directories(infopath), directories);
    const QByteArray saved = qgetenv("INFOPATH");
    const bool wasSet = qEnvironmentVariableIsSet("INFOPATH");
    if (infopath.isNull())
        qunsetenv("INFOPATH");
    else
        qputenv("INFOPATH", infopath.toUtf8());
    QCOMPARE(InfoPath::directories(), directories);
    if (wasSet)
        qputenv("INFOPATH", saved);
    else
        qunsetenv("INFOPATH");
}

void InfoLibraryTest::manuals_filesPartsCategoriesAndFirstDirectoryWins()
{
    QTemporaryDir root;
    const QString first = root.filePath("first");
    const QString second = root.filePath("second");
    const QByteArray tool = manual("tool", toolNodes());
    QVERIFY(write(first + "/tool.info.gz", gzip(tool)));
    QVERIFY(write(first + "/tool.info", tool)); // the plain file wins over the compressed one
    const Split split = splitManual("big", { { toolNodes()[0] }, { toolNodes()[1] } });
    QVERIFY(write(first + "/big.info", split.main));
    QVERIFY(write(first + "/big.info-1", split.subfiles[0]));
    QVERIFY(write(first + "/big.info-2.gz", gzip(split.subfiles[1])));
    QVERIFY(write(first + "/plain", manual("plain", toolNodes())));
    QVERIFY(write(first + "/plain-1", "not a manual of its own"));
    QVERIFY(write(first + "/README", "This is not an Info file.\n"));
    QVERIFY(write(first + "/figure.png", manual("figure", toolNodes())));
    QVERIFY(write(first + "/dir",
        "-*- Text -*-\n\x1f\nFile: dir,\tNode: Top\tThis is the top of the INFO tree\n\n* Menu:\n\nBasics\n"
        "* Tool: (tool).          The tool,\n                            described.\n"
        "* tool-all: (tool)Invoking.   Everything.\n* Gone: (missing).        Not installed.\n\n"
        "Individual utilities\n* tool-n: (tool.info)Invoking.   Some.\n"));
    QVERIFY(write(second + "/tool.info", manual("other", toolNodes())));
    QVERIFY(write(second + "/Later.info.gz", gzip(manual("later", toolNodes()))));
    QVERIFY(write(second + "/bare.info", "\x1f\nFile: bare.info,  Node: Top,  Up: (dir)\n\nNo preamble.\n"));

    const InfoLibrary library = InfoPath::scan({ first, root.filePath("absent"), second });
    QStringList found;
    for (const InfoManual &manual : library.manuals)
        found.append(manual.name + u'=' + QFileInfo(manual.path).dir().dirName() + u'/'
            + QFileInfo(manual.path).fileName());
    QCOMPARE(found,
        (QStringList { "bare=second/bare.info", "big=first/big.info", "Later=second/Later.info.gz",
            "plain=first/plain", "tool=first/tool.info" }));
    const auto byName = [&library](const QString &name) { return *InfoPath::find(library.manuals, name); };
    QCOMPARE(byName("tool").category, "Basics");
    QCOMPARE(byName("tool").description, "The tool, described.");
    // Without a dir entry a manual describes itself in its preamble; with neither it is miscellaneous.
    QCOMPARE(byName("big").category, "Fixtures");
    QCOMPARE(byName("big").description, "A fixture.");
    QCOMPARE(byName("bare").category, InfoDir::kMiscellaneous);
    QCOMPARE(byName("later.info").name, "Later");
    QVERIFY(!InfoPath::find(library.manuals, QStringLiteral("plain-1")));

    QStringList menu;
    for (const InfoDirCategory &category : library.categories) {
        for (const InfoDirEntry &entry : category.entries)
            menu.append(category.name + u": " + entry.title + u" (" + entry.manual + u')' + entry.node);
    }
    QCOMPARE(menu,
        (QStringList { "Basics: Tool (tool)", "Basics: tool-all (tool)Invoking",
            "Individual utilities: tool-n (tool)Invoking", "Fixtures: big (big)", "Fixtures: later (later)",
            "Fixtures: plain (plain)", "Miscellaneous: bare (bare)" }));
}

void InfoLibraryTest::url_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reference"); // "manual/node"; empty: none
    const auto row = [](const char *tag, const QString &text, const QString &reference) {
        QTest::newRow(tag) << text << reference;
    };
    row("internal", "x-lectorin-info://coreutils/ls%20invocation", "coreutils/ls invocation");
    row("internal, no node", "x-lectorin-info://coreutils", "coreutils/Top");
    row("internal, slash", "x-lectorin-info://coreutils/", "coreutils/Top");
    row("internal, query and fragment", "X-Lectorin-Info://find/O_NOFOLLOW?lectorin-target=new-window#x",
        "find/O_NOFOLLOW");
    row("internal, encoded slash", "x-lectorin-info://gcc/a%2Fb", "gcc/a/b");
    row("info manual", "info:coreutils", "coreutils/Top");
    row("info node", "info:(coreutils)ls invocation", "coreutils/ls invocation");
    row("info node, space", "info:(coreutils) ls  invocation", "coreutils/ls invocation");
    row("info node, encoded", "info:(coreutils)ls%20invocation", "coreutils/ls invocation");
    row("info manual only", "info:(coreutils)", "coreutils/Top");
    row("fragment", "info:coreutils#ls_invocation", "coreutils/ls invocation");
    row("info slashes", "info://sed/Top", "sed/Top");
    row("empty", "", "");
    row("bare info", "info:", "");
    row("only parentheses", "info:()", "");
    row("only parentheses, node", "info:()Top", "");
    row("unbalanced", "info:(coreutils", "");
    row("unbalanced close", "info:coreutils)", "");
    row("blank manual", "info:(gnu tools)Top", "");
    row("manual in the path", "x-lectorin-info:///Emacs/Top", "Emacs/Top");
    row("no manual", "x-lectorin-info:///", "");
    row("other scheme", "man:ls", "");
    row("no scheme", "coreutils", "");
}

void InfoLibraryTest::url()
{
    QFETCH(QString, text);
    QFETCH(QString, reference);
    const auto parsed = InfoUrl::parse(text);
    QCOMPARE(parsed ? parsed->manual + u'/' + parsed->node : QString(), reference);
}

void InfoLibraryTest::url_roundTripsThroughQUrl()
{
    const QList<InfoReference> references { { "coreutils", "ls invocation" }, { "find", "O_NOFOLLOW" },
        { "gcc-12", "a/b #1? 100% \u2018quoted\u2019" }, { "lzip.plzip", "Top" }, { "libstdc++", "Top" },
        { "Emacs", "Top" }, { "1.2", "Top" } };
    for (const InfoReference &reference : references) {
        const QString text = InfoUrl::urlString(reference.manual, reference.node);
        QVERIFY2(!text.contains(u' '), qPrintable(text));
        QCOMPARE(InfoUrl::parse(text), reference);
        const QUrl url = InfoUrl::url(reference.manual, reference.node);
        QVERIFY2(url.isValid(), qPrintable(text));
        QCOMPARE(InfoUrl::parse(url), reference);
    }
    QCOMPARE(InfoUrl::urlString("coreutils", "ls invocation"), "x-lectorin-info://coreutils/ls%20invocation");
    QCOMPARE(InfoUrl::urlString("Emacs", "Top"), "x-lectorin-info:///Emacs/Top");
}

void InfoLibraryTest::manPageText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("spans");
    QTest::addColumn<QStringList>("references");
    const auto row
        = [](const char *tag, const QString &text, const QStringList &spans, const QStringList &references) {
              QTest::newRow(tag) << text << spans << references;
          };
    row("coreutils footer",
        "Full documentation <https://www.gnu.org/software/coreutils/ls>\n"
        "or available locally via: info '(coreutils) ls invocation'\n",
        QStringList { "info '(coreutils) ls invocation'" }, QStringList { "coreutils/ls invocation" });
    row("manual and node", "run info coreutils 'ls invocation' for more",
        QStringList { "info coreutils 'ls invocation'" }, QStringList { "coreutils/ls invocation" });
    row("typographic quotes", "see info \u2018(grep) Usage\u2019.",
        QStringList { "info \u2018(grep) Usage\u2019" }, QStringList { "grep/Usage" });
    row("texinfo sentence and command",
        "The full documentation for sed is maintained as a Texinfo\nmanual.  If the info and sed programs "
        "are "
        "properly installed at your site, the\ncommand\n\n       info sed\n\nshould give you access.",
        QStringList { "Texinfo\nmanual", "info sed" }, QStringList { "sed/Top", "sed/Top" });
    row("node in a sentence", "running the following command: info tar 'Sparse Formats'.",
        QStringList { "info tar 'Sparse Formats'" }, QStringList { "tar/Sparse Formats" });
    row("prompt", "Try\n  $ info grep\n", QStringList { "info grep" }, QStringList { "grep/Top" });
    row("prose", "If the info and sed programs are installed, the info reader\ninfo page\n", QStringList(),
        QStringList());
    row("other program", "  install-info grep\n", QStringList(), QStringList());
}

void InfoLibraryTest::manPageText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, spans);
    QFETCH(QStringList, references);
    QStringList foundSpans;
    QStringList foundReferences;
    for (const InfoTextReference &found : InfoUrl::findInManPageText(text)) {
        foundSpans.append(text.mid(found.start, found.length));
        foundReferences.append(found.reference.manual + u'/' + found.reference.node);
    }
    QCOMPARE(foundSpans, spans);
    QCOMPARE(foundReferences, references);
}

QTEST_GUILESS_MAIN(InfoLibraryTest)
#include "tst_infolibrary.moc"

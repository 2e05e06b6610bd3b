// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/optionindex.h"

#include "renderfixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace {

QStringList cli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(LECTORIN_CLI), arguments);
    if (!process.waitForFinished(60000))
        return { QStringLiteral("hung") };
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

OptionDefinition option(const QStringList &spellings, bool takesArgument = false)
{
    return { OptionDefinition::Kind::option, spellings.first(), spellings, takesArgument, false, QString() };
}

} // namespace

class OptionIndexTest : public QObject
{
    Q_OBJECT
private slots:
    void pageShapes_data();
    void pageShapes();
    void anchors_areUniqueAndMarkedInTheDocument();
    void find_exactThenUniqueLongPrefix();
};

void OptionIndexTest::pageShapes_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("mdoc .It Fl, with argument")
        << QByteArray(
               ".Dd May 1, 2024\n.Dt SSH 1\n.Os\n.Sh NAME\n.Nm ssh\n.Nd remote login\n.Sh DESCRIPTION\n"
               ".Bl -tag -width Ds\n.It Fl 4\nForces IPv4. Only that.\n.It Fl i Ar identity_file\n"
               "Selects a file.\n.El\n")
        << QStringList { "4\t-4\tnoarg\tForces IPv4.", "i\t-i\targ\tSelects a file." };
    QTest::newRow("man .TP, GNU pairs and =VALUE")
        << QByteArray(
               ".TH LS 1\n.SH NAME\nls \\- list\n.SH DESCRIPTION\n.TP\n\\fB\\-a\\fR, \\fB\\-\\-all\\fR\n"
               "do not ignore entries starting with .\n.TP\n\\fB\\-\\-block\\-size\\fR=\\fISIZE\\fR\n"
               "scale sizes, e.g. '--block-size=M'. More.\n.TP\n\\fB\\-\\-color\\fR[=\\fIWHEN\\fR]\n"
               "colorize\n.TP\n\\fB\\-f\\fR \\fIFILE\\fR\nread FILE\n")
        << QStringList { "a\t-a, --all\tnoarg\tdo not ignore entries starting with .",
               "block\t--block-size\targ\tscale sizes, e.g. '--block-size=M'.",
               "color\t--color\targ\tcolorize", "f\t-f\targ\tread FILE" };
    QTest::newRow("DocBook paragraphs") << QByteArray(
        ".TH GIT\\-COMMIT 1\n.SH NAME\ngit-commit \\- record\n.SH OPTIONS\n.PP\n-a, --all\n.RS 4\n"
        "Stage modified files. And more.\n.RE\n.PP\n-C <commit>, --reuse-message=<commit>\n.RS 4\n"
        "Reuse a message.\n.RE\n.PP\nPlain text paragraph.\n.RS 4\nNot an option.\n.RE\n")
                                        << QStringList { "a\t-a, --all\tnoarg\tStage modified files.",
                                               "C\t-C, --reuse-message\targ\tReuse a message." };
    QTest::newRow("one dash, long name")
        << QByteArray(".TH FIND 1\n.SH NAME\nfind \\- search\n.SH EXPRESSION\n.IP \"-name pattern\"\n"
                      "Base of file name matches.\n.IP -delete\nDelete files.\n")
        << QStringList { "name\t-name\targ\tBase of file name matches.",
               "delete\t-delete\tnoarg\tDelete files." };
    QTest::newRow("BSD letters, operands, subcommands")
        << QByteArray(
               ".TH PS 1\n.SH NAME\nps \\- processes\n.SH OPTIONS\n.TP\n.B a\nLift the restriction.\n"
               ".TP\nif=FILE\nread from FILE\n.SH COMMANDS\n.PP\n\\fBrestart\\fR \\fIPATTERN\\fR...\n.RS 4\n"
               "Restart units.\n.RE\n.SH EXAMPLES\n.TP\nTo see everything:\nps -e\n")
        << QStringList { "a\ta\tnoarg\tLift the restriction.", "if=FILE\tif\targ\tread from FILE",
               "restart\trestart\targ\tRestart units." };
    QTest::newRow("no options") << QByteArray(
        ".TH PLAIN 7\n.SH NAME\nplain \\- prose\n.SH DESCRIPTION\nJust text.\n.TP\n1\nA list.\n")
                                << QStringList {};
}

void OptionIndexTest::pageShapes()
{
    QFETCH(QByteArray, source);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("man/man1/page.1"), source));
    QCOMPARE(cli({ "options", "page", "--manpath", dir.filePath("man"), "--path", dir.filePath("bin") }),
        expected);
}

void OptionIndexTest::anchors_areUniqueAndMarkedInTheDocument()
{
    // mandoc names both "-a" terms "a"; the ones it leaves without an id get one that differs from both.
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("man/man1/page.1"),
        ".TH PAGE 1\n.SH NAME\npage \\- p\n.SH OPTIONS\n.TP\n\\fB\\-a\\fR\nfirst\n.TP\n\\fB\\-a\\fR\nsecond\n"
        ".PP\n-a\n.RS 4\nthird\n.RE\n.PP\n--a-b\n.RS 4\nfourth\n.RE\n"));
    const QStringList paths { "--manpath", dir.filePath("man"), "--path", dir.filePath("bin") };
    const QStringList lines = cli(QStringList { "options", "page" } + paths);
    QCOMPARE(lines.size(), 4);
    const QString document = cli(QStringList { "render", "page" } + paths).join(u'\n');
    QSet<QString> anchors;
    for (const QString &line : lines) {
        const QString anchor = line.section(u'\t', 0, 0);
        anchors.insert(anchor);
        const QRegularExpression term(QStringLiteral("id=\"%1\"[^>]*data-lectorin-option=\"%2\"")
                                          .arg(QRegularExpression::escape(anchor),
                                              QRegularExpression::escape(line.section(u'\t', 1, 1))));
        QCOMPARE(document.count(QStringLiteral("id=\"%1\"").arg(anchor)), 1);
        QVERIFY2(term.match(document).hasMatch(), qPrintable(line));
    }
    QCOMPARE(anchors.size(), 4);
}

void OptionIndexTest::find_exactThenUniqueLongPrefix()
{
    const QList<OptionDefinition> definitions { option({ "-x", "--extract" }), option({ "--exclude" }, true),
        option({ "--exclude-caches" }), option({ "-name" }, true) };
    QCOMPARE(OptionIndex::find(definitions, u"--exclude"), &definitions[1]);
    QCOMPARE(OptionIndex::find(definitions, u"-x"), &definitions[0]);
    QCOMPARE(OptionIndex::find(definitions, u"--ext"), &definitions[0]);
    QCOMPARE(OptionIndex::find(definitions, u"--exclude-c"), &definitions[2]);
    QCOMPARE(OptionIndex::find(definitions, u"--ex"), nullptr); // --extract, --exclude…
    QCOMPARE(OptionIndex::find(definitions, u"-name"), &definitions[3]);
    QCOMPARE(OptionIndex::find(definitions, u"-n"), nullptr); // short options are never prefixes
    QCOMPARE(OptionIndex::find(definitions, u""), nullptr);
}

QTEST_GUILESS_MAIN(OptionIndexTest)
#include "tst_optionindex.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Reading Info files: compression, node headers, menus and references, split manuals, tag tables, damage.
#include "info/infodocument.h"
#include "info/infofile.h"
#include "info/infonodehtml.h"

#include "infofixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Lectorin;
using namespace Lectorin::InfoFixtures;

class InfoDocumentTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void files_gzipTruncatedDamagedAndOversized();
    void decode_data();
    void decode();
    void header_data();
    void header();
    void menusAndCrossReferences_allFormsAcrossLines();
    void unsplitManual_nodesNamesAnchorsAndIndex();
    void splitManual_subfilesPlainAndCompressed_missingOnesReported();
    void tagTable_wrongOffsetsAreOnlyHints();
    void damagedInput_givesTheReadablePartOrAnError();
    void encodings_utf8Latin1AndDeclared();
    void cycles_selfNextAndMenuLoopsEndAndRender();
};

void InfoDocumentTest::files_gzipTruncatedDamagedAndOversized()
{
    QByteArray text;
    for (int i = 0; i < 4000; ++i)
        text += "line " + QByteArray::number(i) + " of a manual that compresses well\n";
    const QByteArray compressed = gzip(text);
    QCOMPARE(InfoFile::unpack(compressed), (InfoFileData { text, {} }));
    QCOMPARE(InfoFile::unpack(text), (InfoFileData { text, {} }));
    // gzip allows members one after another: they make one file.
    QCOMPARE(InfoFile::unpack(compressed + gzip("tail\n")).bytes, text + "tail\n");

    const InfoFileData truncated = InfoFile::unpack(compressed.left(compressed.size() / 2));
    QVERIFY(truncated.problem.contains(u"ends early"));
    QVERIFY(truncated.bytes.size() > 1000);
    QVERIFY(text.startsWith(truncated.bytes));

    QByteArray damaged = compressed;
    for (qsizetype i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i)
        damaged[i] = char(0xff);
    const InfoFileData garbled = InfoFile::unpack(damaged);
    QVERIFY(garbled.problem.contains(u"damaged"));
    QVERIFY(garbled.bytes.startsWith(text.left(100)));

    // A bomb is refused whole at the ceiling, not inflated until memory runs out.
    const InfoFileData bomb = InfoFile::unpack(gzip(QByteArray(8 << 20, '\0')), 1 << 20);
    QVERIFY(bomb.bytes.isEmpty());
    QVERIFY(bomb.problem.contains(u"larger than 1 MB"));
    QVERIFY(InfoFile::unpack(text, 1024).bytes.isEmpty());

    QTemporaryDir folder;
    QVERIFY(write(folder.filePath("start.gz"), compressed));
    QCOMPARE(InfoFile::readStart(folder.filePath("start.gz"), 100), text.left(100));
    QString error;
    QVERIFY(!InfoFile::read(folder.path(), &error));
    QVERIFY(error.contains(u"not a regular file"));
    // A named pipe would block a reader forever; it is refused before it is opened.
    QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath("pipe")).constData(), 0600), 0);
    QVERIFY(!InfoFile::read(folder.filePath("pipe"), &error));
    QVERIFY(!InfoFile::read(folder.filePath("missing"), &error));
    QVERIFY(error.contains(u"no such file"));
}

void InfoDocumentTest::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("coding");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *tag, const QByteArray &bytes, const QString &coding,
                         const QString &text) { QTest::newRow(tag) << bytes << coding << text; };
    row("utf-8", QByteArray("caf\xc3\xa9"), "utf-8", QStringLiteral("caf\u00e9"));
    row("invalid utf-8 is latin-1", QByteArray("caf\xe9"), "utf-8", QStringLiteral("caf\u00e9"));
    row("no coding", QByteArray("na\xefve"), "", QStringLiteral("na\u00efve"));
    row("valid utf-8 under another name", QByteArray("\xe2\x80\x98x\xe2\x80\x99"), "iso-8859-15",
        QStringLiteral("\u2018x\u2019"));
    row("latin-9 euro", QByteArray("5 \xa4"), "iso-8859-15", QStringLiteral("5 \u20ac"));
    row("latin-1 currency sign", QByteArray("5 \xa4"), "iso-8859-1", QStringLiteral("5 \u00a4"));
}

void InfoDocumentTest::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, coding);
    QFETCH(QString, text);
    QCOMPARE(InfoFile::decode(bytes, coding), text);
    QCOMPARE(InfoFile::declaredCoding(
                 QByteArray("x\n\x1f\nLocal Variables:\ncoding: " + coding.toLatin1() + "\nEnd:\n")),
        coding);
}

void InfoDocumentTest::header_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields"); // file, node, next, prev, up; empty: no header
    const auto row = [](const char *tag, const QString &line, const QStringList &fields) {
        QTest::newRow(tag) << line << fields;
    };
    row("all",
        "File: coreutils.info,  Node: ls invocation,  Next: dir invocation,  Prev: x,  Up: "
        "Directory listing",
        QStringList { "coreutils.info", "ls invocation", "dir invocation", "x", "Directory listing" });
    row("no next", "File: a.info,  Node: End,  Prev: Middle,  Up: Top",
        QStringList { "a.info", "End", "", "Middle", "Top" });
    row("previous, dir", "File: a.info, Node: Top, Previous: (dir), Up: (dir)",
        QStringList { "a.info", "Top", "", "(dir)", "(dir)" });
    row("DEL quoted comma",
        "File: a.info,  Node: \x7f"
        "a, b\x7f,  Up: Top",
        QStringList { "a.info", "a, b", "", "", "Top" });
    row("dir with tabs", "File: dir\tNode: Top\tThis is the top of the INFO tree",
        QStringList { "dir", "Top", "", "", "" });
    row("no node", "File: a.info,  Up: Top", QStringList());
    row("empty node", "File: a.info,  Node: ,  Up: Top", QStringList());
}

void InfoDocumentTest::header()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    const auto header = InfoText::parseHeader(line);
    if (fields.isEmpty()) {
        QVERIFY(!header);
        return;
    }
    QVERIFY(header);
    QCOMPARE((QStringList { header->file, header->node, header->next, header->prev, header->up }), fields);
}

void InfoDocumentTest::menusAndCrossReferences_allFormsAcrossLines()
{
    const QString text = QStringLiteral(
        "* Not: in a menu yet.\n\n* Menu:\n\n* Plain::        Its description\n                 continues.\n"
        "* Label: Node name.   Described.\n* Other: (coreutils)ls invocation.  Elsewhere.\n* Whole: (grep).\n"
        "* \x7f"
        "a: b\x7f: \x7f"
        "Version 1.2.\x7f   Quoted.\n"
        "* term:                 Some node.        (line 12)\n* range: flag:          PO Files.         "
        "(line 2)\n"
        "\nA comment line.\n\n"
        "* after comment::\n\n   ---------- Footnotes ----------\n\n* (1) not an entry::\n");
    QList<std::pair<QString, InfoTarget>> found;
    for (const InfoMenuEntry &entry : InfoText::menuEntries(text))
        found.append({ entry.label + u" | " + entry.description, entry.target });
    const QList<std::pair<QString, InfoTarget>> expected {
        { "Plain | Its description continues.", { "", "Plain" } },
        { "Label | Described.", { "", "Node name" } },
        { "Other | Elsewhere.", { "coreutils", "ls invocation" } },
        { "Whole | ", { "grep", "" } },
        { "a: b | Quoted.", { "", "Version 1.2." } },
        { "term | (line 12)", { "", "Some node" } },
        { "range: flag | (line 2)", { "", "PO Files" } },
        { "after comment | ", { "", "after comment" } },
    };
    QCOMPARE(found, expected);
    const InfoMenuEntry first = InfoText::menuEntries(text).first();
    QCOMPARE(
        text.mid(first.start, first.length), "* Plain::        Its description\n                 continues.");
    QCOMPARE(InfoText::indexLine(u" (line  12) "), std::optional<int>(12));
    QVERIFY(!InfoText::indexLine(u"(line x)"));

    const QString prose = QStringLiteral("Also see *note Common options::.  *Note Block size: "
                                         "(coreutils)Block\nsize, and *note Formatting file\n"
                                         "timestamps::.  Read *note (grep)::, *note \x7fv1.2\x7f: Versions.  "
                                         "Not *notes or *note without a colon.");
    const QList<InfoCrossReference> references = InfoText::crossReferences(prose);
    QCOMPARE(references.size(), 5);
    QCOMPARE(prose.mid(references[0].start, references[0].length), "*note Common options::");
    QCOMPARE(references[0].target, (InfoTarget { "", "Common options" }));
    QVERIFY(!references[0].capitalized);
    QCOMPARE(
        prose.mid(references[1].start, references[1].length), "*Note Block size: (coreutils)Block\nsize");
    QCOMPARE(references[1].label, "Block size");
    QCOMPARE(references[1].target, (InfoTarget { "coreutils", "Block size" }));
    QVERIFY(references[1].capitalized);
    QCOMPARE(references[2].target, (InfoTarget { "", "Formatting file timestamps" }));
    QCOMPARE(references[3].target, (InfoTarget { "grep", "" }));
    QCOMPARE(references[4].label, "v1.2");
    QCOMPARE(references[4].target, (InfoTarget { "", "Versions" }));

    QCOMPARE(InfoText::headings(u"\nTitle\n*****\n\nText\n====\nmore\n\n1.1 Sub\n-------\n"),
        (QList<InfoHeading> { { "Title", 1, 1 }, { "1.1 Sub", 3, 8 } }));
    QCOMPARE(InfoText::headingLevel(u"Name", u"...."), 4);
    QCOMPARE(InfoText::headingLevel(u"Name", u"==="), 0);
    QCOMPARE(InfoText::headingLevel(u"----", u"----"), 0);
    QCOMPARE(InfoText::headingLevel(u"Name", u"=-=-"), 0);
}

void InfoDocumentTest::unsplitManual_nodesNamesAnchorsAndIndex()
{
    QList<Node> nodes = toolNodes();
    // Two names that differ only in case, as findutils has: each is found as written.
    nodes.append({ "Find Expressions", {}, {}, "Top", "\nUpper.\n" });
    nodes.append({ "find Expressions", {}, {}, "Top", "\nLower.\n" });
    QTemporaryDir folder;
    QVERIFY(write(folder.filePath("tool.info"), manual("tool", nodes, 0, kToolAnchors)));
    QString error;
    const auto document = InfoDocument::load(folder.filePath("tool.info"), &error);
    QVERIFY2(document, qPrintable(error));
    QCOMPARE(document->nodeNames(),
        (QStringList { "Top", "Invoking", "Index", "Find Expressions", "find Expressions" }));
    QVERIFY(document->problems().isEmpty());

    const auto invoking = document->node(QStringLiteral("Invoking"));
    QVERIFY(invoking);
    QCOMPARE((QStringList { invoking->file, invoking->name, invoking->next, invoking->prev, invoking->up }),
        (QStringList { "tool.info", "Invoking", "Index", "Top", "Top" }));
    QVERIFY(invoking->text.startsWith(u"\n1 Invoking"));
    QVERIFY(invoking->text.endsWith(u"(1) A footnote.\n"));
    QCOMPARE(document->node()->name, "Top");
    QCOMPARE(document->node(QString())->name, "Top");
    QCOMPARE(document->node(QStringLiteral("  iNVOKING "))->name, "Invoking");
    QCOMPARE(document->node(QStringLiteral("(tool)Index"))->name, "Index");
    QCOMPARE(document->node(QStringLiteral("find Expressions"))->text, "\nLower.\n");
    QCOMPARE(document->node(QStringLiteral("Find Expressions"))->text, "\nUpper.\n");
    QCOMPARE(document->node(QStringLiteral("FIND expressions"))->text, "\nUpper.\n");
    QVERIFY(!document->node(QStringLiteral("Nowhere")));

    const auto all = document->locate(QStringLiteral("All Option"));
    QVERIFY(all);
    QCOMPARE(all->node, "Invoking");
    QCOMPARE(lineAt(*document, *all), "\xe2\x80\x98--all\xe2\x80\x99");
    QCOMPARE(document->node(QStringLiteral("all option"))->name, "Invoking");
    QCOMPARE(lineAt(*document, *document->locate(QStringLiteral("the menu"))), "* Menu:");

    const QList<InfoIndexEntry> index = document->indexEntries();
    QCOMPARE(index,
        (QList<InfoIndexEntry> { { "--all", "Invoking", 19 }, { "tool", "Invoking", 6 }, { "tool", "Top", 6 },
            { "a very long index term that runs on and on", "Invoking", 19 } }));
    // The index's line numbers and the anchors' count lines alike.
    QCOMPARE(lineAt(*document, { index[0].node, index[0].line }), lineAt(*document, *all));

    QCOMPARE(document->contents(),
        (QList<InfoContentsEntry> { { "Invoking", "Invoking", 0 }, { "Index", "Index", 0 } }));
}

void InfoDocumentTest::splitManual_subfilesPlainAndCompressed_missingOnesReported()
{
    const QList<Node> nodes = toolNodes();
    const Split split = splitManual("tool", { { nodes[0], nodes[1] }, { nodes[2] } }, kToolAnchors);
    QTemporaryDir folder;
    QVERIFY(write(folder.filePath("tool.info.gz"), gzip(split.main)));
    QVERIFY(write(folder.filePath("tool.info-1"), split.subfiles[0]));
    QVERIFY(write(folder.filePath("tool.info-2.gz"), gzip(split.subfiles[1])));
    QString error;
    auto document = InfoDocument::load(folder.filePath("tool.info.gz"), &error);
    QVERIFY2(document, qPrintable(error));
    QCOMPARE(document->nodeNames(), (QStringList { "Top", "Invoking", "Index" }));
    QVERIFY(document->problems().isEmpty());
    QCOMPARE(document->node(QStringLiteral("Index"))->prev, "Invoking");
    QCOMPARE(
        lineAt(*document, *document->locate(QStringLiteral("all option"))), "\xe2\x80\x98--all\xe2\x80\x99");
    QCOMPARE(document->indexEntries().size(), 4);

    QVERIFY(QFile::remove(folder.filePath("tool.info-2.gz")));
    document = InfoDocument::load(folder.filePath("tool.info.gz"), &error);
    QVERIFY(document);
    QCOMPARE(document->nodeNames(), (QStringList { "Top", "Invoking" }));
    QCOMPARE(document->problems().size(), 1);
    QVERIFY(document->problems().first().contains(u"tool.info-2"));

    // The subfile names come from the file: a path or a pipe beside it is never read.
    QByteArray hostile = split.main;
    hostile.replace("tool.info-1: ", "../../etc/passwd: ");
    QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath("tool.info-2")).constData(), 0600), 0);
    int asked = 0;
    const auto reader = [&](const QString &name, QString *subfileError) -> std::optional<QByteArray> {
        ++asked;
        return InfoFile::read(folder.filePath(name), subfileError);
    };
    QVERIFY(!InfoDocument::fromBytes(hostile, reader, &error));
    QCOMPARE(asked, 1);
    QVERIFY(error.contains(u"path: ../../etc/passwd"));
    QVERIFY(error.contains(u"not a regular file"));
}

void InfoDocumentTest::tagTable_wrongOffsetsAreOnlyHints()
{
    for (const int error : { 7, -5, 40 }) {
        const auto document = loaded(manual("tool", toolNodes(), error, kToolAnchors));
        QVERIFY(document);
        QCOMPARE(document->nodeNames(), (QStringList { "Top", "Invoking", "Index" }));
        const auto all = document->locate(QStringLiteral("all option"));
        QVERIFY2(all, qPrintable(QString::number(error)));
        QCOMPARE(lineAt(*document, *all), "\xe2\x80\x98--all\xe2\x80\x99");
    }

    // One node entry pointing into the middle of another, entries past the end of the file.
    QByteArray bytes = manual("tool", toolNodes(), 0, kToolAnchors);
    const QByteArray invokingEntry = "Node: Invoking\x7f";
    const qsizetype entry = bytes.indexOf(invokingEntry) + invokingEntry.size();
    bytes.replace(
        entry, bytes.indexOf('\n', entry) - entry, QByteArray::number(bytes.indexOf("This manual")));
    bytes.replace("\x1f\nEnd Tag Table",
        "Node: Ghost\x7f"
        "99999999\nRef: ghost anchor\x7f"
        "88888888\n\x1f\nEnd Tag Table");
    const auto document = loaded(bytes);
    QVERIFY(document);
    QCOMPARE(document->nodeNames(), (QStringList { "Top", "Invoking", "Index" }));
    QCOMPARE(
        lineAt(*document, *document->locate(QStringLiteral("all option"))), "\xe2\x80\x98--all\xe2\x80\x99");
    QVERIFY(!document->locate(QStringLiteral("Ghost")));
    QVERIFY(!document->locate(QStringLiteral("ghost anchor")));

    // No tag table at all: the nodes are still found by their separators.
    QByteArray untagged = manual("tool", toolNodes());
    untagged.truncate(untagged.indexOf("\x1f\nTag Table:"));
    QCOMPARE(loaded(untagged)->nodeNames(), (QStringList { "Top", "Invoking", "Index" }));
}

void InfoDocumentTest::damagedInput_givesTheReadablePartOrAnError()
{
    QList<Node> nodes = toolNodes();
    for (int n = 0; n < 40; ++n)
        nodes.append({ "Filler " + QByteArray::number(n), {}, {}, "Top",
            "\nFiller text " + QByteArray::number(n * 7919) + ".\n" });
    const QByteArray whole = manual("tool", nodes);
    const QByteArray compressed = gzip(whole);
    const auto truncated = loaded(compressed.left(compressed.size() * 3 / 4));
    QVERIFY(truncated);
    QCOMPARE(truncated->nodeNames().first(2), (QStringList { "Top", "Invoking" }));
    QCOMPARE(truncated->node(QStringLiteral("Top"))->text, loaded(whole)->node(QStringLiteral("Top"))->text);
    QCOMPARE(truncated->problems().size(), 1);
    QVERIFY(truncated->problems().first().contains(u"ends early"));

    QString error;
    QVERIFY(!InfoDocument::fromBytes({}, {}, &error));
    QVERIFY(error.contains(u"empty"));
    QVERIFY(!InfoDocument::fromBytes("Just a README.\n", {}, &error));
    QVERIFY(error.contains(u"no node"));
    QVERIFY(!InfoDocument::fromBytes(compressed.left(12), {}, &error));
    QVERIFY(!InfoDocument::fromBytes(QByteArray("\x1f\x8b garbage that is no deflate data"), {}, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!InfoDocument::fromBytes("\x1f\nFile: a,  Up: b\n\x1f\x1f\x1f\n", {}, &error));

    // A manual of more than 20 MB loads, and renders node by node.
    QByteArray large = preamble("large");
    const QByteArray paragraph
        = QByteArray("A paragraph of a large manual, long enough to be filled by makeinfo to the\n"
                     "margin, with a *note cross reference: Node 1. and more text after it.\n\n");
    for (int n = 0; n < 2200; ++n) {
        large += nodeBytes("large",
            { "Node " + QByteArray::number(n), "Node " + QByteArray::number(n + 1), {}, "Top",
                "\n" + paragraph.repeated(10 * 1024 / paragraph.size()) });
    }
    QVERIFY(large.size() > 20 << 20);
    const auto document = loaded(large);
    QVERIFY(document);
    QCOMPARE(document->nodeNames().size(), 2200);
    QCOMPARE(document->node()->name, "Node 0");
    const QString html
        = InfoNodeHtml::body(*document->node(QStringLiteral("node 2199")), QStringLiteral("large"));
    QCOMPARE(html.count(u"<p"), 10 * 1024 / paragraph.size());
}

void InfoDocumentTest::encodings_utf8Latin1AndDeclared()
{
    const QList<Node> nodes { { "Top", {}, {}, "(dir)", "\nCaf\xe9 cr\xe8me, na\xefve.\n" },
        { "Caf\xe9", {}, {}, "Top", "\nLe caf\xe9.\n" } };
    for (const QByteArray coding : { "iso-8859-1", "latin-1", "" }) {
        const auto document = loaded(manual("latin", nodes, 0, {}, coding));
        QVERIFY(document);
        QCOMPARE(document->node()->text, "\nCaf\u00e9 cr\u00e8me, na\u00efve.\n");
        QCOMPARE(document->nodeNames().last(), "Caf\u00e9");
        QCOMPARE(document->node(QStringLiteral("CAF\u00c9"))->text, "\nLe caf\u00e9.\n");
    }
    // Each node is read on its own: one bad byte does not turn the others to Latin-1.
    const QList<Node> mixed { { "Top", {}, {}, "(dir)", "\n\xe2\x80\x98quoted\xe2\x80\x99\n" },
        { "Bad", {}, {}, "Top", "\nbad \xff byte\n" } };
    const auto document = loaded(manual("mixed", mixed));
    QCOMPARE(document->node()->text, "\n\u2018quoted\u2019\n");
    QCOMPARE(document->node(QStringLiteral("Bad"))->text, "\nbad \u00ff byte\n");
}

void InfoDocumentTest::cycles_selfNextAndMenuLoopsEndAndRender()
{
    const QList<Node> nodes {
        { "Top", "Top", "Top", "Top", "\n* Menu:\n\n* A::\n* Top::\n" },
        { "A", "A", {}, "Top", "\n* Menu:\n\n* B::\n* A::\n" },
        { "B", {}, {}, "A", "\n* Menu:\n\n* A::\n* Top::\n* Missing::\n* Other: (elsewhere)Node.\n" },
    };
    const auto document = loaded(manual("loop", nodes));
    QVERIFY(document);
    QCOMPARE(document->contents(), (QList<InfoContentsEntry> { { "A", "A", 0 }, { "B", "B", 1 } }));
    QCOMPARE(document->contents(0), (QList<InfoContentsEntry> { { "A", "A", 0 } }));
    const QString html = InfoNodeHtml::body(*document->node(QStringLiteral("A")), QStringLiteral("loop"));
    QCOMPARE(html.count(u"<a rel=\"next\" href=\"x-lectorin-info://loop/A\">A</a>"), 2);
}

QTEST_GUILESS_MAIN(InfoDocumentTest)
#include "tst_infodocument.moc"

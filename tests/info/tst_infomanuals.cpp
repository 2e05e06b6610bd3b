// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infodocument.h"
#include "info/infofile.h"
#include "info/infolayout.h"
#include "info/infonodehtml.h"
#include "info/infopath.h"
#include "info/infourl.h"

#include "infofixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Lectorin;
using namespace Lectorin::InfoFixtures;

namespace {

const char kIndexStart[] = "\nIndex\n*****\n\n\0\b[index\0\b]\n* Menu:\n\n";

// A small manual shaped like coreutils': a Top menu, a node with headings, a table, an example, cross
// references and footnotes, and an index.
QList<Node> toolNodes()
{
    return {
        { "Top", "Invoking", {}, "(dir)",
            "\nTool\n****\n\nThis manual is about \xe2\x80\x98tool\xe2\x80\x99.\n\n* Menu:\n\n"
            "* Invoking::          Running it.\n* Options: Invoking.  Its options,\n                      "
            "all of them.\n"
            "* Index::\n" },
        { "Invoking", "Index", "Top", "Top",
            "\n1 Invoking \xe2\x80\x98tool\xe2\x80\x99\n*****************\n\n"
            "The \xe2\x80\x98tool\xe2\x80\x99 program does a great many things, all of them useful to "
            "somebody,\n"
            "and it accepts options & arguments <like this>.  *Note Common: (coreutils)Common\n"
            "options, for more.\n\n   Also see *note Top::.\n\n     tool --all   FILE\n     tool -n  3   "
            "FILE\n\n"
            "1.1 Options\n===========\n\n\xe2\x80\x98-a\xe2\x80\x99\n\xe2\x80\x98--all\xe2\x80\x99\n"
            "     Do everything there is to do.\n\n1.1.1 Details\n-------------\n\n   Details here.\n\n"
            "   ---------- Footnotes ----------\n\n   (1) A footnote.\n" },
        { "Index", {}, "Invoking", "Top",
            QByteArray(kIndexStart, sizeof kIndexStart - 1)
                + "* --all:                                 Invoking.               (line 19)\n"
                  "* tool:                                  Invoking.                (line 6)\n"
                  "* tool <1>:                              Top.                     (line 6)\n"
                  "* a very long index term that runs on and on:\n"
                  "                                         Invoking.               (line 19)\n" },
    };
}

const QList<Anchor> kToolAnchors { { "all option", "Invoking", 17 }, { "the menu", "Top", 6 } };

std::optional<InfoDocument> loaded(
    const QByteArray &bytes, const InfoDocument::SubfileReader &readSubfile = {})
{
    QString error;
    auto document = InfoDocument::fromBytes(bytes, readSubfile, &error);
    if (!document)
        qWarning() << "not loaded:" << error;
    return document;
}

// The line of a node's text a location names, counting the header as line 1 as index entries do.
QString lineAt(const InfoDocument &document, const InfoLocation &location)
{
    return document.node(location.node)->text.split(u'\n').value(location.line - 2);
}

QString blockShapes(const QList<InfoBlock> &blocks)
{
    QStringList shapes;
    for (const InfoBlock &block : blocks) {
        const bool table = !block.terms.isEmpty();
        switch (block.kind) {
        case InfoBlock::Kind::heading:
            shapes.append(u'h' + QString::number(block.level));
            break;
        case InfoBlock::Kind::paragraph:
            shapes.append((table ? u't' : u'p') + QString::number(block.level));
            break;
        case InfoBlock::Kind::item:
            shapes.append(u'i' + QString::number(block.level));
            break;
        case InfoBlock::Kind::preformatted:
            shapes.append((table ? u'T' : u'x') + QString::number(block.level));
            break;
        case InfoBlock::Kind::menuEntry:
            shapes.append(QStringLiteral("m"));
            break;
        case InfoBlock::Kind::menuComment:
            shapes.append(QStringLiteral("c"));
            break;
        case InfoBlock::Kind::footnotes:
            shapes.append(QStringLiteral("f"));
            break;
        }
    }
    return shapes.join(u' ');
}

} // namespace

class InfoManualsTest : public QObject
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
    void searchPath_data();
    void searchPath();
    void manuals_filesPartsCategoriesAndFirstDirectoryWins();
    void url_data();
    void url();
    void url_roundTripsThroughQUrl();
    void manPageText_data();
    void manPageText();
    void layout_data();
    void layout();
    void html_realisticNode();
    void html_topPageAndEscaping();
};

void InfoManualsTest::files_gzipTruncatedDamagedAndOversized()
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

void InfoManualsTest::decode_data()
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

void InfoManualsTest::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, coding);
    QFETCH(QString, text);
    QCOMPARE(InfoFile::decode(bytes, coding), text);
    QCOMPARE(InfoFile::declaredCoding(
                 QByteArray("x\n\x1f\nLocal Variables:\ncoding: " + coding.toLatin1() + "\nEnd:\n")),
        coding);
}

void InfoManualsTest::header_data()
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

void InfoManualsTest::header()
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

void InfoManualsTest::menusAndCrossReferences_allFormsAcrossLines()
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

void InfoManualsTest::unsplitManual_nodesNamesAnchorsAndIndex()
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

void InfoManualsTest::splitManual_subfilesPlainAndCompressed_missingOnesReported()
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

void InfoManualsTest::tagTable_wrongOffsetsAreOnlyHints()
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

void InfoManualsTest::damagedInput_givesTheReadablePartOrAnError()
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

void InfoManualsTest::encodings_utf8Latin1AndDeclared()
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

void InfoManualsTest::cycles_selfNextAndMenuLoopsEndAndRender()
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

void InfoManualsTest::searchPath_data()
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

void InfoManualsTest::searchPath()
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

void InfoManualsTest::manuals_filesPartsCategoriesAndFirstDirectoryWins()
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

void InfoManualsTest::url_data()
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

void InfoManualsTest::url()
{
    QFETCH(QString, text);
    QFETCH(QString, reference);
    const auto parsed = InfoUrl::parse(text);
    QCOMPARE(parsed ? parsed->manual + u'/' + parsed->node : QString(), reference);
}

void InfoManualsTest::url_roundTripsThroughQUrl()
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

void InfoManualsTest::manPageText_data()
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

void InfoManualsTest::manPageText()
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

void InfoManualsTest::layout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shapes");
    const auto row = [](const char *tag, const QString &text, const QString &shapes) {
        QTest::newRow(tag) << text << shapes;
    };
    const QString filled
        = QStringLiteral("a paragraph long enough that makeinfo filled it up to the margin\n");
    row("paragraphs", "\nFirst " + filled + "here.\n\n   Second " + filled + "there.\n", "p0 p0");
    row("example", "Text.\n\n     ls -l\n     ls -a\n", "p0 x1");
    row("heading", "\n1.1 Options\n===========\n\nText.\n", "h2 p0");
    row("underline too short", "Options\n=====\n", "x0");
    row("table item", "\u2018-a\u2019\n\u2018--all\u2019\n     Do all.\n", "t0");
    row("compact table", "\u2018BUS\u2019\n     Bus error.\n\u2018CHLD\u2019\n     Child.\n", "t0 t0");
    row("terms described below",
        "\u2018-n N\u2019\n\u2018--number=N\u2019\n\n     Print N "
        "lines, a description long enough that makeinfo\n"
        "     filled it.\n",
        "t0 p1");
    row("item with an example", "\u2018--foo\u2019\n          code   here\n          more   code\n", "T0");
    row("bullets",
        "   \u2022 one short item\n   \u2022 another item that wraps over the end of "
        "the line as makeinfo\n"
        "     fills it\n",
        "i1 i1");
    row("aligned table",
        "   Exit status:\n\n     0 success\n     1 minor problems (e.g., "
        "failure to access a file or directory\n"
        "       specified as a command line argument)\n",
        "p0 x1");
    row("quotation",
        "     Permission is granted to copy, distribute and/or modify this\n"
        "     document under the terms of the GNU Free Documentation License,\n     Version 1.3.\n",
        "p1");
    row("introduced example",
        "Here is a typical use of find, printing every C file larger than a\nhundred kilobytes:\n"
        "     find /usr/src -name '*.c' -size +100k -print\n",
        "p0 x1");
    row("code", "     int main() {\n         return 0;\n     }\n", "x1");
    row("menu",
        "* Menu:\n\n* One::    First.\n* Two: Second.   Described\n   over two "
        "lines.\n\nA comment\n\n* Three::\n",
        "m m c m");
    row("footnotes", "Text.\n\n   ---------- Footnotes ----------\n\n   (1) Note.\n", "p0 f p0");
}

void InfoManualsTest::layout()
{
    QFETCH(QString, text);
    QFETCH(QString, shapes);
    QCOMPARE(blockShapes(InfoLayout::blocks(text)), shapes);
}

void InfoManualsTest::html_realisticNode()
{
    const auto document = loaded(manual("tool", toolNodes()));
    const QString html
        = InfoNodeHtml::body(*document->node(QStringLiteral("Invoking")), QStringLiteral("tool"));
    QCOMPARE(html.count(u"<nav class=\"lectorin-info-nav"), 2);
    QVERIFY(
        html.contains(u"<span>Up: <a rel=\"up\" href=\"x-lectorin-info://tool/Top\">Top</a></span> "
                      u"<span>Prev: <a rel=\"prev\" href=\"x-lectorin-info://tool/Top\">Top</a></span> "
                      u"<span>Next: <a rel=\"next\" href=\"x-lectorin-info://tool/Index\">Index</a></span>"));
    QVERIFY(html.contains(u"<h1 class=\"lectorin-info-title\">1 Invoking \u2018tool\u2019</h1>"));
    // The node opens with a chapter heading: its sections are the outline's first level.
    QVERIFY(
        html.contains(u"<h2 class=\"Sh\" id=\"1.1_Options\"><a class=\"permalink\" href=\"#1.1_Options\">1.1 "
                      u"Options</a></h2>"));
    QVERIFY(html.contains(u"<h3 class=\"Ss\" id=\"1.1.1_Details\">"));
    QVERIFY(
        html.contains(u"useful to somebody, and it accepts options &amp; arguments &lt;like this&gt;. See "
                      u"<a href=\"x-lectorin-info://coreutils/Common%20options\">Common</a>, for more.</p>"));
    QVERIFY(html.contains(u"Also see <a href=\"x-lectorin-info://tool/Top\">Top</a>.</p>"));
    QVERIFY(
        html.contains(u"<pre class=\"lectorin-info-example lectorin-info-i1\" data-line=\"12\">tool --all   "
                      u"FILE\ntool -n  3   FILE</pre>"));
    QVERIFY(
        html.contains(u"<dt>\u2018-a\u2019</dt><dt>\u2018--all\u2019</dt><dd><p>Do everything there is to "
                      u"do.</p></dd></dl>"));
    QVERIFY(
        html.contains(u"<hr class=\"lectorin-info-footnotes\">\n<p data-line=\"29\">(1) A footnote.</p>"));
    const QRegularExpression paragraph(QStringLiteral("<p[^>]*>([^<]|<a [^>]*>|</a>)*</p>"));
    QRegularExpressionMatchIterator paragraphs = paragraph.globalMatch(html);
    while (paragraphs.hasNext())
        QVERIFY(!paragraphs.next().captured(0).contains(u'\n'));

    const QString top = InfoNodeHtml::body(*document->node(), QStringLiteral("tool"));
    QVERIFY(top.contains(u"<ul class=\"lectorin-info-menu\">\n<li data-line=\"10\"><a "
                         u"href=\"x-lectorin-info://tool/Invoking\">Invoking</a><span "
                         u"class=\"lectorin-info-menu-description\">Running it.</span></li>\n"));
    QVERIFY(top.contains(u">Options</a><span class=\"lectorin-info-menu-description\">Its options, all of "
                         u"them.</span></li>"));
    QVERIFY(top.contains(u"<a rel=\"up\" href=\"x-lectorin-info://dir/Top\">(dir)</a>"));

    const QString index
        = InfoNodeHtml::body(*document->node(QStringLiteral("Index")), QStringLiteral("tool"));
    QVERIFY(index.contains(u"<ul class=\"lectorin-info-menu lectorin-info-index\">"));
    QVERIFY(index.contains(u">--all</a><span class=\"lectorin-info-menu-description\">Invoking</span>"));
    QVERIFY(!index.contains(QChar(0)) && !index.contains(u'\b') && !index.contains(u"[index"));
}

void InfoManualsTest::html_topPageAndEscaping()
{
    const QString marker = QString(QChar(0)) + u'\b';
    const InfoNode hostile { "a.info", "<b>\"x\"</b>",
        "\x7f"
        "Next, node\x7f",
        {}, "(dir)",
        u"\n<script>alert(1)</script> & *note Q: \"a\"<b>.\n\n" + marker
            + u"[image src=\"fig.png\" alt=\"A <figure>\"" + marker + u"]\n" };
    const QString html = InfoNodeHtml::body(hostile, QStringLiteral("a&b"));
    QVERIFY(!html.contains(u"<script>") && !html.contains(u"<b>"));
    QVERIFY(html.contains(u"<h1 class=\"lectorin-info-title\">&lt;b&gt;\"x\"&lt;/b&gt;</h1>"));
    QVERIFY(html.contains(u"&lt;script&gt;alert(1)&lt;/script&gt; &amp; see <a "
                          u"href=\"x-lectorin-info:///a%26b/%22a%22%3Cb%3E\">Q</a>.</p>"));
    QVERIFY(html.contains(u"[A &lt;figure&gt;]"));
    QVERIFY(
        html.contains(u"<a rel=\"next\" href=\"x-lectorin-info:///a%26b/Next%2C%20node\">Next, node</a>"));
    QVERIFY(!html.contains(QChar(0x7f)));

    const QString page = InfoNodeHtml::topPageBody(
        { { "Basics", { { "Tool", "tool", {}, "The <tool>." }, { "tool-n", "tool", "Invoking", {} } } },
            { "Basics", { { "Again", "again", {}, {} } } } });
    QVERIFY(page.contains(
        u"<h2 class=\"Sh\" id=\"Basics\"><a class=\"permalink\" href=\"#Basics\">Basics</a></h2>"));
    QVERIFY(page.contains(u"id=\"Basics_2\""));
    QVERIFY(page.contains(u"<li><a href=\"x-lectorin-info://tool/Top\">Tool</a><span "
                          u"class=\"lectorin-info-menu-description\">The &lt;tool&gt;.</span></li>"));
    QVERIFY(page.contains(u"<li><a href=\"x-lectorin-info://tool/Invoking\">tool-n</a></li>"));
    QCOMPARE(InfoNodeHtml::title(hostile, QStringLiteral("a")), "<b>\"x\"</b> (a)");
}

QTEST_GUILESS_MAIN(InfoManualsTest)
#include "tst_infomanuals.moc"

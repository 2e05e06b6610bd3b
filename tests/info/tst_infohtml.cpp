// SPDX-License-Identifier: GPL-3.0-or-later
// Nodes laid out in blocks and rendered as HTML.
#include "info/infodocument.h"
#include "info/infolayout.h"
#include "info/infonodehtml.h"

#include "infofixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Lectorin;
using namespace Lectorin::InfoFixtures;

namespace {

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

class InfoHtmlTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout_data();
    void layout();
    void html_realisticNode();
    void html_topPageAndEscaping();
};

void InfoHtmlTest::layout_data()
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

void InfoHtmlTest::layout()
{
    QFETCH(QString, text);
    QFETCH(QString, shapes);
    QCOMPARE(blockShapes(InfoLayout::blocks(text)), shapes);
}

void InfoHtmlTest::html_realisticNode()
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

void InfoHtmlTest::html_topPageAndEscaping()
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

QTEST_GUILESS_MAIN(InfoHtmlTest)
#include "tst_infohtml.moc"

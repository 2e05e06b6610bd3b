// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandhelpcache.h"
#include "render/manpagerenderer.h"
#include "renderfixtures.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace {

const QString kHead = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n")
    + Lectorin::ManPageRenderer::contentSecurityPolicy() + QStringLiteral("<title>");

ManPagePalette darkPalette()
{
    return { QStringLiteral("#101010"), QStringLiteral("#eeeeee"), QStringLiteral("#ff8800"),
        QStringLiteral("#3399ff"), QStringLiteral("#00ff00"), QStringLiteral("#cccc00"),
        QStringLiteral("rgba(238, 238, 238, 0.600)"), true };
}

} // namespace

class ManPageRendererTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void documentHTML_putsOverlayBeforeFontRule();
    void fontSizeCSS_data();
    void fontSizeCSS();
    void baseStylesheet_andScript_haveTheirShape();
    void errorDocuments_areEscapedWithoutThemeOrZoom();

    void render_mdocPage_linksCrossReferences();
    void render_manPage_andCompressedPage();
    void render_noFillTextWithoutBlankLines();
    void render_runsInThePageTreeRoot();
    void render_emptyOrInvalidOutput_givesErrorDocument_data();
    void render_emptyOrInvalidOutput_givesErrorDocument();
    void render_missingFormatter_fails();
    void render_helpPage_neverStartsFormatter();

private:
    QTemporaryDir m_dir;
};

void ManPageRendererTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void ManPageRendererTest::documentHTML_putsOverlayBeforeFontRule()
{
    const ManPagePalette palette = darkPalette();
    const QString document
        = ManPageRenderer::documentHTML(QStringLiteral("t"), QStringLiteral("<p>x</p>"), palette, 1.25);
    QVERIFY(document.contains(ManPageRenderer::baseStylesheet() + palette.overlayCSS()
        + u"\nhtml { font-size: 16.25px; }</style>\n"));
    // The script is in the head: the document reports its first paint before its end is parsed.
    QVERIFY(document.endsWith(
        u"</style>\n" + ManPageRenderer::documentScript() + u"</head>\n<body>\n<p>x</p></body>\n</html>\n"));

    // Without a palette only the base stylesheet colours the page.
    const QString plain = ManPageRenderer::documentHTML(QStringLiteral("t"), QString(), std::nullopt, 1.0);
    QVERIFY(plain.contains(ManPageRenderer::baseStylesheet() + u"</style>"));
    QVERIFY(!plain.contains(u":root { color-scheme: light; }"));
}

void ManPageRendererTest::fontSizeCSS_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("rule");
    QTest::newRow("normal") << 1.0 << QString();
    QTest::newRow("larger") << 1.25 << QStringLiteral("\nhtml { font-size: 16.25px; }");
    QTest::newRow("smaller") << 0.8 << QStringLiteral("\nhtml { font-size: 10.40px; }");
}

void ManPageRendererTest::fontSizeCSS()
{
    QFETCH(double, scale);
    QFETCH(QString, rule);
    QCOMPARE(ManPageRenderer::fontSizeCSS(scale), rule);
}

void ManPageRendererTest::baseStylesheet_andScript_haveTheirShape()
{
    const QString css = ManPageRenderer::baseStylesheet();
    // Light unless the window marks the document dark; a theme's ":root" rule outranks both.
    QVERIFY(css.contains(u"\nhtml { color-scheme: light; }\n"
                         u":root:where([data-lectorin-appearance=\"dark\"]) { color-scheme: dark; }\n"));
    QVERIFY(css.endsWith(u"pre.lectorin-help-output { white-space: pre-wrap; }"));
    const QString script = ManPageRenderer::documentScript();
    QVERIFY(script.startsWith(u"\n<script>\n"));
    QVERIFY(script.contains(u"e.ctrlKey || e.metaKey"));
    QVERIFY(script.contains(u"\"lectorin-target=new-window\""));
}

void ManPageRendererTest::errorDocuments_areEscapedWithoutThemeOrZoom()
{
    const QString error = ManPageRenderer::errorHTML(QStringLiteral("ls"), QStringLiteral("a <b> & c"));
    QVERIFY(error.contains(
        u"<body>\n<div class=\"manual-text lectorin-error\"><p>a &lt;b&gt; &amp; c</p></div></body>"));
    QVERIFY(error.contains(ManPageRenderer::baseStylesheet() + u"</style>"));

    const QString name = QStringLiteral("<img src=x onerror=alert(1)>");
    const QString document = ManPageRenderer::notFoundHTML(name);
    QVERIFY(!document.contains(name));
    QVERIFY(document.contains(u"<title>&lt;img src=x onerror=alert(1)&gt;</title>"));
    QVERIFY(document.contains(u"No manual entry for \u201C&lt;img src=x onerror=alert(1)&gt;\u201D."));
    QVERIFY(ManPageRenderer::documentHTML(QStringLiteral("a&b(1)"), QString(), std::nullopt, 1.0)
                .contains(u"<title>a&amp;b(1)</title>"));
}

void ManPageRendererTest::render_mdocPage_linksCrossReferences()
{
    const QString path = m_dir.filePath(QStringLiteral("mdoc/man1/greet.1"));
    QVERIFY(writeFile(path, kMdocPage));
    const auto result = waitFor(ManPageRenderer::render(
        manualPage(path, QStringLiteral("greet"), QStringLiteral("1")), darkPalette(), 1.5));
    QVERIFY(result.succeeded());
    QVERIFY(result.document.startsWith(kHead + u"greet(1)</title>\n<style>"));
    QVERIFY(result.document.contains(u"</script>\n</head>\n<body>\n<table class=\"head\">"));
    QVERIFY(result.document.contains(u"<a class=\"Xr\" href=\"x-lectorin-man://1/ls\">ls(1)</a>"));
    QVERIFY(result.document.contains(u"href=\"x-lectorin-man://3/printf\""));

    // A section a URL would read as another one ("010" as 8) links in the form that reads back.
    const QString odd = m_dir.filePath(QStringLiteral("mdoc/man1/odd.1"));
    QVERIFY(writeFile(odd,
        ".Dd January 1, 2024\n.Dt ODD 1\n.Os\n.Sh NAME\n.Nm odd\n.Nd odd sections\n"
        ".Sh SEE ALSO\n.Xr zone 010 ,\n.Xr wide 3X11\n"));
    const QString document
        = waitFor(ManPageRenderer::render(
                      manualPage(odd, QStringLiteral("odd"), QStringLiteral("1")), std::nullopt, 1.0))
              .document;
    QVERIFY2(document.contains(u"href=\"x-lectorin-man:///zone?section=010\""), qPrintable(document));
    QVERIFY(document.contains(u"href=\"x-lectorin-man:///wide?section=3X11\""));
    QVERIFY(result.document.contains(u"\nhtml { font-size: 19.50px; }"));
    QVERIFY(result.document.contains(u":root { color-scheme: dark; }"));
}

void ManPageRendererTest::render_manPage_andCompressedPage()
{
    const QString path = m_dir.filePath(QStringLiteral("man/man1/hello.1"));
    QVERIFY(writeFile(path, kManPage));
    const auto plain = waitFor(ManPageRenderer::render(
        manualPage(path, QStringLiteral("hello"), QStringLiteral("1")), std::nullopt, 1.0));
    QVERIFY(plain.succeeded());
    QVERIFY(plain.document.contains(u"say h&#x00EB;llo"));
    QVERIFY(plain.document.contains(u"<b>hello</b>"));

    QVERIFY(gzipFile(path));
    const auto compressed = waitFor(ManPageRenderer::render(
        manualPage(path + u".gz", QStringLiteral("hello"), QStringLiteral("1")), std::nullopt, 1.0));
    QCOMPARE(compressed, plain);
}

void ManPageRendererTest::render_noFillTextWithoutBlankLines()
{
    // A synopsis as git(1) writes it: continuation lines indented in no-fill mode.
    const QString path = m_dir.filePath(QStringLiteral("man/man1/tend.1"));
    QVERIFY(writeFile(path,
        ".TH TEND 1\n.SH NAME\ntend \\- tend\n.SH SYNOPSIS\n.sp\n.nf\n\\fItend\\fR [\\-v] [\\-C <path>]\n"
        "    [\\-\\-exec\\-path[=<path>]]\n    <command> [<args>]\n.fi\n.sp\n.SH DESCRIPTION\nTends.\n"));
    const auto result = waitFor(ManPageRenderer::render(
        manualPage(path, QStringLiteral("tend"), QStringLiteral("1")), std::nullopt, 1.0));
    const QString document = result.document;
    const qsizetype start = document.indexOf(u"<pre>");
    QVERIFY(start > 0);
    const QString pre = document.mid(start, document.indexOf(u"</pre>", start) - start);
    QCOMPARE(pre,
        QStringLiteral("<pre><i>tend</i> [-v] [-C &lt;path&gt;]\n    [--exec-path[=&lt;path&gt;]]\n"
                       "    &lt;command&gt; [&lt;args&gt;]"));
}

void ManPageRendererTest::render_runsInThePageTreeRoot()
{
    const QString formatter = m_dir.filePath(QStringLiteral("pwd-formatter"));
    QVERIFY(writeScript(formatter, "printf '%s|' \"$@\"; pwd -P\n"));
    const QString root = QFileInfo(m_dir.path()).canonicalFilePath() + u"/tree";
    const QString path = root + u"/man8/tool.8";
    QVERIFY(writeFile(path, "x"));
    const auto result = waitFor(ManPageRenderer::render(
        manualPage(path, QStringLiteral("tool"), QStringLiteral("8")), std::nullopt, 1.0, { formatter }));
    QVERIFY(result.document.contains(
        u"<body>\n-T|html|-O|fragment,man=x-lectorin-man://%S/%N|" + path + u'|' + root + u'\n'));
}

void ManPageRendererTest::render_emptyOrInvalidOutput_givesErrorDocument_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("nothing") << QByteArray("exit 0\n");
    QTest::newRow("not UTF-8") << QByteArray("printf '\\377\\376<p>'\n");
}

void ManPageRendererTest::render_emptyOrInvalidOutput_givesErrorDocument()
{
    QFETCH(QByteArray, script);
    const QString formatter = m_dir.filePath(QStringLiteral("formatter-%1").arg(QTest::currentDataTag()));
    QVERIFY(writeScript(formatter, script));
    const QString path = m_dir.filePath(QStringLiteral("t/man3/printf.3"));
    QVERIFY(writeFile(path, kManPage));
    ManPage page = manualPage(path, QStringLiteral("printf"), QStringLiteral("3"));
    page.displayName = QStringLiteral("printf(3)");
    const auto result = waitFor(ManPageRenderer::render(page, darkPalette(), 2.0, { formatter }));
    QVERIFY(result.succeeded());
    QCOMPARE(result.document,
        ManPageRenderer::errorHTML(
            QStringLiteral("printf(3)"), QStringLiteral("mandoc could not render this page.")));
}

void ManPageRendererTest::render_missingFormatter_fails()
{
    const auto result = waitFor(ManPageRenderer::render(
        manualPage(m_dir.filePath(QStringLiteral("t/man1/x.1")), QStringLiteral("x"), QStringLiteral("1")),
        std::nullopt, 1.0, { m_dir.filePath(QStringLiteral("no-such-formatter")) }));
    QVERIFY(!result.succeeded());
    QVERIFY(!result.failure->isEmpty());
}

void ManPageRendererTest::render_helpPage_neverStartsFormatter()
{
    const QString marker = m_dir.filePath(QStringLiteral("formatter-ran"));
    const QString formatter = m_dir.filePath(QStringLiteral("marking-formatter"));
    QVERIFY(writeScript(formatter, "touch '" + marker.toUtf8() + "'\n"));
    const QString tool = m_dir.filePath(QStringLiteral("bin/tool"));
    QVERIFY(writeScript(tool, "echo 'Usage: tool [-v] file'\n"));
    CommandHelpCache cache;
    const auto result
        = waitFor(ManPageRenderer::render(helpPage(tool), darkPalette(), 1.0, { formatter, &cache }));
    QVERIFY(result.succeeded());
    QVERIFY(result.document.startsWith(kHead + u"tool</title>"));
    QVERIFY(result.document.contains(u"<td class=\"head-vol\">Command Help</td>"));
    QVERIFY(result.document.contains(u":root { color-scheme: dark; }"));
    QVERIFY(!QFile::exists(marker));
}

QTEST_GUILESS_MAIN(ManPageRendererTest)
#include "tst_manpagerenderer.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandhelpcache.h"
#include "render/exportdata.h"
#include "render/rtfwriter.h"
#include "renderfixtures.h"
#include "rtftext.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace Lectorin;
using namespace Lectorin::ManPageRenderer;
using namespace Lectorin::RenderFixtures;

namespace {

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(
        bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString importedText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return foldedWhiteSpace(document.toPlainText());
}

} // namespace

class ExportDataTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rtfWriter_writesCharacterFormats();
    void rtfWriter_writesParagraphsAndBreaks();
    void rtfWriter_escapesText_data();
    void rtfWriter_escapesText();
    void rtfExport_reimportsWithTheSameText();

    void plainText_manPage_hasNoBackspaces();
    void plainText_emptyOutput_isRenderFailed();
    void plainText_helpPage_isTheCleanedOutput();
    void helpPageThatPrintedNothing_exportsAsHtmlButNotText();
    void html_hasNoThemeOrZoom();

private:
    ManPage writePage(
        const QString &relativePath, const QByteArray &source, const QString &name, const QString &section);

    QTemporaryDir m_dir;
};

void ExportDataTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

ManPage ExportDataTest::writePage(
    const QString &relativePath, const QByteArray &source, const QString &name, const QString &section)
{
    const QString path = m_dir.filePath(relativePath);
    writeFile(path, source);
    return manualPage(path, name, section);
}

void ExportDataTest::rtfWriter_writesCharacterFormats()
{
    const ExportResult result = rtfFromHTML(QStringLiteral(
        "<p>plain <b>bold</b> <i>italic</i> <u>under</u> <span style=\"color:#ff8000\">orange</span> "
        "<code>mono</code> caf\u00E9 \U0001F600</p>"));
    QVERIFY(result.succeeded());
    const QByteArray &rtf = result.data;
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi"));
    QVERIFY(rtf.endsWith("}"));
    QVERIFY(isAscii(rtf));
    QVERIFY(rtf.contains("\\b bold}"));
    QVERIFY(rtf.contains("\\i italic}"));
    QVERIFY(rtf.contains("\\ul under}"));
    QVERIFY(rtf.contains("{\\colortbl;\\red255\\green128\\blue0;"));
    QVERIFY(rtf.contains("\\cf1 orange}"));
    QVERIFY(rtf.contains("\\fmodern\\fcharset0\\fprq1 Courier New;"));
    QVERIFY(rtf.contains("caf\\u233?"));
    // U+1F600 is the surrogate pair D83D DE00, written as signed 16-bit values.
    QVERIFY(rtf.contains("\\u-10179?\\u-8704?"));
    QCOMPARE(rtfText(rtf).value_or(QString()).trimmed(),
        QStringLiteral("plain bold italic under orange mono caf\u00E9 \U0001F600"));
}

void ExportDataTest::rtfWriter_writesParagraphsAndBreaks()
{
    const ExportResult result
        = rtfFromHTML(QStringLiteral("<p>one<br>two</p><p align=\"center\">three</p><pre>a\n  b</pre>"
                                     "<table><tr><td>L(1)</td><td>Middle</td><td>L(1)</td></tr></table>"));
    QVERIFY(result.succeeded());
    QVERIFY(result.data.contains("\\line two"));
    QVERIFY(result.data.contains("\\qc"));
    QVERIFY(result.data.contains("\\tqc\\tx4680\\tqr\\tx9360"));
    QCOMPARE(rtfText(result.data).value_or(QString()),
        QStringLiteral("one\ntwo\nthree\na\n  b\nL(1)\tMiddle\tL(1)\n\n"));
}

void ExportDataTest::rtfWriter_escapesText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("specials") << QStringLiteral("a\\b{c}") << QByteArray("a\\\\b\\{c\\}");
    QTest::newRow("tab and breaks") << QStringLiteral("a\tb\u2028c\nd")
                                    << QByteArray("a\\tab b\\line c\\line d");
    QTest::newRow("latin") << QStringLiteral("\u00FC\u00A0x") << QByteArray("\\u252?\\~x");
    QTest::newRow("above 32767") << QStringLiteral("\uFFFD") << QByteArray("\\u-3?");
    QTest::newRow("controls dropped") << QStringLiteral("a\x01\x1b"
                                                        "b")
                                      << QByteArray("ab");
}

void ExportDataTest::rtfWriter_escapesText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, rtf);
    QCOMPARE(RtfWriter::escapeText(text), rtf);
}

void ExportDataTest::rtfExport_reimportsWithTheSameText()
{
    const ManPage page = writePage(
        QStringLiteral("rtf/man1/greet.1"), kMdocPage, QStringLiteral("greet"), QStringLiteral("1"));
    const ExportResult rtf = waitFor(rtfData(page));
    QVERIFY2(rtf.succeeded(), qPrintable(rtf.failure.value_or(QString())));
    QVERIFY(isAscii(rtf.data));
    const RenderResult rendered = waitFor(render(page, std::nullopt, 1.0));
    const std::optional<QString> text = rtfText(rtf.data);
    QVERIFY(text);
    QCOMPARE(foldedWhiteSpace(*text), importedText(rendered.document));
    QVERIFY(text->contains(u"GREET(1)\tGeneral Commands Manual\tGREET(1)"));
    QVERIFY(rtf.data.contains("\\fs20\\b\\cf2 N"));
    QVERIFY(rtf.data.contains("\\cf3 ls(1)}"));
}

void ExportDataTest::plainText_manPage_hasNoBackspaces()
{
    const ManPage page = writePage(
        QStringLiteral("text/man1/hello.1"), kManPage, QStringLiteral("hello"), QStringLiteral("1"));
    const ExportResult result = waitFor(plainTextData(page));
    QVERIFY(result.succeeded());
    const QString text = QString::fromUtf8(result.data);
    QVERIFY(!text.contains(u'\b'));
    QVERIFY(text.contains(u"\nNAME\n"));
    QVERIFY(text.contains(u"say h\u00EBllo"));
    QVERIFY(text.contains(u"hello file"));
}

void ExportDataTest::plainText_emptyOutput_isRenderFailed()
{
    const QString formatter = m_dir.filePath(QStringLiteral("silent-formatter"));
    QVERIFY(writeScript(formatter, "exit 0\n"));
    const ManPage page
        = writePage(QStringLiteral("empty/man1/e.1"), "", QStringLiteral("e"), QStringLiteral("1"));
    QCOMPARE(waitFor(plainTextData(page, { formatter })), ExportResult::failed(ExportError::renderFailed));
    QCOMPARE(ExportResult::failed(ExportError::renderFailed).failure,
        QStringLiteral("The manual page could not be rendered."));
}

void ExportDataTest::plainText_helpPage_isTheCleanedOutput()
{
    const QString tool = m_dir.filePath(QStringLiteral("bin/colourful"));
    QVERIFY(writeScript(tool, "printf '\\033[1mUsage:\\033[0m colourful <file>\\r\\n  -v  verbose\\r\\n'\n"));
    CommandHelpCache cache;
    const ExportResult result = waitFor(plainTextData(helpPage(tool), { QString(), &cache }));
    QCOMPARE(result, (ExportResult { "Usage: colourful <file>\n  -v  verbose\n", std::nullopt }));
}

void ExportDataTest::helpPageThatPrintedNothing_exportsAsHtmlButNotText()
{
    const QString tool = m_dir.filePath(QStringLiteral("bin/mute"));
    QVERIFY(writeScript(tool, "exit 1\n"));
    CommandHelpCache cache;
    const RenderTools tools { QString(), &cache };
    QCOMPARE(waitFor(plainTextData(helpPage(tool), tools)), ExportResult::failed(ExportError::renderFailed));
    const ExportResult html = waitFor(htmlData(helpPage(tool), tools));
    QVERIFY(html.succeeded());
    QVERIFY(html.data.contains("printed nothing when asked for help"));
    const ExportResult rtf = waitFor(rtfData(helpPage(tool), tools));
    QVERIFY(rtf.succeeded());
    QVERIFY(rtfText(rtf.data).value_or(QString()).contains(u"printed nothing when asked for help"));
}

void ExportDataTest::html_hasNoThemeOrZoom()
{
    const ManPage page = writePage(
        QStringLiteral("html/man1/greet.1"), kMdocPage, QStringLiteral("greet"), QStringLiteral("1"));
    const ExportResult result = waitFor(exportData(page, ExportFormat::html));
    QVERIFY(result.succeeded());
    QVERIFY(result.data.startsWith("<!DOCTYPE html>"));
    const QByteArray style = result.data.mid(0, result.data.indexOf("</style>"));
    QVERIFY(style.endsWith(ManPageRenderer::baseStylesheet().toUtf8()));
}

int main(int argc, char *argv[])
{
    // Rich text needs a GUI application; the test never shows anything.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ExportDataTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exportdata.moc"

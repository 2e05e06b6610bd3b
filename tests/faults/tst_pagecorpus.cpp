// SPDX-License-Identifier: GPL-3.0-or-later
// A few hundred page sources of every odd shape (tables, equations, strange escapes, broken and recursive
// macros, stray bytes), each taken through every way Lectorin reads a page: the scan, the HTML render, the
// rich-text and plain-text exports and the search text. Whatever mandoc makes of them, each must come back
// as a document or a reported failure; run under the sanitizers, nothing in between may misbehave.
#include "faultfixtures.h"

#include "catalogue/manindex.h"
#include "fulltext/pagetext.h"
#include "render/exportdata.h"
#include "render/manpagerenderer.h"
#include "render/unrenderablepages.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace FaultFixtures;

namespace {

constexpr int kPageCount = 300;

const QList<QByteArray> kHeaders {
    ".TH NAME 1 2024-01-01 \"Corpus 1.0\" \"User Commands\"\n.SH NAME\nname \\- a page\n",
    ".Dd January 1, 2024\n.Dt NAME 3\n.Os\n.Sh NAME\n.Nm name\n.Nd a page\n",
    ".TH\n",
    ".Dd\n.Dt\n.Sh\n",
    "",
    "\xef\xbb\xbf.TH BOM 7\r\n.SH NAME\r\nbom \\- carriage returns\r\n",
};

const QList<QByteArray> kFragments {
    // man(7) as Linux pages write it
    ".SH SYNOPSIS\n.B name\n[\\fB\\-a\\fR|\\fB\\-\\-all\\fR] [\\fIfile\\fR...]\n",
    ".SH SEE ALSO\n.BR ls (1),\n.IR printf (3),\n.BR \"\" (),\n.BR x ( 99zz )\n",
    ".TP\n.B \\-v\nverbose\n.TP\n.TP\n.TP\n",
    ".RS\n.RS\n.RS\n.RS\ndeep\n.RE\n.RE\n.RE\n.RE\n.RE\n.RE\n",
    ".IP \\(bu 2\nbullet\n.IP\n.IP \"\" -5\n",
    ".nf\n\\t\\ttabs\\tand spaces   kept\n.fi\n",
    ".EX\ncode <with> & \"markup\"\n.EE\n",
    ".UR https://example.org/a?b=c&d=<e>\nlink\n.UE .\n.MT someone@example.org\n.ME\n",
    ".SY command\n.OP \\-x arg\n.YS\n",
    // tbl
    ".TS\nallbox tab(:);\nc c c\nl n r.\nA:B:C\n1:2.5:three\n_\nT{\nwrapped\ntext block\nT}:x:y\n.TE\n",
    ".TS\nbox;\nl l.\nunterminated\trow\n",
    ".TS\n;\n.TE\n",
    ".TS\ntab(\t) center expand;\ncb s s\nl l l.\nspan\tx\ny\tz\tw\textra\tcells\n.TE\n",
    ".TS\nc.\nT{\n.TE\n",
    // eqn
    ".EQ\nx sup 2 + y sub i over {a + b} = sqrt {c}\n.EN\n",
    ".EQ\ndelim $$\n.EN\ninline $a over b$ and $ unclosed\n",
    ".EQ\nmatrix { ccol { 1 above 2 } rcol { 3 above 4 } }\n.EN\n",
    ".EQ\n{{{{{{{{{{ deep\n.EN\n",
    ".EQ\ndefine f \"g\"\ndefine g \"h\"\nf f f\n.EN\n",
    ".EQ\n.EN\n.EN\n.EQ\n",
    // escapes
    "\\[u1F600] \\[u0000] \\[uD800] \\(xx \\[nosuchglyph] \\C'em' \\N'65' \\N'999999999'\n",
    "\\*(xx\\*[undefined string]\\n(yy\\n[zz]\\$1\\$*\n",
    "\\h'-99999i'\\v'99999i'\\l'99999i'\\L'-5i'\\D'l 1i 1i'\\o'abc'\\z\\X'tty: link'\\Z'zero'\n",
    "\\f[NoSuchFont]font\\fP\\f(XXx\\fR\\s+99big\\s-99small\\s0\\m[red]colour\\m[]\n",
    "\\k(a\\w'width'\\kb\\h'\\nbu'\\e\\\\\\\\ \\& \\| \\^ \\0 \\~ \\: \\%\n",
    "backslash at the end \\",
    "\\\n",
    "trailing \\c\n.B continued\n",
    // broken and recursive macros
    ".de xx\n.xx\n..\n.xx\n",
    ".de aa\n.bb\n..\n.de bb\n.aa\n..\n.aa\n",
    ".de\n..\n.am\n.rm\n.rn\n.ds\n.nr\n.als\n",
    ".ds s \\*s\\*s\n\\*s\n",
    ".ig\nignored\n.\n",
    ".if n .if t .if \\n(.g .ie 1 .el .el .el\n",
    ".while 1 .nop loop\n",
    ".so man1/nonexistent.1\n",
    ".so man1/page0.1\n",
    ".Bl -tag -width Ds\n.It Fl a\nflag\n.It\n.Bl -enum\n.It\n",
    ".Bd -literal\nunclosed display\n",
    ".Ed\n.El\n.Ef\n.Ek\n",
    ".Xr\n.Xr ls\n.Xr ls 1 2 3\n.Xr \"\" \"\"\n",
    ".Fo\n.Fa\n.Fc\n.Fn \"\" \"\"\n.Fd #include <x>\n",
    ".Sh\n.Ss\n.Sh \"\"\n.SS\n",
    ".Rs\n.%A author\n.%T title\n.Re\n.Rs\n",
    ".Oo\n.Op Oo Oc Oc Oc\n.Oc\n",
    // bytes and lines
    QByteArrayLiteral("nul \0 byte \x01\x02\x1b[31m escape\n"),
    "invalid \xff\xfe utf-8 \xc3 \xe2\x82 halves\n",
    QByteArray(5000, 'w') + "\n",
    "." + QByteArray(300, 'Z') + " macro name too long\n",
    "'\n.\n..\n...\n'br\n.br\n.sp -100\n.sp 9999\n.in -50\n.ll 0\n.ti 999\n",
    "<script>alert(1)</script> &amp; <b>markup</b> javascript:void(0)\n",
};

QByteArray pageSource(QRandomGenerator &random)
{
    QByteArray source = kHeaders.at(random.bounded(int(kHeaders.size())));
    const int fragments = 2 + random.bounded(6);
    for (int i = 0; i < fragments; ++i)
        source += kFragments.at(random.bounded(int(kFragments.size())));
    if (random.bounded(4) == 0) // cut anywhere, as a truncated file is
        source.truncate(random.bounded(int(source.size()) + 1));
    return source;
}

} // namespace

class PageCorpusTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void everyPageSource_givesADocumentOrAReportedFailure();

private:
    QTemporaryDir m_dir;
};

void PageCorpusTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void PageCorpusTest::everyPageSource_givesADocumentOrAReportedFailure()
{
    QRandomGenerator random(2024);
    const QString root = m_dir.filePath(QStringLiteral("man"));
    const QStringList sections { "1", "3", "3pm", "5", "7", "8", "n" };
    for (int i = 0; i < kPageCount; ++i) {
        const QString &section = sections.at(i % sections.size());
        const QString path = root + "/man" + section.left(1) + "/page" + QString::number(i) + '.' + section;
        QVERIFY(writeFile(path, pageSource(random)));
    }
    const QList<ManPage> pages = ManIndex::scan({ root }).pages();
    QCOMPARE(pages.size(), kPageCount);

    UnrenderablePages unrenderable;
    RenderTools tools;
    tools.unrenderablePages = &unrenderable;
    for (const ManPage &page : pages) {
        const auto rendered = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0, tools));
        QVERIFY2(rendered.succeeded(), qPrintable(page.id() + u": " + rendered.failure.value_or(QString())));
        QVERIFY2(rendered.document.startsWith(u"<!DOCTYPE html>"), qPrintable(page.id()));
        const auto rich = waitFor(ManPageRenderer::rtfData(page, tools));
        QVERIFY2(rich.succeeded() && rich.data.startsWith("{\\rtf"), qPrintable(page.id()));
        const auto plain = waitFor(ManPageRenderer::plainTextData(page, tools));
        QVERIFY2(
            plain.succeeded() || plain.failure == description(ManPageRenderer::ExportError::renderFailed),
            qPrintable(page.id()));
        const std::optional<QString> text = PageText::renderBlocking(page, tools.formatter);
        QVERIFY2(text, qPrintable(page.id()));
        PageText::nameLine(*text);
    }
}

int main(int argc, char *argv[])
{
    // Rich text needs a GUI application; the test never shows anything.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    PageCorpusTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pagecorpus.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/manurl.h"
#include "web/documentstream.h"
#include "web/manpageexporter.h"
#include "web/manschemehandler.h"
#include "web/pagecolorscheme.h"
#include "webfixtures.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineProfile>

using namespace Lectorin;
using namespace Lectorin::WebFixtures;

namespace {

constexpr int kLoadTimeout = 30000;

// A long page whose rendered document is over 2 MB.
QByteArray longPageBody()
{
    QByteArray body = ".Sh DESCRIPTION\n";
    for (int paragraph = 0; paragraph < 32000; ++paragraph)
        body += ".Pp\nParagraph " + QByteArray::number(paragraph) + " of a long page, with some words.\n";
    return body;
}

// The engine stores page sizes in 1/300 inch, so 800 points come back as 799.92.
bool isSinglePageWidth(const PdfInfo &info)
{
    return qAbs(info.pageSize.section(u' ', 0, 0).toDouble() - ManPageExporter::kWidth) < 0.5;
}

struct LoadedDocument
{
    bool ok = false;
    QString title;
    QString text;
};

LoadedDocument load(QWebEnginePage &page, const QUrl &url)
{
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.load(url);
    if (!finished.wait(kLoadTimeout))
        return {};
    return { finished.first().first().toBool(), page.title(),
        evaluate(&page, QStringLiteral("document.body.innerText")).toString() };
}

} // namespace

class WebEngineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void handler_answersEveryRequestWithHTML_data();
    void handler_answersEveryRequestWithHTML();
    void handler_everySectionReachesItsOwnPage();
    void handler_waitsForTheFirstLoad();
    void handler_renderFailureIsAPage();
    void documentStream_topAtOnceRestWhenReleased();
    void hostilePage_runsNoScriptOfItsOwn();
    void colorScheme_followsAppearanceUnlessThemeChose();
    void exporter_paginatedAndSinglePagePDF();
    void exporter_documentOver2MB();
    void cli_exportsBothPDFs();

private:
    FixtureCatalogue m_catalogue;
};

void WebEngineTest::initTestCase()
{
    QVERIFY(m_catalogue.loadAndWait());
    ManSchemeHandler::installOn(QWebEngineProfile::defaultProfile(), m_catalogue.app.get());
}

void WebEngineTest::handler_answersEveryRequestWithHTML_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *tag, const char *url, const char *title, const char *text) {
        QTest::newRow(tag) << QString(url) << QString::fromUtf8(title) << QString::fromUtf8(text);
    };
    row("section 1", "x-lectorin-man://1/ls", "ls(1)", "Lists files.");
    row("no section", "x-lectorin-man:///ls", "ls(1)", "Lists files.");
    row("host only", "x-lectorin-man://printf", "printf(3)", "Formats.");
    row("3pm and ::", "x-lectorin-man://3pm/Foo::Bar", "Foo::Bar(3pm)", "Perl.");
    row("3X11", "x-lectorin-man://3X11/XDrawLine", "XDrawLine(3X11)", "Draws.");
    row("space", "x-lectorin-man://1/git%20log", "git log(1)", "Shows.");
    row("plus", "x-lectorin-man://1/g++", "g++(1)", "Compiles.");
    row("other section", "x-lectorin-man://2/open", "open(1)", "Opens.");
    row("not found", "x-lectorin-man://1/nosuch", "nosuch", "No manual entry for \u201Cnosuch\u201D.");
    row("markup in name", "x-lectorin-man://1/%3Cb%3Ex", "<b>x", "No manual entry for \u201C<b>x\u201D.");
    row("malformed", "x-lectorin-man:///", "Lectorin", "Malformed man page reference.");
}

void WebEngineTest::handler_answersEveryRequestWithHTML()
{
    QFETCH(QString, url);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QWebEnginePage page;
    const LoadedDocument document = load(page, QUrl(url));
    QVERIFY(document.ok);
    QCOMPARE(document.title, title);
    QVERIFY2(document.text.contains(text), qPrintable(document.text));
}

// Sections that QUrl would read alike ("010" and "8", "0x1" and "1", "3X11" and "3x11") each open their own
// page through the engine.
void WebEngineTest::handler_everySectionReachesItsOwnPage()
{
    FixtureCatalogue catalogue;
    const QStringList sections { "1", "8", "010", "0x1", "3c++", "3X11", "3x11", "n", "9fun", "3pm", "7ssl" };
    for (const QString &section : sections) {
        QVERIFY(writeFile(catalogue.manRoot() + "/man" + section.left(1) + "/same." + section,
            mdocPage("same", section.toUtf8(), ".Sh DESCRIPTION\nIn section " + section.toUtf8() + ".\n")));
    }
    QVERIFY(catalogue.loadAndWait());
    QWebEngineProfile profile;
    ManSchemeHandler::installOn(&profile, catalogue.app.get());
    QWebEnginePage page(&profile);
    for (const QString &section : sections) {
        const std::optional<QUrl> url = manURL(QStringLiteral("same"), section);
        QVERIFY(url);
        const LoadedDocument document = load(page, *url);
        QVERIFY(document.ok);
        QCOMPARE(document.title, u"same(" + section + u')');
        QVERIFY2(document.text.contains(u"In section " + section + u'.'), qPrintable(document.text));
        QCOMPARE(parseManURL(page.url())->section, std::optional(section));
    }
}

void WebEngineTest::handler_waitsForTheFirstLoad()
{
    FixtureCatalogue slow;
    slow.holdLoad->store(true);
    slow.app->loadIndexIfNeeded();
    QWebEngineProfile profile;
    ManSchemeHandler::installOn(&profile, slow.app.get());
    QWebEnginePage page(&profile);
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.load(QUrl("x-lectorin-man://1/ls"));
    QSignalSpy stateChanged(slow.app.get(), &AppModel::indexStateChanged);
    QCOMPARE(slow.app->indexState(), AppModel::IndexState::loading);
    slow.holdLoad->store(false);
    QVERIFY(finished.wait(kLoadTimeout));
    QCOMPARE(stateChanged.count(), 1);
    QCOMPARE(page.title(), QStringLiteral("ls(1)"));
}

void WebEngineTest::handler_renderFailureIsAPage()
{
    QWebEngineProfile profile;
    RenderTools broken;
    broken.formatter = m_catalogue.dir.filePath("no-such-mandoc");
    ManSchemeHandler *handler = ManSchemeHandler::installOn(&profile, m_catalogue.app.get(), broken);
    QCOMPARE(ManSchemeHandler::installOn(&profile, m_catalogue.app.get()), handler);
    QWebEnginePage page(&profile);
    const LoadedDocument document = load(page, QUrl("x-lectorin-man://1/ls"));
    QVERIFY(document.ok);
    QCOMPARE(document.title, QStringLiteral("ls"));
    QVERIFY2(document.text.startsWith(u"Rendering failed: "), qPrintable(document.text));
}

// Markup in a file name and in a page's text, and a "javascript:" link, must not run; the document's own
// script must.
void WebEngineTest::documentStream_topAtOnceRestWhenReleased()
{
    QObject owner;
    DocumentStream shortOne("<p>short</p>", &owner);
    QVERIFY(shortOne.isReleased());
    QCOMPARE(shortOne.readAll(), "<p>short</p>");
    QVERIFY(shortOne.atEnd());

    QByteArray document;
    while (document.size() < 3 * DocumentStream::kTopBytes)
        document += "<p>Line " + QByteArray::number(document.size()) + "</p>\n";
    DocumentStream stream(document, &owner);
    QVERIFY(!stream.isReleased());
    const QByteArray top = stream.readAll();
    QVERIFY(top.size() >= DocumentStream::kTopBytes && top.size() < document.size());
    QVERIFY(top.endsWith('\n'));
    QVERIFY(!stream.atEnd());
    QCOMPARE(stream.read(1), QByteArray()); // nothing more yet, and no end
    QSignalSpy more(&stream, &QIODevice::readyRead);
    stream.release();
    stream.release();
    QCOMPARE(more.size(), 1);
    QCOMPARE(top + stream.readAll(), document);
    QVERIFY(stream.atEnd());

    // Unreleased, the rest follows on its own.
    DocumentStream unreported(document, &owner);
    QSignalSpy finished(&unreported, &QIODevice::readChannelFinished);
    QVERIFY(finished.wait(5 * DocumentStream::kLongestHoldMilliseconds));
    QCOMPARE(unreported.readAll(), document);
}

void WebEngineTest::hostilePage_runsNoScriptOfItsOwn()
{
    FixtureCatalogue hostile;
    const QByteArray name = "<img src=x onerror=window.pwned=1>";
    QVERIFY(writeFile(hostile.manRoot() + "/man1/" + QString::fromLatin1(name) + ".1",
        mdocPage(name, "1",
            ".Sh DESCRIPTION\n<script>window.pwned=2</script>\n"
            "<img src=x onerror=\"window.pwned=3\">\n.Pp\n.Lk javascript:window.pwned=4 run\n")));
    QVERIFY(hostile.loadAndWait());
    QWebEngineProfile profile;
    ManSchemeHandler::installOn(&profile, hostile.app.get());
    QWebEnginePage page(&profile);
    const std::optional<QUrl> url = manURL(QString::fromLatin1(name), QStringLiteral("1"));
    QVERIFY(url);
    const LoadedDocument document = load(page, *url);
    QVERIFY(document.ok);
    QCOMPARE(document.title, QString::fromLatin1(name + "(1)"));
    QVERIFY2(document.text.contains(u"<script>window.pwned=2</script>"), qPrintable(document.text));

    // A link to "javascript:" as a page could carry it, clicked.
    // The document's policy refuses the link's script with a violation event, which ends the wait.
    evaluate(&page,
        QStringLiteral(
            "document.addEventListener('securitypolicyviolation', () => { window.refused = true; });"
            "const a = document.createElement('a'); a.href = 'javascript:window.pwned=5'; "
            "a.textContent = 'run'; document.body.append(a); a.click(); true"));
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(&page, QStringLiteral("window.refused === true")).toBool(), 15000);
    QCOMPARE(evaluate(&page, QStringLiteral("typeof window.pwned")).toString(), QStringLiteral("undefined"));
    QCOMPARE(evaluate(&page, QStringLiteral("typeof lectorinNewWindowTarget")).toString(),
        QStringLiteral("function"));
}

void WebEngineTest::colorScheme_followsAppearanceUnlessThemeChose()
{
    const QString readScheme = QStringLiteral("getComputedStyle(document.documentElement).colorScheme");
    QWebEnginePage page;
    PageColorScheme::apply(&page, true);
    QVERIFY(load(page, QUrl("x-lectorin-man://1/ls")).ok);
    QTRY_COMPARE(evaluate(&page, readScheme).toString(), QStringLiteral("dark"));
    PageColorScheme::apply(&page, false);
    QTRY_COMPARE(evaluate(&page, readScheme).toString(), QStringLiteral("light"));

    // A theme's own choice stays whatever the appearance.
    const QString themed = ManPageRenderer::documentHTML(QStringLiteral("t"), QStringLiteral("<p>x</p>"),
        ManPagePalette { "#000", "#fff", "#fff", "#fff", "#fff", "#fff", "#888", true }, 1.0);
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.setHtml(themed);
    QVERIFY(finished.wait(kLoadTimeout));
    QCOMPARE(evaluate(&page, readScheme).toString(), QStringLiteral("dark"));
}

void WebEngineTest::exporter_paginatedAndSinglePagePDF()
{
    const ManPage greet = *m_catalogue.app->page(QStringLiteral("1/greet"));
    const QString paginated = m_catalogue.dir.filePath("greet.pdf");
    const QString single = m_catalogue.dir.filePath("greet-single.pdf");
    std::optional<std::optional<QString>> paginatedResult;
    std::optional<std::optional<QString>> singleResult;
    ManPageExporter first;
    first.exportPDF(
        greet, paginated, [&](const std::optional<QString> &failure) { paginatedResult = failure; });
    ManPageExporter second;
    second.exportSinglePagePDF(
        greet, single, [&](const std::optional<QString> &failure) { singleResult = failure; });
    QTRY_VERIFY_WITH_TIMEOUT(paginatedResult && singleResult, kLoadTimeout);
    QCOMPARE(*paginatedResult, std::nullopt);
    QCOMPARE(*singleResult, std::nullopt);

    const PdfInfo paginatedInfo = pdfInfo(paginated);
    QCOMPARE(paginatedInfo.pages, 1);
    const bool letter = ManPageExporter::defaultPageLayout().pageSize().id() == QPageSize::Letter;
    QVERIFY2(
        paginatedInfo.pageSize.contains(letter ? u"(letter)" : u"(A4)"), qPrintable(paginatedInfo.pageSize));

    const PdfInfo singleInfo = pdfInfo(single);
    QCOMPARE(singleInfo.pages, 1);
    QVERIFY2(isSinglePageWidth(singleInfo), qPrintable(singleInfo.pageSize));

    // Writing into a missing folder is the file system's failure, not a silent success.
    std::optional<std::optional<QString>> failed;
    ManPageExporter third;
    third.exportSinglePagePDF(greet, m_catalogue.dir.filePath("missing/folder/x.pdf"),
        [&](const std::optional<QString> &failure) { failed = failure; });
    QTRY_VERIFY_WITH_TIMEOUT(failed, kLoadTimeout);
    QVERIFY(failed->has_value());
}

void WebEngineTest::exporter_documentOver2MB()
{
    const QString path = m_catalogue.dir.filePath("big/man1/big.1");
    QVERIFY(writeFile(path, mdocPage("big", "1", longPageBody())));
    const ManPage big { QStringLiteral("big"), QStringLiteral("1"), path, QStringLiteral("big"),
        QStringLiteral("big") };
    const QString single = m_catalogue.dir.filePath("big-single.pdf");
    std::optional<std::optional<QString>> singleResult;
    ManPageExporter exporter;
    exporter.exportSinglePagePDF(
        big, single, [&](const std::optional<QString> &failure) { singleResult = failure; });
    QTRY_VERIFY_WITH_TIMEOUT(singleResult, 120000);
    QCOMPARE(*singleResult, std::nullopt);
    QVERIFY(evaluate(exporter.page(), QStringLiteral("document.documentElement.outerHTML.length")).toInt()
        > 2 * 1024 * 1024);
    const PdfInfo singleInfo = pdfInfo(single);
    QCOMPARE(singleInfo.pages, 1);
    QVERIFY2(isSinglePageWidth(singleInfo), qPrintable(singleInfo.pageSize));
}

void WebEngineTest::cli_exportsBothPDFs()
{
    for (const QString &format : { QStringLiteral("pdf"), QStringLiteral("pdf-single") }) {
        const QString output = m_catalogue.dir.filePath("cli-" + format + ".pdf");
        QProcess cli;
        cli.start(QStringLiteral(LECTORIN_CLI),
            { "export", "greet(1)", "--format", format, "-o", output, "--manpath", m_catalogue.manRoot(),
                "--path", m_catalogue.dir.filePath("bin") });
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const PdfInfo info = pdfInfo(output);
        QCOMPARE(info.pages, 1);
        if (format == u"pdf-single")
            QVERIFY2(isSinglePageWidth(info), qPrintable(info.pageSize));
    }
}

LECTORIN_WEB_TEST_MAIN(WebEngineTest)
#include "tst_webengine.moc"

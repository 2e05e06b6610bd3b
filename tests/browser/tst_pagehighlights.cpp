// SPDX-License-Identifier: GPL-3.0-or-later
// Highlights in the real engine: the page script's text against the core's reading of the same document,
// selections made into marks across elements, saved highlights found again in a page that differs from the
// one they were made on, and exports that carry the marks.
#include "annotations/annotationstore.h"
#include "annotations/highlightanchoring.h"
#include "annotations/htmlpagetext.h"
#include "browser/annotationpages.h"
#include "browser/browsermodel.h"
#include "browser/browserpresenter.h"
#include "browser/highlightscript.h"
#include "browser/pageexports.h"
#include "browser/pagehighlights.h"
#include "browser/scriptcall.h"
#include "web/webfixtures.h"

#include <QSignalSpy>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::WebFixtures;

namespace {

constexpr int kTimeout = 30000;

// man(7) as Linux pages write it: fonts switched inside a sentence, a tagged option list, an example block.
const QByteArray kLantern = ".TH LANTERN 1\n.SH NAME\nlantern \\- light a wick\n.SH DESCRIPTION\n"
                            "The \\fBlantern\\fR burns \\fIparaffin\\fR steadily through the night.\n"
                            "It never goes out on its own.\n"
                            ".SH OPTIONS\n.TP\n\\fB\\-b\\fR, \\fB\\-\\-brightness\\fR=\\fIlevel\\fR\n"
                            "Set the brightness of the flame.\n"
                            ".SH EXAMPLES\n.nf\nlantern \\-b 3 \\-\\-wick cotton\n.fi\n";

class ExportPresenter : public BrowserPresenter
{
public:
    QString exportPath;
    bool includeHighlights = true;
    QStringList alerts;

    void showAlert(const QString &message, const QString &) override { alerts << message; }
    void beep() override { }
    QString chooseExportFile(const QString &, ExportFormat) override { return exportPath; }
    ExportChoice chooseExport(const QString &, ExportFormat) override
    {
        return { exportPath, includeHighlights };
    }
    void print(QWebEnginePage *, std::function<void()> finished) override { finished(); }
};

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PageHighlightsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void pageText_isTheCoreReadingOfTheDocument_data();
    void pageText_isTheCoreReadingOfTheDocument();
    void selection_becomesMarksAcrossElements();
    void savedHighlights_areFoundAgainAndTakeTheirNewQuote();
    void exports_carryTheMarks();

private:
    bool showAndWait(const QString &id);
    QVariant inPage(const QString &body, const QVariantMap &arguments = {});
    Highlight stored(const QString &exact, const QString &prefix, const QString &suffix);

    std::unique_ptr<FixtureCatalogue> m_catalogue;
    ExportPresenter m_presenter;
    std::unique_ptr<AnnotationStore> m_store;
    std::unique_ptr<BrowserModel> m_model;
};

void PageHighlightsTest::initTestCase()
{
    m_catalogue = std::make_unique<FixtureCatalogue>();
    QVERIFY(writeFile(m_catalogue->manRoot() + "/man1/lantern.1", kLantern));
    QVERIFY(m_catalogue->loadAndWait());
}

void PageHighlightsTest::init()
{
    QFile::remove(m_catalogue->dir.filePath("annotations.json"));
    m_store = std::make_unique<AnnotationStore>(m_catalogue->dir.filePath("annotations.json"));
    BrowserOptions options;
    options.annotations = m_store.get();
    m_model = std::make_unique<BrowserModel>(m_catalogue->app.get(), &m_presenter, options);
}

void PageHighlightsTest::cleanup()
{
    m_model.reset();
    m_store.reset();
}

bool PageHighlightsTest::showAndWait(const QString &id)
{
    QSignalSpy marked(m_model->highlights(), &PageHighlights::marked);
    m_model->show(id);
    return QTest::qWaitFor([&] { return m_model->currentPageID() == id && !marked.isEmpty(); }, kTimeout);
}

QVariant PageHighlightsTest::inPage(const QString &body, const QVariantMap &arguments)
{
    return evaluate(m_model->page(), ScriptCall::functionCall(body, arguments));
}

Highlight PageHighlightsTest::stored(const QString &exact, const QString &prefix, const QString &suffix)
{
    Highlight highlight;
    highlight.id = QUuid::createUuid();
    highlight.page = "x-lectorin-man://1/lantern";
    highlight.pageTitle = "lantern(1)";
    highlight.quote = { exact, prefix, suffix, "DESCRIPTION", 120 };
    highlight.created = highlight.modified = QDateTime::currentDateTimeUtc();
    return highlight;
}

void PageHighlightsTest::pageText_isTheCoreReadingOfTheDocument_data()
{
    QTest::addColumn<QString>("id");
    QTest::newRow("man(7) with an example and its copy button") << "1/lantern";
    QTest::newRow("mdoc with references made links") << "1/greet";
}

void PageHighlightsTest::pageText_isTheCoreReadingOfTheDocument()
{
    QFETCH(QString, id);
    QVERIFY(showAndWait(id));
    const PageText shown = HighlightScript::pageTextFrom(inPage(HighlightScript::pageTextScript()));
    const std::optional<ManPage> page = m_catalogue->app->page(id);
    QVERIFY(page);
    QFuture<ManPageRenderer::RenderResult> rendered = ManPageRenderer::render(*page, std::nullopt, 1.0);
    QVERIFY(QTest::qWaitFor([&] { return rendered.isFinished(); }, kTimeout));
    const PageText read = HtmlPageText::read(rendered.result().document);
    // The parser drops white space between the document's head and its content that a reading of the
    // markup may keep; past it, the two are the same.
    const qsizetype skipped = read.text.size() - shown.text.size();
    QVERIFY(skipped >= 0 && read.text.first(skipped).trimmed().isEmpty());
    QCOMPARE(read.text.sliced(skipped), shown.text);
    QCOMPARE(shown.sections.size(), read.sections.size());
    for (qsizetype at = 0; at < shown.sections.size(); ++at)
        QCOMPARE(shown.sections.at(at),
            (PageSection { read.sections.at(at).start - skipped, read.sections.at(at).title }));
    QVERIFY(shown.sections.size() >= 3);
    QCOMPARE(shown.sections.first().title, QStringLiteral("NAME"));
}

void PageHighlightsTest::selection_becomesMarksAcrossElements()
{
    QVERIFY(showAndWait("1/lantern"));
    const PageText before = HighlightScript::pageTextFrom(inPage(HighlightScript::pageTextScript()));
    // From inside "burns" (a text node) to inside "paraffin" (an <i>), with white space at the ends.
    inPage(R"js(
const paragraph = Array.from(document.querySelectorAll("p")).find((p) => p.textContent.includes("burns"));
const walker = document.createTreeWalker(paragraph, NodeFilter.SHOW_TEXT);
const texts = [];
for (let node = walker.nextNode(); node; node = walker.nextNode()) texts.push(node);
const first = texts.find((node) => node.data.includes("burns"));
const last = texts.find((node) => node.data.includes("paraffin"));
const range = document.createRange();
range.setStart(first, first.data.indexOf("burns") - 1);
range.setEnd(last, last.data.indexOf("paraffin") + 4);
getSelection().removeAllRanges();
getSelection().addRange(range);
)js");
    QSignalSpy marked(m_model->highlights(), &PageHighlights::marked);
    bool selected = false;
    m_model->highlights()->highlightSelection(
        HighlightColour::green, "fuel", [&](bool had) { selected = had; });
    QVERIFY(marked.wait(kTimeout));
    QVERIFY(selected);
    QCOMPARE(m_store->highlights().size(), 1);
    const Highlight made = m_store->highlights().constFirst();
    QCOMPARE(made.quote.exact, QStringLiteral("burns para"));
    QCOMPARE(made.quote.section, QStringLiteral("DESCRIPTION"));
    QCOMPARE(made.page, QStringLiteral("x-lectorin-man://1/lantern"));
    QCOMPARE(made.pageTitle, QStringLiteral("lantern(1)"));
    QCOMPARE(before.text.mid(made.quote.position, made.quote.exact.size()), made.quote.exact);

    // One mark for each text node the range crosses; together they say the quote, and the text is unchanged.
    const QVariantList marks
        = inPage("return Array.from(document.querySelectorAll('mark.lectorin-highlight'),"
                 " (m) => [m.textContent, m.dataset.colour, m.title, m.parentElement.tagName]);")
              .toList();
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks.at(0).toList(), QVariantList({ "burns ", "green", "fuel", "P" }));
    QCOMPARE(marks.at(1).toList(), QVariantList({ "para", "green", "fuel", "I" }));
    QCOMPARE(HighlightScript::pageTextFrom(inPage(HighlightScript::pageTextScript())).text, before.text);
    QCOMPARE(m_model->highlights()->attachmentOf(made.id), std::optional(Attachment::exact));

    // Without a selection there is nothing to highlight; removing the highlight removes its marks.
    bool again = true;
    m_model->highlights()->highlightSelection(HighlightColour::pink, {}, [&](bool had) { again = had; });
    QTRY_VERIFY_WITH_TIMEOUT(!again, kTimeout);
    m_store->removeHighlight(made.id);
    QVERIFY(marked.wait(kTimeout));
    QCOMPARE(inPage("return document.querySelectorAll('mark').length;").toInt(), 0);
    QCOMPARE(HighlightScript::pageTextFrom(inPage(HighlightScript::pageTextScript())).text, before.text);
}

void PageHighlightsTest::savedHighlights_areFoundAgainAndTakeTheirNewQuote()
{
    // As saved from an older page: one whose context changed, one whose words changed, one that is gone.
    const Highlight moved = stored("steadily through the night", "an older sentence said ", " and more");
    const Highlight changed = stored("never goes out on its own accord", "night. It ", ".");
    const Highlight gone = stored("a sentence this page never had", "", "");
    for (const Highlight &highlight : { moved, changed, gone })
        m_store->addHighlight(highlight);
    QVERIFY(showAndWait("1/lantern"));
    PageHighlights *highlights = m_model->highlights();
    QTRY_COMPARE_WITH_TIMEOUT(highlights->attachmentOf(moved.id), std::optional(Attachment::moved), kTimeout);
    QCOMPARE(highlights->attachmentOf(changed.id), std::optional(Attachment::changed));
    QCOMPARE(highlights->attachmentOf(gone.id), std::optional(Attachment::notFound));
    QCOMPARE(highlights->unplaced(), QList<QUuid>({ gone.id }));

    // The store has what the page says now; the gone one keeps what it said.
    const PageText text = HighlightScript::pageTextFrom(inPage(HighlightScript::pageTextScript()));
    const auto requoted = [&] {
        for (const Highlight &now : m_store->highlightsOf(highlights->pageKey())) {
            const bool kept = now.id == gone.id
                ? now.quote == gone.quote
                : HighlightAnchoring::place(text, now.quote).attachment == Attachment::exact;
            if (!kept)
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(requoted(), kTimeout);
    // Found again exactly now, they still tell how they were found since the page came.
    QCOMPARE(highlights->attachmentOf(moved.id), std::optional(Attachment::moved));
    const QStringList markedText = inPage("return Array.from(document.querySelectorAll('mark'), (m) =>"
                                          " m.textContent.replace(/\\s+/g, ' '));")
                                       .toStringList();
    QCOMPARE(markedText, QStringList({ "steadily through the night", "never goes out on its own" }));
}

void PageHighlightsTest::exports_carryTheMarks()
{
    m_store->addHighlight(stored("burns paraffin steadily", "The lantern ", " through"));
    Highlight noted = stored("Set the brightness", "", " of the flame.");
    noted.quote.section = "OPTIONS";
    noted.colour = HighlightColour::blue;
    noted.note = "between 1 and 10";
    m_store->addHighlight(noted);
    QVERIFY(showAndWait("1/lantern"));
    QSignalSpy finished(m_model->exports(), &PageExports::exportFinished);
    const auto exported = [&](ExportFormat format, const QString &name) {
        m_presenter.exportPath = m_catalogue->dir.filePath(name);
        finished.clear();
        m_model->exportPage(format);
        return finished.wait(kTimeout) && finished.first().at(1).toString().isEmpty()
            ? contentsOf(m_presenter.exportPath)
            : QByteArray();
    };
    const QByteArray html = exported(ExportFormat::html, "lantern.html");
    QVERIFY(html.startsWith("<!DOCTYPE html>"));
    QVERIFY(html.contains("<mark class=\"lectorin-highlight\" data-colour=\"yellow\""));
    QVERIFY(html.contains("data-colour=\"blue\""));
    QVERIFY(html.contains("title=\"between 1 and 10\""));

    const QByteArray rtf = exported(ExportFormat::rtf, "lantern.rtf");
    QVERIFY(rtf.startsWith("{\\rtf"));
    // The marked words on the colour of their mark.
    QVERIFY(rtf.contains("\\red255\\green235\\blue133;"));
    QVERIFY(rtf.contains("\\highlight"));
    QVERIFY(rtf.contains("burns") && rtf.contains("paraffin"));

    const QByteArray text = exported(ExportFormat::plainText, "lantern.txt");
    QVERIFY(text.contains("steadily through the night."));
    QVERIFY2(
        text.contains("Highlights and notes\n\n  \xe2\x80\x9c"
                      "burns paraffin steadily\xe2\x80\x9d (DESCRIPTION)\n"
                      "\n  \xe2\x80\x9cSet the brightness\xe2\x80\x9d (OPTIONS)\n    between 1 and 10\n"),
        text.constData());

    QVERIFY(exported(ExportFormat::pdf, "lantern.pdf").startsWith("%PDF"));
    QVERIFY(exported(ExportFormat::pdfSinglePage, "lantern-single.pdf").startsWith("%PDF"));

    // Unless asked for, an export is the page alone.
    m_presenter.includeHighlights = false;
    QVERIFY(!exported(ExportFormat::html, "plain.html").contains("<mark"));
    QVERIFY(m_presenter.alerts.isEmpty());
}

LECTORIN_WEB_TEST_MAIN(PageHighlightsTest)
#include "tst_pagehighlights.moc"

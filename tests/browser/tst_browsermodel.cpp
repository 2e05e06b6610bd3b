// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"
#include "browser/browserpresenter.h"
#include "browser/inferredlinks.h"
#include "browser/pageexports.h"
#include "browser/scriptcall.h"
#include "render/manurl.h"
#include "web/paintreportingpage.h"
#include "web/webfixtures.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <csignal>

using namespace Lectorin;
using namespace Lectorin::WebFixtures;

namespace {

constexpr int kTimeout = 30000;
const QString kNotInstalled = QStringLiteral(
    "|The reference points to a page that isn\u2019t installed on this system. Some sections (2 and 3, for "
    "example) come in separate packages that may not be installed.");

// Records what the model asks of its window.
class RecordingPresenter : public BrowserPresenter
{
public:
    QStringList alerts;
    int beeps = 0;
    QString exportPath;
    QStringList proposedNames;
    int prints = 0;

    void showAlert(const QString &message, const QString &informativeText) override
    {
        alerts << message + u'|' + informativeText;
    }
    void beep() override { ++beeps; }
    QString chooseExportFile(const QString &proposedName, ExportFormat) override
    {
        proposedNames << proposedName;
        return exportPath;
    }
    void print(QWebEnginePage *page, std::function<void()> finished) override
    {
        if (page && page->title() == u"greet(1)")
            ++prints;
        finished();
    }
};

QString inferredLinksScript()
{
    return QStringLiteral("Array.from(document.querySelectorAll('a.lectorin-inferred'),"
                          " (a) => a.textContent + ' ' + a.getAttribute('href')).join('\\n')");
}

} // namespace

class BrowserModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void afterLoad_historySelectionOutlineBackForward();
    void unresolvedLoad_clearsPageAndOutline();
    void pagesShownBeforeTheCatalogue_areVisitsOnceItComes();
    void inferredLinks_confirmedAgainstCatalogue();
    void longPage_paintsItsTopFirstAndAChoiceMadeMeanwhileWins();
    void clicks_eachGestureOpensExactlyOnePage();
    void missingPage_alertWithoutNavigation();
    void zoomScrollAndSelectedText();
    void initialPage_onlyFirstWindowRestores();
    void rendererEnded_pageLoadsAgainWithoutAVisit();
    void export_everyFormatAndFailure();
    void print_loadsOffscreenAndClearsExporter();
    void exports_startedTogetherEachFinishWithTheirOwnFile();

private:
    bool showAndWait(const QString &id);

    std::unique_ptr<FixtureCatalogue> m_catalogue;
    RecordingPresenter m_presenter;
    std::unique_ptr<BrowserModel> m_model;
};

void BrowserModelTest::initTestCase()
{
    m_catalogue = std::make_unique<FixtureCatalogue>();
    QByteArray paragraphs;
    for (int n = 1; n <= 3000; ++n)
        paragraphs += ".Pp\nParagraph " + QByteArray::number(n) + " of a long page.\n";
    QVERIFY(writeFile(m_catalogue->manRoot() + "/man1/long.1",
        mdocPage("long", "1", ".Sh DESCRIPTION\n" + paragraphs + ".Sh SEE ALSO\nThe end.\n")));
    QVERIFY(m_catalogue->loadAndWait());
}

void BrowserModelTest::init()
{
    m_presenter = {};
    m_model = std::make_unique<BrowserModel>(m_catalogue->app.get(), &m_presenter);
}

void BrowserModelTest::cleanup()
{
    m_model.reset();
    m_catalogue->app->clearHistory();
}

bool BrowserModelTest::showAndWait(const QString &id)
{
    m_model->show(id);
    return QTest::qWaitFor([&] { return m_model->currentPageID() == id; }, kTimeout);
}

void BrowserModelTest::afterLoad_historySelectionOutlineBackForward()
{
    QSignalSpy sections(m_model.get(), &BrowserModel::pageSectionsChanged);
    QVERIFY(showAndWait("1/greet"));
    QCOMPARE(m_catalogue->app->history(), QStringList { "1/greet" });
    QCOMPARE(m_model->selection(), SidebarItem::command("1/greet"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->pageSections().isEmpty(), kTimeout);
    const QList<OutlineEntry> expected { { "NAME", "NAME", 1 }, { "DESCRIPTION", "DESCRIPTION", 1 },
        { "Extra_Options", "Extra Options", 2 }, { "SEE_ALSO", "SEE ALSO", 1 } };
    QCOMPARE(m_model->pageSections(), expected);

    QVERIFY(showAndWait("1/ls"));
    QCOMPARE(m_catalogue->app->history(), (QStringList { "1/ls", "1/greet" }));
    QVERIFY(m_model->canGoBack());

    // A history row shows its page without moving it to the front; the selection stays on that row.
    m_model->setSelection(SidebarItem::history("1/greet"));
    QVERIFY(showAndWait("1/greet"));
    QCOMPARE(m_catalogue->app->history(), (QStringList { "1/ls", "1/greet" }));
    QCOMPARE(m_model->selection(), SidebarItem::history("1/greet"));

    // The page on display is not loaded again.
    const int entries = m_model->page()->history()->count();
    m_model->show("1/greet");
    QCOMPARE(m_model->page()->history()->count(), entries);

    // Back and forward move to the front like any other way of reaching a page.
    m_model->goBack();
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::optional<QString>("1/ls"), kTimeout);
    QCOMPARE(m_model->selection(), SidebarItem::command("1/ls"));
    QVERIFY(m_model->canGoForward());
    m_model->goForward();
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::optional<QString>("1/greet"), kTimeout);
    QCOMPARE(m_catalogue->app->history(), (QStringList { "1/greet", "1/ls" }));
    QVERIFY(!m_model->canGoForward());

    // A reload (as after a theme, zoom or appearance change) is not a visit: the history keeps its order.
    m_model->setSelection(SidebarItem::command("1/ls"));
    QVERIFY(showAndWait("1/ls"));
    m_catalogue->app->recordVisit("1/greet", true);
    QSignalSpy loads(m_model->page(), &QWebEnginePage::loadFinished);
    m_model->reload();
    QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 1, kTimeout);
    QCOMPARE(m_model->currentPageID(), std::optional<QString>("1/ls"));
    QCOMPARE(m_catalogue->app->history(), (QStringList { "1/greet", "1/ls" }));
}

void BrowserModelTest::unresolvedLoad_clearsPageAndOutline()
{
    QVERIFY(showAndWait("1/greet"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->pageSections().isEmpty(), kTimeout);
    m_model->page()->load(QUrl("x-lectorin-man:///"));
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::nullopt, kTimeout);
    QVERIFY(m_model->pageSections().isEmpty());
    QCOMPARE(m_catalogue->app->history(), QStringList { "1/greet" });
    QCOMPARE(m_model->currentPage(), std::nullopt);
}

// Shown from the remembered folders while the catalogue is scanned, and left before the scan ends: still a
// visit, recorded before the page shown when the catalogue comes.
void BrowserModelTest::pagesShownBeforeTheCatalogue_areVisitsOnceItComes()
{
    FixtureCatalogue catalogue(std::nullopt, FixtureCatalogue::Paths::remembered);
    // The scan waits for the one thread of the global pool, which the test holds.
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    QSemaphore scanMayRun;
    pool->start([&scanMayRun] { scanMayRun.acquire(); });
    catalogue.app->loadIndexIfNeeded();
    BrowserModel model(catalogue.app.get(), &m_presenter);
    QSignalSpy loads(model.page(), &QWebEnginePage::loadFinished);
    const auto loadAndWait = [&](const QString &name) {
        model.page()->load(*manURL(name, QStringLiteral("1")));
        return QTest::qWaitFor(
            [&] { return loads.size() == 1 && loads.takeFirst().first().toBool(); }, kTimeout);
    };
    QVERIFY(loadAndWait("greet"));
    QVERIFY(loadAndWait("ls"));
    QCOMPARE(model.page()->title(), "ls(1)");
    QCOMPARE(catalogue.app->indexState(), AppModel::IndexState::loading);
    QVERIFY(catalogue.app->history().isEmpty());

    scanMayRun.release();
    QTRY_COMPARE_WITH_TIMEOUT(catalogue.app->history(), (QStringList { "1/ls", "1/greet" }), kTimeout);
    QCOMPARE(model.currentPageID(), std::optional<QString>("1/ls"));
    pool->setMaxThreadCount(threads);
}

void BrowserModelTest::inferredLinks_confirmedAgainstCatalogue()
{
    // The scripts that add them run once the document's first frame is on the screen, never before it.
    QWebEngineView view;
    view.setPage(m_model->page());
    view.resize(640, 480);
    view.show();
    QStringList events;
    QObject listener;
    connect(qobject_cast<PaintReportingPage *>(m_model->page()), &PaintReportingPage::documentPainted,
        &listener, [&] { events << "painted"; });
    connect(m_model.get(), &BrowserModel::linksInferred, &listener, [&] { events << "links"; });
    QSignalSpy inferred(m_model.get(), &BrowserModel::linksInferred);
    QVERIFY(showAndWait("1/greet"));
    QVERIFY(inferred.wait(kTimeout));
    QCOMPARE(events, (QStringList { "painted", "links" }));
    const QStringList links = evaluate(m_model->page(), inferredLinksScript()).toString().split(u'\n');
    // Unmarked ls(1) twice (once in a node of its own beside printf(3)), the marked names the catalogue has,
    // and a reference inside a code element; not the page itself, nosuch(1), open(7) or toString.
    const QStringList expected { "ls x-lectorin-man://1/ls", "constructor x-lectorin-man://8/constructor",
        "ls(1) x-lectorin-man://1/ls", "ls(1) x-lectorin-man://1/ls", "printf(3) x-lectorin-man://3/printf",
        "Foo::Bar(3pm) x-lectorin-man://3pm/Foo::Bar" };
    QCOMPARE(links, expected);
    QCOMPARE(evaluate(m_model->page(), "document.querySelectorAll('code.Ic a').length").toInt(), 2);

    // A document whose references are all links already yields nothing to add.
    const ManPage ls = *m_catalogue->app->page("1/ls");
    QCOMPARE(InferredLinks::confirm(QVariantList { "ls|1", "ls|" }, ls, *m_catalogue->app),
        InferredLinks::Links {});
    QCOMPARE(InferredLinks::confirm(QVariant("ls|1"), ls, *m_catalogue->app), InferredLinks::Links {});
    QCOMPARE(InferredLinks::confirm(QVariantList { "printf|3", 7 }, ls, *m_catalogue->app),
        InferredLinks::Links {});
}

// The engine gets the top of a long document first and the rest once that top is painted, so the reader may
// choose another page while the rest is still on its way.
void BrowserModelTest::longPage_paintsItsTopFirstAndAChoiceMadeMeanwhileWins()
{
    const QString lastWords = QStringLiteral("document.body.textContent.includes('The end.')");
    // Never painted: the rest comes all the same. Every load is told of, from rest as well.
    QSignalSpy requestedFromRest(
        qobject_cast<PaintReportingPage *>(m_model->page()), &PaintReportingPage::documentRequested);
    QVERIFY(showAndWait("1/long"));
    QCOMPARE(requestedFromRest.size(), 1);
    QVERIFY(evaluate(m_model->page(), lastWords).toBool());
    QVERIFY(showAndWait("1/greet"));

    QWebEngineView view;
    view.setPage(m_model->page());
    view.resize(640, 480);
    view.show();
    QSignalSpy painted(
        qobject_cast<PaintReportingPage *>(m_model->page()), &PaintReportingPage::documentPainted);
    m_model->show("1/long");
    QVERIFY(painted.wait(kTimeout));
    // Until its load finishes, greet(1) is still the current page; choosing it must not be taken as no
    // change. The engine has no new loadStarted for a load that replaces another; the page tells of it.
    QSignalSpy replaced(
        qobject_cast<PaintReportingPage *>(m_model->page()), &PaintReportingPage::documentRequested);
    m_model->show("1/greet");
    QTRY_COMPARE_WITH_TIMEOUT(m_model->page()->title(), "greet(1)", kTimeout);
    QCOMPARE(replaced.size(), 1);
    QCOMPARE(m_model->currentPageID(), std::optional<QString>("1/greet"));

    QVERIFY(showAndWait("1/long"));
    QVERIFY(evaluate(m_model->page(), lastWords).toBool());
    // Every paragraph, none lost between the two parts.
    QCOMPARE(evaluate(m_model->page(),
                 "Array.from(document.querySelectorAll('p'), (p) => p.textContent.trim())"
                 ".filter((t) => t.startsWith('Paragraph ')).length")
                 .toInt(),
        3000);
}

void BrowserModelTest::clicks_eachGestureOpensExactlyOnePage()
{
    QWebEngineView view;
    view.setPage(m_model->page());
    view.resize(900, 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(showAndWait("1/greet"));
    QTRY_VERIFY_WITH_TIMEOUT(view.focusProxy(), kTimeout);
    const QVariantList box = evaluate(m_model->page(),
        "(() => { const a = document.querySelector('a.Xr'); a.scrollIntoView();"
        " const r = a.getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                                 .toList();
    QCOMPARE(box.size(), 2);
    const QPoint link(qRound(box.at(0).toDouble()), qRound(box.at(1).toDouble()));

    QSignalSpy windows(m_model.get(), &BrowserModel::newWindowRequested);
    QSignalSpy tabs(m_model.get(), &BrowserModel::newTabRequested);
    QTest::mouseClick(view.focusProxy(), Qt::LeftButton, Qt::ControlModifier, link);
    QTRY_COMPARE_WITH_TIMEOUT(windows.count(), 1, kTimeout);
    QCOMPARE(windows.first().first().toString(), QStringLiteral("3/printf"));
    QTest::mouseClick(view.focusProxy(), Qt::MiddleButton, Qt::NoModifier, link);
    QTRY_COMPARE_WITH_TIMEOUT(tabs.count(), 1, kTimeout);
    QCOMPARE(tabs.first().first().toString(), QStringLiteral("3/printf"));
    QCOMPARE(m_model->currentPageID(), std::optional<QString>("1/greet"));

    // The renderer sends the plain click's navigation after every route of the gestures before it, so a
    // second route of either would have arrived by the time the page changes.
    QTest::mouseClick(view.focusProxy(), Qt::LeftButton, Qt::NoModifier, link);
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::optional<QString>("3/printf"), kTimeout);
    QCOMPARE(windows.count(), 1);
    QCOMPARE(tabs.count(), 1);
    view.setPage(nullptr);
}

void BrowserModelTest::missingPage_alertWithoutNavigation()
{
    QVERIFY(showAndWait("1/ls"));
    evaluate(m_model->page(), "location.href = 'x-lectorin-man://1/nosuch'; true");
    QTRY_COMPARE_WITH_TIMEOUT(m_presenter.alerts.size(), 1, kTimeout);
    QCOMPARE(m_presenter.alerts.first(), u"No manual entry for \u201Cnosuch(1)\u201D" + kNotInstalled);
    QCOMPARE(m_model->page()->url(), QUrl("x-lectorin-man://1/ls"));

    m_model->open("nosuch", std::nullopt);
    m_model->openInNewWindow("nosuch", "2");
    QCOMPARE(m_presenter.alerts.mid(1),
        (QStringList { u"No manual entry for \u201Cnosuch\u201D" + kNotInstalled,
            u"No manual entry for \u201Cnosuch(2)\u201D" + kNotInstalled }));

    // An x-man-page link shows its page in this window.
    evaluate(m_model->page(), "location.href = 'x-man-page://3/printf'; true");
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::optional<QString>("3/printf"), kTimeout);
}

void BrowserModelTest::zoomScrollAndSelectedText()
{
    QCOMPARE(BrowserModel::fontSizeArgument(1.1), QStringLiteral("14.30px"));
    QCOMPARE(BrowserModel::fontSizeArgument(3.0), QStringLiteral("39.00px"));
    QVERIFY(showAndWait("1/greet"));
    m_model->applyFontScale(1.1);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(m_model->page(), "document.documentElement.style.fontSize").toString(),
        QStringLiteral("14.3px"), kTimeout);
    m_model->scrollToSection("no-such-heading\"'");

    const auto select = [this](const QString &text) {
        evaluate(m_model->page(),
            ScriptCall::functionCall("let s = document.getElementById('sel');"
                                     " if (!s) { s = document.createElement('span'); s.id = 'sel';"
                                     " document.body.appendChild(s); }"
                                     " s.textContent = text; window.getSelection().selectAllChildren(s);"
                                     " return true;",
                { { "text", text } }));
    };
    select("nosuch(1)");
    m_model->openSelectedManPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_presenter.beeps, 1, kTimeout);
    select(QString(200, u'a'));
    m_model->openSelectedManPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_presenter.beeps, 2, kTimeout);
    select(" \n ls(1) \n");
    m_model->openSelectedManPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::optional<QString>("1/ls"), kTimeout);
    QCOMPARE(m_presenter.beeps, 2);
}

void BrowserModelTest::initialPage_onlyFirstWindowRestores()
{
    AppModel &app = *m_catalogue->app;
    app.recordVisit("1/open", true);
    app.setDidRestoreInitialPage(false);
    BrowserOptions options;
    options.initialPageID = QStringLiteral("1/ls");
    BrowserModel handedOff(&app, &m_presenter, options);
    QVERIFY(app.didRestoreInitialPage());
    QTRY_COMPARE_WITH_TIMEOUT(handedOff.currentPageID(), std::optional<QString>("1/ls"), kTimeout);
    m_model->restoreInitialPage();
    QVERIFY(!m_model->page()->url().isValid() || m_model->page()->url().isEmpty());

    app.setDidRestoreInitialPage(false);
    m_model->restoreInitialPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_model->currentPageID(), std::optional<QString>("1/ls"), kTimeout);
}

void BrowserModelTest::rendererEnded_pageLoadsAgainWithoutAVisit()
{
    QVERIFY(showAndWait("1/greet"));
    const qint64 renderer = m_model->page()->renderProcessPid();
    QVERIFY(renderer > 0);
    QSignalSpy loads(m_model->page(), &QWebEnginePage::loadFinished);
    QCOMPARE(::kill(pid_t(renderer), SIGKILL), 0);
    QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 1, kTimeout);
    QVERIFY(loads.first().first().toBool());
    QVERIFY(m_model->page()->renderProcessPid() != renderer);
    QCOMPARE(m_model->currentPageID(), std::optional<QString>("1/greet"));
    QCOMPARE(m_catalogue->app->history(), QStringList { "1/greet" });
}

void BrowserModelTest::export_everyFormatAndFailure()
{
    QVERIFY(showAndWait("1/greet"));
    QSignalSpy finished(m_model->exports(), &PageExports::exportFinished);
    const QList<std::pair<ExportFormat, QString>> formats { { ExportFormat::html, "greet.html" },
        { ExportFormat::rtf, "greet.rtf" }, { ExportFormat::plainText, "greet.txt" },
        { ExportFormat::pdf, "greet.pdf" }, { ExportFormat::pdfSinglePage, "greet-single.pdf" } };
    for (const auto &[format, fileName] : formats) {
        m_presenter.exportPath = m_catalogue->dir.filePath(fileName);
        finished.clear();
        m_model->exportPage(format);
        QVERIFY(m_model->exports()->activeExporter() || format != ExportFormat::pdf);
        QVERIFY(finished.wait(kTimeout));
        QCOMPARE(finished.first().at(1).toString(), QString());
        QVERIFY(!m_model->exports()->activeExporter());
    }
    QCOMPARE(m_presenter.proposedNames.first(), QStringLiteral("greet(1)"));
    QFile html(m_catalogue->dir.filePath("greet.html"));
    QVERIFY(html.open(QIODevice::ReadOnly));
    QVERIFY(html.readAll().startsWith("<!DOCTYPE html>"));
    QFile rtf(m_catalogue->dir.filePath("greet.rtf"));
    QVERIFY(rtf.open(QIODevice::ReadOnly));
    QVERIFY(rtf.readAll().startsWith("{\\rtf"));
    QFile text(m_catalogue->dir.filePath("greet.txt"));
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QByteArray plain = text.readAll();
    QVERIFY(plain.contains("prints greetings."));
    QVERIFY(!plain.contains('\b'));

    // Cancelling the panel writes nothing; a failed write becomes an alert.
    m_presenter.exportPath.clear();
    m_model->exportPage(ExportFormat::html);
    QVERIFY(m_presenter.alerts.isEmpty());
    m_presenter.exportPath = m_catalogue->dir.filePath("missing/greet.pdf");
    finished.clear();
    m_model->exportPage(ExportFormat::pdfSinglePage);
    QVERIFY(finished.wait(kTimeout));
    QVERIFY(!finished.first().at(1).toString().isEmpty());
    QCOMPARE(m_presenter.alerts.size(), 1);
}

void BrowserModelTest::print_loadsOffscreenAndClearsExporter()
{
    m_model->printPage();
    QVERIFY(!m_model->exports()->activeExporter());
    QVERIFY(showAndWait("1/greet"));
    QSignalSpy exporter(m_model->exports(), &PageExports::activeExporterChanged);
    m_model->printPage();
    QVERIFY(m_model->exports()->activeExporter());
    QTRY_COMPARE_WITH_TIMEOUT(m_presenter.prints, 1, kTimeout);
    QVERIFY(!m_model->exports()->activeExporter());
    QCOMPARE(exporter.count(), 2);
}

void BrowserModelTest::exports_startedTogetherEachFinishWithTheirOwnFile()
{
    QVERIFY(showAndWait("1/greet"));
    QSignalSpy finished(m_model->exports(), &PageExports::exportFinished);
    const QStringList files { m_catalogue->dir.filePath("first.pdf"), m_catalogue->dir.filePath("second.pdf"),
        m_catalogue->dir.filePath("third.html") };
    m_presenter.exportPath = files.at(0);
    m_model->exportPage(ExportFormat::pdf);
    m_presenter.exportPath = files.at(1);
    m_model->exportPage(ExportFormat::pdfSinglePage);
    m_model->printPage();
    m_presenter.exportPath = files.at(2);
    m_model->exportPage(ExportFormat::html);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(m_presenter.prints, 1, kTimeout);
    QStringList finishedFiles;
    for (const QList<QVariant> &arguments : std::as_const(finished)) {
        QCOMPARE(arguments.at(1).toString(), QString());
        finishedFiles << arguments.at(0).toString();
    }
    finishedFiles.sort();
    QCOMPARE(finishedFiles, files);
    QCOMPARE(pdfInfo(files.at(0)).pages, 1);
    QCOMPARE(pdfInfo(files.at(1)).pages, 1);
    QVERIFY(QFileInfo(files.at(2)).size() > 0);
    QVERIFY(m_presenter.alerts.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->exports()->activeExporter(), kTimeout);
}

LECTORIN_WEB_TEST_MAIN(BrowserModelTest)
#include "tst_browsermodel.moc"

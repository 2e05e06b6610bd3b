// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"
#include "catalogue/searchpathcache.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextindexer.h"
#include "fulltext/fulltextsearch.h"
#include "platform/systemappearance.h"
#include "render/manurl.h"
#include "themes/colorschemestore.h"
#include "ui/detailview.h"
#include "ui/explanationview.h"
#include "ui/findbar.h"
#include "ui/foundinpagesfeed.h"
#include "ui/lectorinapp.h"
#include "ui/lectorincommands.h"
#include "ui/mainwindow.h"
#include "ui/manwebview.h"
#include "ui/sidebarmodels.h"
#include "ui/sidebarview.h"
#include "ui/windowplacement.h"
#include "web/manschemehandler.h"

#include "../web/webfixtures.h"
#include "windowfixtures.h"
#include "../common/infomanualfixture.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QWebEnginePage>

using namespace Lectorin;

namespace {

QStringList rowTexts(const QAbstractItemModel *model)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

// The rows above the full-text section, which depends on how far indexing has come.
QStringList nameRowTexts(const QAbstractItemModel *model)
{
    QStringList texts = rowTexts(model);
    const qsizetype found = texts.indexOf(QStringLiteral("Found in Pages"));
    return found < 0 ? texts : texts.first(found);
}

} // namespace

class WindowsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cascadeArithmetic();
    void launchReference_winsOverRestoredPage();
    void firstPages_showBeforeTheCatalogue();
    void appearance_switchesPaletteAndStore();
    void sidebar_rowsHistoryAndKeyboard();
    void endToEnd_clickRowShowsPageAndMenusFollow();
    void foundInPages_rowsKeyboardAndFindBar();
    void contextMenu_copyLinkForms();
    void explainRow_opensAnExplanationTab();
    void infoNode_browsesLikeAPage();
    void controls_areNamedAndF6MovesBetweenPanes();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<SystemAppearance> m_appearance;
    std::unique_ptr<LectorinApp> m_app;
};

void WindowsTest::initTestCase()
{
    WindowFixtures::writeCatalogue(m_dir,
        { { "ls", "1", "list directory contents" }, { "lsof", "1", "list open files" },
            { "printf", "3", "formatted output" }, { "printf", "1", "format and print data" } });
    WindowFixtures::writeFile(m_dir.filePath("man/man1/tarx.1"),
        ".TH TARX 1\n.SH NAME\ntarx \\- an archiver\n.SH OPTIONS\n.TP\n\\fB\\-x\\fR, \\fB\\-\\-extract\\fR\n"
        "Extract files from an archive.\n.TP\n\\fB\\-f\\fR \\fIARCHIVE\\fR\nUse archive file ARCHIVE.\n");
    WindowFixtures::writeFile(m_dir.filePath("info/fix.info"), InfoManualFixture::kManual);
    m_settings = std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat);
    m_appearance = std::make_unique<SystemAppearance>();
    FullTextIndex::removeFiles(FullTextIndex::defaultPath());
    m_app = std::make_unique<LectorinApp>(m_settings.get(), m_appearance.get());
}

void WindowsTest::cascadeArithmetic()
{
    using namespace WindowPlacement;
    const QRect screen(0, 0, 1400, 900);
    QCOMPARE(frameForNewWindow(QRect(100, 80, 900, 525), QSize(1000, 700), screen), QRect(100, 80, 900, 525));
    QCOMPARE(frameForNewWindow(std::nullopt, QSize(1000, 700), screen), QRect(200, 100, 1000, 700));
    QCOMPARE(frameForNewWindow(std::nullopt, QSize(200, 700), screen), std::nullopt);
    QCOMPARE(frameForNewWindow(std::nullopt, QSize(1000, 700), std::nullopt), std::nullopt);
}

void WindowsTest::launchReference_winsOverRestoredPage()
{
    QSettings settings(m_dir.filePath("launch.ini"), QSettings::IniFormat);
    settings.setValue("history", QStringList({ "1/ls" }));
    LectorinApp app(&settings, m_appearance.get());
    MainWindow *window = app.openWindow(std::nullopt, std::nullopt);
    app.openReferences({ "printf(3)" });
    ContentView *tab = window->currentTab();
    QTRY_COMPARE_WITH_TIMEOUT(app.model().indexState(), AppModel::IndexState::ready, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(
        tab->browser()->currentPageID(), std::optional(QStringLiteral("3/printf")), 15000);
    // Every try at the last session's page is queued behind the catalogue; one would have started its load.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(parseManURL(tab->browser()->page()->requestedUrl()), (PageReference { "printf", "3" }));
    QCOMPARE(tab->browser()->currentPageID(), std::optional(QStringLiteral("3/printf")));
    window->close();
}

void WindowsTest::firstPages_showBeforeTheCatalogue()
{
    // The remembered folders are known at once; the scan runs on the global pool, and while the test holds
    // every thread of it the catalogue stays loading.
    QVERIFY(SearchPathCache::write(
        SearchPathCache::defaultPath(), { { m_dir.filePath("man") }, { m_dir.filePath("bin") } }));
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    QSemaphore held, released, finished;
    for (int i = 0; i < threads; ++i) {
        pool->start([&] {
            held.release();
            released.acquire();
            finished.release();
        });
    }
    const auto releasePool = qScopeGuard([&] {
        released.release(threads);
        finished.acquire(threads);
    });
    QVERIFY(held.tryAcquire(threads, 10000));

    QSettings settings(m_dir.filePath("early.ini"), QSettings::IniFormat);
    settings.setValue("history", QStringList({ "1/lsof" }));
    LectorinApp app(&settings, m_appearance.get());
    MainWindow *window = app.openWindow(std::nullopt, std::nullopt);
    ContentView *tab = window->currentTab();
    const auto shownURL = [tab] { return tab->browser()->page()->url().toString(); };

    // The last session's page, then one named on the command line, each while the catalogue loads.
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("lsof(1)"), 15000);
    QVERIFY(shownURL().endsWith("lsof"));
    QCOMPARE(app.model().indexState(), AppModel::IndexState::loading);
    // The title changes when the navigation starts; the outline may still be the last page's.
    QSignalSpy printfLoaded(tab->browser()->page(), &QWebEnginePage::loadFinished);
    app.openReferences({ "printf(3)" });
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("printf(3)"), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!printfLoaded.isEmpty(), 15000);
    QVERIFY(shownURL().endsWith("printf"));
    QCOMPARE(app.model().indexState(), AppModel::IndexState::loading);
    QCOMPARE(tab->browser()->currentPageID(), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(!tab->browser()->pageSections().isEmpty(), 15000);

    // The catalogue arrives: the page gets its identifier, the sidebar selects it and the history records it,
    // without a second load.
    QSignalSpy loads(tab->browser()->page(), &QWebEnginePage::loadFinished);
    released.release(threads);
    QTRY_COMPARE_WITH_TIMEOUT(app.model().indexState(), AppModel::IndexState::ready, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(
        tab->browser()->currentPageID(), std::optional(QStringLiteral("3/printf")), 15000);
    QCOMPARE(tab->browser()->selection(), std::optional(SidebarItem::command("3/printf")));
    QCOMPARE(app.model().history().value(0), QStringLiteral("3/printf"));
    QCOMPARE(loads.size(), 0);
    window->close();
}

void WindowsTest::appearance_switchesPaletteAndStore()
{
    SystemAppearance appearance;
    ColorSchemeStore &store = ColorSchemeStore::shared();
    QSignalSpy darkChanges(&appearance, &SystemAppearance::darkChanged);
    appearance.apply(AppearanceSetting::dark);
    QVERIFY(appearance.isDark());
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() < 128);
    appearance.apply(AppearanceSetting::light);
    QVERIFY(!appearance.isDark());
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() > 128);
    appearance.apply(AppearanceSetting::system);
    appearance.setPortalPreference(true);
    QVERIFY(appearance.isDark());
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() < 128);
    appearance.setPortalPreference(false);
    QVERIFY(!appearance.isDark());
    QVERIFY(darkChanges.size() >= 3);
    QCOMPARE(SystemAppearance::darkFromPortalValue(1), std::optional(true));
    QCOMPARE(SystemAppearance::darkFromPortalValue(2), std::optional(false));
    QCOMPARE(SystemAppearance::darkFromPortalValue(0), std::nullopt);

    // The application's appearance drives the colour scheme store's dark test.
    QSignalSpy generations(&store, &ColorSchemeStore::generationChanged);
    m_appearance->apply(AppearanceSetting::dark);
    m_appearance->apply(AppearanceSetting::light);
    QVERIFY(generations.size() >= 2);
}

void WindowsTest::sidebar_rowsHistoryAndKeyboard()
{
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    ContentView *tab = window->currentTab();
    SidebarView *sidebar = tab->sidebar();
    QTRY_COMPARE_WITH_TIMEOUT(m_app->model().indexState(), AppModel::IndexState::ready, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(sidebar->catalogueModel()->showsCommands(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->model().helpPages().isEmpty(), 15000);

    QCOMPARE(nameRowTexts(sidebar->catalogueModel()),
        QStringList(
            { "Commands", "ls", "lsof", "printf(1)", "printf(3)", "tarx", "Manuals", "All Manuals", "fix" }));
    // The two printf pages tell which is which once their descriptions arrive, in the history too.
    const auto descriptionOf = [](const QAbstractItemModel *model, int row) {
        return model->index(row, 0).data(SidebarRoles::Description).toString();
    };
    CatalogueListModel *catalogue = sidebar->catalogueModel();
    QTRY_COMPARE_WITH_TIMEOUT(descriptionOf(catalogue, catalogue->rowOf("1/printf")),
        QStringLiteral("format and print data"), 15000);
    QCOMPARE(descriptionOf(catalogue, catalogue->rowOf("3/printf")), QStringLiteral("formatted output"));
    sidebar->filterField()->setText("zzz");
    QCOMPARE(nameRowTexts(sidebar->catalogueModel()), QStringList({ "Commands", "No matching command" }));

    // Escape clears the filter; Down moves into the list on the first page row.
    QTest::keyClick(sidebar->filterField(), Qt::Key_Escape);
    QCOMPARE(sidebar->filterField()->text(), QString());
    QCOMPARE(tab->browser()->filter(), QString());
    sidebar->filterField()->setText("lso");
    QTest::keyClick(sidebar->filterField(), Qt::Key_Down);
    QCOMPARE(sidebar->catalogueList()->currentIndex().data().toString(), QStringLiteral("lsof"));
    QCOMPARE(tab->browser()->selection(), std::optional(SidebarItem::command("1/lsof")));
    QTRY_COMPARE_WITH_TIMEOUT(
        tab->browser()->currentPageID(), std::optional(QStringLiteral("1/lsof")), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!sidebar->historyList()->isHidden(), 5000);
    QCOMPARE(rowTexts(sidebar->historyModel()), QStringList({ "History", "lsof" }));
    QCOMPARE(descriptionOf(sidebar->historyModel(), 1), QStringLiteral("list open files"));
    window->close();
}

void WindowsTest::endToEnd_clickRowShowsPageAndMenusFollow()
{
    m_app->model().setFontScale(1.0);
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    window->resize(1000, 700);
    ContentView *tab = window->currentTab();
    LectorinCommands *commands = window->commands();
    emit window->currentTabChanged(tab);
    QTRY_VERIFY_WITH_TIMEOUT(tab->sidebar()->catalogueModel()->showsCommands(), 5000);
    QVERIFY(!commands->action("Print…")->isEnabled());
    QVERIFY(!commands->exportMenu()->isEnabled());
    QVERIFY(!commands->action("Actual Size")->isEnabled());
    QVERIFY(commands->action("Zoom In")->isEnabled());

    tab->sidebar()->filterField()->clear();
    QListView *list = tab->sidebar()->catalogueList();
    const int row = tab->sidebar()->catalogueModel()->rowOf("1/ls");
    QVERIFY(row > 0);
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("ls(1)"), 15000);
    QVERIFY(!tab->detail()->showsEmptyState());
    QTRY_VERIFY_WITH_TIMEOUT(commands->action("Print…")->isEnabled(), 5000);
    QVERIFY(commands->exportMenu()->isEnabled());

    m_app->model().setFontScale(3.0);
    QVERIFY(!commands->action("Zoom In")->isEnabled());
    QVERIFY(commands->action("Actual Size")->isEnabled());
    m_app->model().setFontScale(0.5);
    QVERIFY(!commands->action("Zoom Out")->isEnabled());
    commands->action("Actual Size")->trigger();
    QCOMPARE(m_app->model().fontScale(), 1.0);

    // "New Tab" and the browser's tab request each add a tab; the tab bar shows from two.
    commands->action("New Tab")->trigger();
    QCOMPARE(window->tabs().size(), 2);
    tab->browser()->openPageInNewTab("3/printf");
    QCOMPARE(window->tabs().size(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("printf(3)"), 15000);

    // A new window cascades from this one.
    const qsizetype before = m_app->windows().size();
    commands->action("New Window")->trigger();
    QCOMPARE(m_app->windows().size(), before + 1);
    MainWindow *cascadedWindow = m_app->windows().last();
    QCOMPARE(cascadedWindow->geometry().topLeft(), window->geometry().topLeft() + QPoint(24, 24));
    QCOMPARE(cascadedWindow->size(), window->size());
    cascadedWindow->close();

    // An outside reference the catalogue lacks shows the not-found page, not an alert.
    m_app->openReferences({ "x-man-page://1/nosuchpage" });
    window->close();
}

void WindowsTest::foundInPages_rowsKeyboardAndFindBar()
{
    QVERIFY(m_app->indexer());
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    window->resize(1000, 700);
    ContentView *tab = window->currentTab();
    SidebarView *sidebar = tab->sidebar();
    CatalogueListModel *model = sidebar->catalogueModel();
    QListView *list = sidebar->catalogueList();
    QTRY_VERIFY_WITH_TIMEOUT(model->showsCommands(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->indexer()->isIndexing() && m_app->indexer()->totalCount() == 8, 30000);

    // A word only the text holds: the names find nothing, the third section finds the page.
    sidebar->filterField()->setText("directory");
    QTRY_COMPARE_WITH_TIMEOUT(
        rowTexts(model), QStringList({ "Commands", "No matching command", "Found in Pages", "ls" }), 10000);
    const QModelIndex result = model->index(3, 0);
    QCOMPARE(result.data(SidebarRoles::PageID).toString(), QStringLiteral("1/ls"));
    QVERIFY(result.data(SidebarRoles::SnippetHTML).toString().contains("<b>directory</b>"));
    QVERIFY(list->visualRect(result).height() > list->visualRect(model->index(1, 0)).height());

    // Return opens the first result, and its page's find bar looks for the word while the filter keeps focus.
    QTest::keyClick(sidebar->filterField(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(tab->browser()->currentPageID(), std::optional(QStringLiteral("1/ls")), 15000);
    FindBar *findBar = tab->detail()->findBar();
    QVERIFY(tab->browser()->isFindPresented());
    QCOMPARE(findBar->field()->text(), QStringLiteral("directory"));
    QTRY_COMPARE_WITH_TIMEOUT(findBar->matchText(), QStringLiteral("1 of 1"), 15000);
    QCOMPARE(list->currentIndex().row(), 3);

    // The arrow keys move from the names through the section header into the results.
    tab->browser()->setFindPresented(false);
    sidebar->filterField()->setText("ls");
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(model),
        QStringList({ "Commands", "ls", "lsof", "Command Help", "lsx", "Found in Pages", "ls" }), 10000);
    list->setFocus();
    list->setCurrentIndex(model->index(4, 0));
    QTRY_COMPARE_WITH_TIMEOUT(
        tab->browser()->currentPageID(), std::optional(QStringLiteral("help/lsx")), 15000);
    QVERIFY(!tab->browser()->isFindPresented());
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex().row(), 6);
    QTRY_COMPARE_WITH_TIMEOUT(tab->browser()->currentPageID(), std::optional(QStringLiteral("1/ls")), 15000);
    QVERIFY(tab->browser()->isFindPresented());
    QCOMPARE(findBar->field()->text(), QStringLiteral("ls"));
    // The result row keeps the selection although "ls" is also listed by name.
    QCOMPARE(list->currentIndex().row(), 6);

    // Past the rows shown, "Show All" asks for every result (the section is made longer by hand: the fixture
    // has too few pages).
    FoundInPagesFeed *feed = sidebar->foundInPagesFeed();
    QCOMPARE(feed->search()->limit(), FoundInPages::kShownRows + 1);
    FoundInPages::Section longer = feed->section();
    longer.hasMore = true;
    model->setFoundInPages(longer);
    QCOMPARE(rowTexts(model).last(), FoundInPages::kShowAllTitle);
    const QModelIndex showAll = model->index(model->rowCount() - 1, 0);
    QCOMPARE(showAll.data(SidebarRoles::Kind).toInt(), int(SidebarRoles::RowKind::showAll));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(showAll).center());
    QTRY_COMPARE(feed->search()->limit(), FoundInPages::kAllRows + 1);
    QCOMPARE(tab->browser()->currentPageID(), std::optional(QStringLiteral("1/ls")));

    sidebar->filterField()->clear();
    QCOMPARE(rowTexts(model).contains("Found in Pages"), false);
    QCOMPARE(feed->search()->limit(), FoundInPages::kShownRows + 1);
    window->close();
}

void WindowsTest::contextMenu_copyLinkForms()
{
    QCOMPARE(ManWebView::systemManPageLink("ls", QStringLiteral("1")), QStringLiteral("x-man-page://1/ls"));
    QCOMPARE(ManWebView::systemManPageLink("ls", std::nullopt), QStringLiteral("x-man-page:///ls"));
    QCOMPARE(ManWebView::systemManPageLink("File::Spec", QStringLiteral("3pm")),
        QStringLiteral("x-man-page://3pm/File::Spec"));
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    ManWebView *view = window->currentTab()->detail()->webView();
    const auto titles = [](QMenu *menu) {
        QStringList texts;
        for (QAction *action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    };
    QCOMPARE(titles(view->makeContextMenu(QUrl())),
        QStringList({ "Copy", "-", "Back", "Forward", "Reload Page" }));
    QCOMPARE(titles(view->makeContextMenu(QUrl("x-lectorin-man://1/ls"))),
        QStringList({ "Open Link", "Open Link in New Tab", "Open Link in New Window", "-", "Copy Link" }));
    QCOMPARE(titles(view->makeContextMenu(QUrl("x-lectorin-man://help/lsx"))),
        QStringList({ "Open Link", "Open Link in New Tab", "Open Link in New Window" }));
    QCOMPARE(titles(view->makeContextMenu(QUrl("https://example.org/"))),
        QStringList({ "Open Link in Browser", "-", "Copy Link" }));
    window->close();
}

LECTORIN_WEB_TEST_MAIN(WindowsTest)

#include "tst_windows.moc"

void WindowsTest::explainRow_opensAnExplanationTab()
{
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    window->resize(1000, 700);
    ContentView *tab = window->currentTab();
    SidebarView *sidebar = tab->sidebar();
    QTRY_COMPARE_WITH_TIMEOUT(m_app->model().indexState(), AppModel::IndexState::ready, 15000);
    sidebar->filterField()->setText("tarx -xf backup.tar");
    QListView *list = sidebar->catalogueList();
    int explainRow = -1;
    for (int row = 0; row < list->model()->rowCount() && explainRow < 0; ++row) {
        if (list->model()->index(row, 0).data(SidebarRoles::Kind).toInt()
            == int(SidebarRoles::RowKind::explain))
            explainRow = row;
    }
    QVERIFY(explainRow >= 0);
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(explainRow, 0)).center());
    ExplanationView *explanation = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((explanation = window->findChild<ExplanationView *>()), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(explanation->isExplained(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(
        !WebFixtures::evaluate(explanation->page(), "document.body.innerText").isNull(), 5000);
    const QString text = WebFixtures::evaluate(explanation->page(), "document.body.innerText").toString();
    QVERIFY2(text.contains("Extract files from an archive.") && text.contains("Use archive file ARCHIVE."),
        qPrintable(text));
    QVERIFY(text.contains("backup.tar"));
    const QStringList links = WebFixtures::evaluate(
        explanation->page(), "Array.from(document.querySelectorAll('a[href]'), a => a.getAttribute('href'))")
                                  .toStringList();
    QVERIFY2(links.filter("x-lectorin-man://1/tarx").size() >= 3, qPrintable(links.join(' ')));
    window->close();
}

void WindowsTest::infoNode_browsesLikeAPage()
{
    QCOMPARE(LectorinApp::referenceURL("info:fix#Frobbing"),
        std::optional(QUrl("x-lectorin-info://fix/Frobbing")));
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    ContentView *tab = window->currentTab();
    BrowserModel *browser = tab->browser();
    QTRY_VERIFY_WITH_TIMEOUT(m_app->model().isInfoLibraryLoaded(), 15000);
    browser->show("info/(fix)Frobbing");
    QTRY_COMPARE_WITH_TIMEOUT(
        browser->currentPageID(), std::optional(QStringLiteral("info/(fix)Frobbing")), 15000);
    QCOMPARE(window->windowTitle(), QStringLiteral("Frobbing (fix)"));

    // The node's Next link, as a reader follows it; the visit is recorded and Back returns.
    WebFixtures::evaluate(browser->page(), "document.querySelector('a[rel=next]').click()");
    QTRY_COMPARE_WITH_TIMEOUT(
        browser->currentPageID(), std::optional(QStringLiteral("info/(fix)Index")), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(m_app->model().history().value(0), QStringLiteral("info/(fix)Index"), 5000);
    QCOMPARE(m_app->model().history().value(1), QStringLiteral("info/(fix)Frobbing"));
    QCOMPARE(tab->sidebar()->historyModel()->index(1, 0).data().toString(), QStringLiteral("(fix)Index"));
    browser->goBack();
    QTRY_COMPARE_WITH_TIMEOUT(
        browser->currentPageID(), std::optional(QStringLiteral("info/(fix)Frobbing")), 15000);
    window->close();
}

void WindowsTest::controls_areNamedAndF6MovesBetweenPanes()
{
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    window->resize(1000, 700);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    ContentView *tab = window->currentTab();
    SidebarView *sidebar = tab->sidebar();
    QTRY_COMPARE_WITH_TIMEOUT(m_app->model().indexState(), AppModel::IndexState::ready, 15000);
    tab->browser()->show("1/ls");
    QTRY_COMPARE_WITH_TIMEOUT(tab->browser()->currentPageID(), std::optional(QStringLiteral("1/ls")), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!sidebar->historyList()->isHidden(), 5000);
    tab->browser()->setFindPresented(true);
    sidebar->filterField()->setText("ls");

    // Every control a reader can reach by keyboard tells a screen reader what it is.
    QStringList unnamed;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->focusPolicy() == Qt::NoFocus || widget->focusProxy())
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible && accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName();
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    const QModelIndex row = sidebar->catalogueModel()->index(sidebar->catalogueModel()->rowOf("1/ls"), 0);
    QCOMPARE(
        row.data(Qt::AccessibleTextRole).toString(), QString::fromUtf8("ls(1) — list directory contents"));

    // F6 goes filter, history, list, page and round again; Shift+F6 goes back.
    sidebar->filterField()->setFocus();
    QTRY_VERIFY(sidebar->filterField()->hasFocus());
    const auto focusedIn = [](QWidget *pane) {
        QWidget *focused = QApplication::focusWidget();
        return focused && (focused == pane || pane->isAncestorOf(focused));
    };
    for (QWidget *pane : QList<QWidget *> { sidebar->historyList(), sidebar->catalogueList(),
             tab->detail()->webView(), sidebar->filterField() }) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QTRY_VERIFY2(focusedIn(pane), qPrintable(pane->metaObject()->className()));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    QTRY_VERIFY(focusedIn(tab->detail()->webView()));
    window->close();
}

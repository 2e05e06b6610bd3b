// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"
#include "help/helpcontroller.h"
#include "help/helpview.h"
#include "platform/desktopicons.h"
#include "platform/singleinstance.h"
#include "platform/systemappearance.h"
#include "settings/settingswindowcontroller.h"
#include "ui/detailview.h"
#include "ui/lectorinapp.h"
#include "ui/mainwindow.h"
#include "ui/sidebarmodels.h"
#include "ui/sidebarview.h"
#include "ui/windowpresenter.h"
#include "web/manschemehandler.h"

#include "../web/webfixtures.h"
#include "windowfixtures.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QTimer>
#include <QWebEnginePage>

using namespace Lectorin;

namespace {

constexpr int kTimeout = 15000;

} // namespace

// How the windows behave on a desktop: a second start, remembered size, where the focus goes, the sidebar
// under the mouse, the empty page.
class DesktopTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void secondStart_alwaysBringsAWindow();
    void windowsOpenWithTheRememberedSizeAndState();
    void newTabAndWindow_focusTheFilter();
    void newQuery_scrollsToTop();
    void rightClick_opensMenuWithoutLoading();
    void emptyDetail_showsABook();
    void printToPdfFile_keepsTheText();

private:
    MainWindow *openShownWindow();

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<SystemAppearance> m_appearance;
    std::unique_ptr<LectorinApp> m_app;
};

void DesktopTest::initTestCase()
{
    DesktopIcons::install();
    // Enough pages that the list scrolls.
    QList<WindowFixtures::Page> pages;
    for (int i = 0; i < 60; ++i)
        pages.append({ QByteArray("tool") + QByteArray::number(i).rightJustified(2, '0'), "1", "a tool" });
    WindowFixtures::writeCatalogue(m_dir, pages);
    m_settings = std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat);
    m_appearance = std::make_unique<SystemAppearance>();
    m_app = std::make_unique<LectorinApp>(m_settings.get(), m_appearance.get());
}

void DesktopTest::cleanup()
{
    for (MainWindow *window : m_app->windows())
        delete window;
    m_settings->remove("lastWindowWidth");
    m_settings->remove("lastWindowHeight");
    m_settings->remove("lastWindowMaximized");
}

MainWindow *DesktopTest::openShownWindow()
{
    MainWindow *window = m_app->openWindow(std::nullopt, std::nullopt);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return nullptr;
    return window;
}

void DesktopTest::secondStart_alwaysBringsAWindow()
{
    SingleInstance running(m_dir.filePath("instance.socket"));
    QVERIFY(running.listen());
    connect(&running, &SingleInstance::activationRequested, m_app.get(), &LectorinApp::activate);
    const auto secondStart
        = [this] { return SingleInstance(m_dir.filePath("instance.socket")).forwardToRunningInstance({}); };

    // Only the help window is open: a second start opens a main window.
    m_app->help()->showHelp();
    QVERIFY(QTest::qWaitForWindowExposed(m_app->help()->view()));
    QVERIFY(m_app->windows().isEmpty());
    QVERIFY(secondStart());
    QTRY_COMPARE_WITH_TIMEOUT(m_app->windows().size(), 1, kTimeout);
    MainWindow *window = m_app->windows().constFirst();
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kTimeout);

    // A minimised main window comes back, active; no second one opens.
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    QVERIFY(secondStart());
    QTRY_VERIFY_WITH_TIMEOUT(!window->isMinimized() && window->isActiveWindow(), kTimeout);
    QCOMPARE(m_app->windows().size(), 1);

    // Settings (Ctrl+,), Help (F1) and "Check for Updates…" bring their minimised windows back.
    QTest::keyClick(window, Qt::Key_Comma, Qt::ControlModifier);
    QWidget *settings = m_app->settingsWindow()->window();
    QVERIFY(settings);
    QTRY_VERIFY_WITH_TIMEOUT(settings->isActiveWindow(), kTimeout);
    settings->showMinimized();
    QTRY_VERIFY(settings->isMinimized());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Comma, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!settings->isMinimized() && settings->isActiveWindow(), kTimeout);
    settings->showMinimized();
    QTRY_VERIFY(settings->isMinimized());
    m_app->checkForUpdatesAction()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!settings->isMinimized() && settings->isActiveWindow(), kTimeout);
    settings->close();

    HelpView *help = m_app->help()->view();
    help->showMinimized();
    QTRY_VERIFY(help->isMinimized());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_F1);
    QTRY_VERIFY_WITH_TIMEOUT(!help->isMinimized() && help->isActiveWindow(), kTimeout);
    help->close();
}

void DesktopTest::windowsOpenWithTheRememberedSizeAndState()
{
    // Nothing remembered: the default size.
    MainWindow *plain = openShownWindow();
    QVERIFY(plain);
    QCOMPARE(plain->size(), QSize(900, 525));
    delete plain;

    // The first window (none visible) takes the remembered size.
    m_settings->setValue("lastWindowWidth", 720.0);
    m_settings->setValue("lastWindowHeight", 480.0);
    MainWindow *first = openShownWindow();
    QVERIFY(first);
    QCOMPARE(first->size(), QSize(720, 480));

    // Maximising is remembered, and so is leaving it; the next first window opens maximised.
    first->showMaximized();
    QTRY_VERIFY(first->isMaximized());
    QTRY_COMPARE(m_settings->value("lastWindowMaximized").toBool(), true);
    first->showNormal();
    QTRY_VERIFY(m_settings->value("lastWindowMaximized").isNull());
    first->showMaximized();
    QTRY_COMPARE(m_settings->value("lastWindowMaximized").toBool(), true);
    delete first;
    MainWindow *again = openShownWindow();
    QVERIFY(again);
    QVERIFY(again->isMaximized());
    again->showNormal();
    QTRY_COMPARE(again->size(), QSize(720, 480));
}

void DesktopTest::newTabAndWindow_focusTheFilter()
{
    MainWindow *window = openShownWindow();
    QVERIFY(window);
    QTRY_COMPARE(QApplication::focusWidget(), window->currentTab()->sidebar()->filterField());

    // Away from the filter, Ctrl+T opens a tab whose filter takes the typing.
    window->currentTab()->sidebar()->catalogueList()->setFocus();
    QTest::keyClick(window, Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(window->tabs().size(), 2);
    QTRY_COMPARE(QApplication::focusWidget(), window->tabs().at(1)->sidebar()->filterField());
    QTest::keyClicks(QApplication::focusWidget(), "tool4");
    QCOMPARE(window->tabs().at(1)->browser()->filter(), QStringLiteral("tool4"));

    // Ctrl+N: the new window's filter.
    const qsizetype before = m_app->windows().size();
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_app->windows().size(), before + 1);
    MainWindow *second = m_app->windows().last();
    QVERIFY(QTest::qWaitForWindowActive(second));
    QTRY_COMPARE(QApplication::focusWidget(), second->currentTab()->sidebar()->filterField());
}

void DesktopTest::newQuery_scrollsToTop()
{
    MainWindow *window = openShownWindow();
    QVERIFY(window);
    window->resize(900, 400);
    SidebarView *sidebar = window->currentTab()->sidebar();
    QListView *list = sidebar->catalogueList();
    QTRY_VERIFY_WITH_TIMEOUT(m_app->model().indexState() == AppModel::IndexState::ready, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(sidebar->catalogueModel()->showsCommands(), kTimeout);

    // Choose a page far down the list, then type: the list shows the query's best rows from the top.
    const int row = sidebar->catalogueModel()->rowOf("1/tool55");
    QVERIFY(row > 0);
    list->scrollTo(list->model()->index(row, 0));
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
    QTRY_COMPARE_WITH_TIMEOUT(
        window->currentTab()->browser()->currentPageID(), std::optional<QString>("1/tool55"), kTimeout);
    QVERIFY(list->verticalScrollBar()->value() > 0);
    QTest::keyClicks(sidebar->filterField(), "tool");
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QVERIFY(list->verticalScrollBar()->maximum() > 0);

    // Clearing the query returns to the chosen page's row.
    QTest::keyClick(sidebar->filterField(), Qt::Key_Escape);
    QVERIFY(list->visualRect(list->model()->index(sidebar->catalogueModel()->rowOf("1/tool55"), 0))
                .intersects(list->viewport()->rect()));
}

void DesktopTest::rightClick_opensMenuWithoutLoading()
{
    MainWindow *window = openShownWindow();
    QVERIFY(window);
    SidebarView *sidebar = window->currentTab()->sidebar();
    BrowserModel *browser = window->currentTab()->browser();
    QListView *list = sidebar->catalogueList();
    QTRY_VERIFY_WITH_TIMEOUT(sidebar->catalogueModel()->showsCommands(), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(sidebar->catalogueModel()->rowOf("1/tool01") > 0, kTimeout);
    const QModelIndex index = list->model()->index(sidebar->catalogueModel()->rowOf("1/tool01"), 0);

    QStringList menuTitles;
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                menuTitles << action->text();
            menu->close();
        }
    });
    closer.start();
    // A right press, then the context-menu event the window system sends with it.
    const QPoint at = list->visualRect(index).center();
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &menuEvent);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    QTRY_COMPARE(menuTitles, QStringList({ "Open in New Tab", "Open in New Window" }));
    closer.stop();
    // A page the click chose would have started loading, which the page's requested URL shows at once.
    QCoreApplication::sendPostedEvents();
    QVERIFY(browser->page()->requestedUrl().isEmpty());
    QVERIFY(list->currentIndex() != index);
    QCOMPARE(browser->selection(), std::nullopt);
    QCOMPARE(browser->currentPageID(), std::nullopt);
}

void DesktopTest::emptyDetail_showsABook()
{
    MainWindow *window = openShownWindow();
    QVERIFY(window);
    DetailView *detail = window->currentTab()->detail();
    QVERIFY(detail->showsEmptyState());
    const QImage book = QIcon::fromTheme("accessories-dictionary").pixmap(64, 64).toImage();
    const QImage info = detail->style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(64, 64).toImage();
    QVERIFY(!book.isNull());
    QVERIFY(book != info);
    bool found = false;
    for (const QLabel *label : detail->findChildren<QLabel *>()) {
        if (!label->pixmap().isNull())
            found = found || label->pixmap().toImage() == book;
    }
    QVERIFY(found);
}

void DesktopTest::printToPdfFile_keepsTheText()
{
    MainWindow *window = openShownWindow();
    QVERIFY(window);
    BrowserModel *browser = window->currentTab()->browser();
    QTRY_VERIFY_WITH_TIMEOUT(m_app->model().indexState() == AppModel::IndexState::ready, kTimeout);
    browser->show("1/tool07");
    QTRY_COMPARE_WITH_TIMEOUT(browser->currentPageID(), std::optional<QString>("1/tool07"), kTimeout);

    // The print dialog's "Print to File": a PDF whose text is text, about the size of an exported one.
    const QString path = m_dir.filePath("printed.pdf");
    QPrinter printer(QPrinter::PrinterResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    std::optional<bool> result;
    WindowPresenter::printOn(browser->page(), &printer, [&](bool ok) { result = ok; });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), kTimeout);
    QVERIFY(*result);
    QVERIFY(QFileInfo(path).size() > 0);
    QVERIFY2(QFileInfo(path).size() < 200 * 1024, qPrintable(QString::number(QFileInfo(path).size())));
    QProcess text;
    text.start("pdftotext", { path, "-" });
    QVERIFY(text.waitForFinished(kTimeout));
    QVERIFY(text.readAllStandardOutput().contains("tool07"));
}

LECTORIN_WEB_TEST_MAIN(DesktopTest)

#include "tst_desktop.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Bookmarks, highlights and notes in the real windows, driven with the keys and the mouse: a highlight made
// with the mouse and the page's menu is there again after a restart, bookmarks are made, renamed, moved,
// opened and removed in their pane, and a damaged file is reported and kept.
#include "annotations/annotationstore.h"
#include "browser/browsermodel.h"
#include "browser/pagehighlights.h"
#include "catalogue/appmodel.h"
#include "catalogue/sidebarhistory.h"
#include "platform/systemappearance.h"
#include "ui/bookmarklistmodel.h"
#include "ui/bookmarklistview.h"
#include "ui/detailview.h"
#include "ui/lectorinapp.h"
#include "ui/lectorincommands.h"
#include "ui/mainwindow.h"
#include "ui/manwebview.h"
#include "ui/noteslistmodel.h"
#include "ui/notespane.h"
#include "ui/sidebarroles.h"
#include "ui/sidebarview.h"

#include "../web/webfixtures.h"
#include "windowfixtures.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

using namespace Lectorin;
using Lectorin::WebFixtures::evaluate;

namespace {

constexpr int kTimeout = 15000;

// Long enough to scroll a section to the top of the view.
QByteArray lanternPage()
{
    QByteArray page = ".TH LANTERN 1\n.SH NAME\nlantern \\- light a wick\n.SH DESCRIPTION\n"
                      "The \\fBlantern\\fR burns \\fIparaffin\\fR steadily through the night.\n";
    for (int paragraph = 0; paragraph < 30; ++paragraph)
        page += ".PP\nA flame needs air, fuel and a wick that is trimmed short.\n";
    page += ".SH OPTIONS\n.TP\n\\fB\\-b\\fR \\fIlevel\\fR\nSet the brightness.\n";
    for (int paragraph = 0; paragraph < 30; ++paragraph)
        page += ".PP\nThe glass keeps the wind out.\n";
    return page;
}

QPoint pointOf(const QVariant &pair)
{
    const QVariantList values = pair.toList();
    return values.size() == 2 ? QPoint(qRound(values.at(0).toDouble()), qRound(values.at(1).toDouble()))
                              : QPoint();
}

QStringList rowTexts(const QAbstractItemModel *model)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

QAction *actionNamed(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class AnnotationsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void highlight_madeWithTheMouse_isMarkedAgainAfterARestart();
    void bookmarks_madeRenamedMovedOpenedAndRemoved();
    void damagedFile_isReportedOnceAndKept();
    void bookmarkRows_moveWhereTheyAreDropped_data();
    void bookmarkRows_moveWhereTheyAreDropped();

private:
    // A shown window of `app` with the lantern page loaded and its highlights placed.
    MainWindow *showLantern(LectorinApp &app);
    QString markedText(MainWindow *window);

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<SystemAppearance> m_appearance;
};

void AnnotationsTest::initTestCase()
{
    WindowFixtures::writeCatalogue(m_dir, { { "ls", "1", "list directory contents" } });
    WindowFixtures::writeFile(m_dir.filePath("man/man1/lantern.1"), lanternPage());
    m_settings = std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat);
    m_appearance = std::make_unique<SystemAppearance>();
}

void AnnotationsTest::cleanup()
{
    // No window keeps the last session's page for the next test.
    m_settings->remove("history");
}

MainWindow *AnnotationsTest::showLantern(LectorinApp &app)
{
    MainWindow *window = app.openWindow(std::nullopt, std::nullopt);
    window->resize(1000, 600);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return nullptr;
    if (!QTest::qWaitFor([&] { return app.model().indexState() == AppModel::IndexState::ready; }, kTimeout))
        return nullptr;
    BrowserModel *browser = window->currentTab()->browser();
    QSignalSpy marked(browser->highlights(), &PageHighlights::marked);
    browser->show("1/lantern");
    const bool shown = QTest::qWaitFor(
        [&] { return !marked.isEmpty() && window->currentTab()->detail()->webView()->focusProxy(); },
        kTimeout);
    return shown ? window : nullptr;
}

QString AnnotationsTest::markedText(MainWindow *window)
{
    return evaluate(window->currentTab()->browser()->page(),
        "Array.from(document.querySelectorAll('mark.lectorin-highlight'),"
        " (m) => m.dataset.colour + ':' + m.textContent).join('|')")
        .toString();
}

void AnnotationsTest::highlight_madeWithTheMouse_isMarkedAgainAfterARestart()
{
    const QString file = m_dir.filePath("restart/annotations.json");
    {
        LectorinApp app(m_settings.get(), m_appearance.get(), file);
        MainWindow *window = showLantern(app);
        QVERIFY(window);
        QWebEnginePage *page = window->currentTab()->browser()->page();
        QWidget *input = window->currentTab()->detail()->webView()->focusProxy();

        // Pressed before "burns", dragged to after "steadily", as a reader selects.
        const QVariantList ends = evaluate(page, R"js((() => {
const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
const at = (word, end) => {
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        const found = node.data.indexOf(word);
        if (found < 0) continue;
        const range = document.createRange();
        range.setStart(node, found);
        range.setEnd(node, found + word.length);
        const box = range.getBoundingClientRect();
        return [end ? box.right - 1 : box.left + 1, box.top + box.height / 2];
    }
    return null;
};
return [at("burns", false), at("steadily", true)];
})())js")
                                      .toList();
        QCOMPARE(ends.size(), 2);
        const QPoint start = pointOf(ends.at(0));
        const QPoint end = pointOf(ends.at(1));
        QTest::mousePress(input, Qt::LeftButton, {}, start);
        QTest::mouseMove(input, (start + end) / 2);
        QTest::mouseMove(input, end);
        QTest::mouseRelease(input, Qt::LeftButton, {}, end);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(page, "getSelection().toString()").toString(),
            QStringLiteral("burns paraffin steadily"), kTimeout);

        // The page's menu, as a right-click on the selection opens it: Highlight ▸ Green.
        QTest::mouseClick(input, Qt::RightButton, {}, (start + end) / 2);
        QMenu *menu = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())), kTimeout);
        QAction *highlight = actionNamed(menu, "Highlight");
        QVERIFY(highlight && highlight->menu());
        QVERIFY(actionNamed(menu, "Add Note\u2026"));
        QVERIFY(actionNamed(menu, "Bookmark This Page"));
        QStringList colours;
        for (QAction *colour : highlight->menu()->actions())
            colours << colour->text();
        QCOMPARE(colours, QStringList({ "Yellow", "Green", "Blue", "Pink" }));
        actionNamed(highlight->menu(), "Green")->trigger();
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(
            markedText(window), QStringLiteral("green:burns |green:paraffin|green: steadily"), kTimeout);
        QCOMPARE(app.annotations().highlights().size(), 1);

        // Every tab and window follows the store: the Notes pane of another window lists it.
        MainWindow *other = app.openWindow(std::nullopt, std::nullopt);
        NotesPane *notes = other->currentTab()->notes();
        QVERIFY(notes);
        other->commands()->action("Show Notes")->trigger();
        QVERIFY(other->currentTab()->isNotesShown());
        QCOMPARE(rowTexts(notes->model()), QStringList({ "burns paraffin steadily" }));
        QCOMPARE(notes->model()->index(0, 0).data(NotesListModel::Section).toString(),
            QStringLiteral("DESCRIPTION"));
    }

    // A restart: a new application on the same file finds the highlight and marks it again.
    LectorinApp app(m_settings.get(), m_appearance.get(), file);
    QCOMPARE(app.annotations().highlights().size(), 1);
    MainWindow *window = showLantern(app);
    QVERIFY(window);
    QCOMPARE(markedText(window), QStringLiteral("green:burns |green:paraffin|green: steadily"));
    const Highlight saved = app.annotations().highlights().constFirst();
    QCOMPARE(window->currentTab()->browser()->highlights()->attachmentOf(saved.id),
        std::optional(Attachment::exact));

    // A note from the page's menu on the mark becomes its title, which shows under the pointer.
    ManWebView *view = window->currentTab()->detail()->webView();
    QMenu *onHighlight = view->makeContextMenu(QUrl(), { saved.id, std::nullopt });
    QAction *editNote = actionNamed(onHighlight, "Edit Note\u2026");
    QVERIFY(editNote && actionNamed(onHighlight, "Remove Highlight"));
    editNote->trigger();
    QInputDialog *dialog = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((dialog = window->findChild<QInputDialog *>()), kTimeout);
    dialog->setTextValue("keeps burning");
    dialog->accept();
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(window->currentTab()->browser()->page(), "document.querySelector('mark').title").toString(),
        QStringLiteral("keeps burning"), kTimeout);
    delete onHighlight;
}

void AnnotationsTest::bookmarks_madeRenamedMovedOpenedAndRemoved()
{
    LectorinApp app(m_settings.get(), m_appearance.get(), m_dir.filePath("bookmarks/annotations.json"));
    MainWindow *window = showLantern(app);
    QVERIFY(window);
    ContentView *tab = window->currentTab();
    BookmarkListView *list = tab->sidebar()->bookmarkList();
    QVERIFY(list);
    QVERIFY(list->isHidden());
    QAction *star = tab->detail()->bookmarkAction();
    QVERIFY(star && star->isEnabled());
    QCOMPARE(star->text(), QStringLiteral("Bookmark This Page"));

    // Ctrl+D at the top bookmarks the page; scrolled to a section, the section; never the same place twice.
    QTest::keyClick(window, Qt::Key_D, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!list->isHidden(), kTimeout);
    QCOMPARE(rowTexts(list->model()), QStringList({ "Bookmarks", "lantern(1)" }));
    tab->browser()->jumpTo("OPTIONS");
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(tab->browser()->page(), "window.scrollY").toInt() > 0, kTimeout);
    // The page has the keyboard: the shortcut still reaches the window.
    QWidget *page = tab->detail()->webView()->focusProxy();
    page->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), page, kTimeout);
    QTest::keyClick(page, Qt::Key_D, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 3, kTimeout);
    star->trigger();
    // The page answers scripts in order: once this one is back, the star's question about the view was too.
    evaluate(tab->browser()->page(), "0");
    QVERIFY(star->isChecked());
    QCOMPARE(
        rowTexts(list->model()), QStringList({ "Bookmarks", "lantern(1)", "lantern(1) \u203A OPTIONS" }));
    QCOMPARE(app.annotations().bookmarks().at(1).fragment, QStringLiteral("OPTIONS"));
    // Rows tell their page's description once it is known.
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->index(1, 0).data(SidebarRoles::Description).toString(),
        QStringLiteral("light a wick"), kTimeout);

    // F2 renames in place; Alt+Up moves the row up.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(2, 0));
    QTest::keyClick(list, Qt::Key_F2);
    QLineEdit *editor = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((editor = list->findChild<QLineEdit *>()) && editor->isVisible(), kTimeout);
    editor->selectAll();
    QTest::keyClicks(editor, "Lantern options");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(
        app.annotations().bookmarks().at(1).title, QStringLiteral("Lantern options"), kTimeout);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(
        rowTexts(list->model()), QStringList({ "Bookmarks", "Lantern options", "lantern(1)" }), kTimeout);

    // A click opens the bookmark at its place; a middle-click in a new tab.
    tab->browser()->show("1/ls");
    QTRY_COMPARE_WITH_TIMEOUT(
        tab->browser()->currentPageID(), std::optional(QStringLiteral("1/ls")), kTimeout);
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    QTRY_COMPARE_WITH_TIMEOUT(
        tab->browser()->currentPageID(), std::optional(QStringLiteral("1/lantern")), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(tab->browser()->page(), "window.scrollY").toInt() > 0, kTimeout);
    QTest::mouseClick(
        list->viewport(), Qt::MiddleButton, {}, list->visualRect(list->model()->index(2, 0)).center());
    QTRY_COMPARE_WITH_TIMEOUT(window->tabs().size(), 2, kTimeout);

    // A bookmark of a page that is not installed stays, marked, and opening it tells so.
    Bookmark gone;
    gone.id = QUuid::createUuid();
    gone.page = "x-lectorin-man://1/gone";
    gone.title = "gone(1)";
    gone.created = QDateTime::currentDateTimeUtc();
    app.annotations().addBookmark(gone);
    window->tabWidget()->setCurrentWidget(tab);
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 4, kTimeout);
    const QModelIndex missing = list->model()->index(3, 0);
    QCOMPARE(missing.data(SidebarRoles::LabelStyle).toInt(), int(SidebarHistory::RowLabel::Style::missing));
    QVERIFY(missing.data(Qt::ToolTipRole).toString().contains("not installed"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(missing).center());
    QMessageBox *alert = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((alert = window->findChild<QMessageBox *>()), kTimeout);
    QCOMPARE(alert->text(), QString::fromUtf8("No manual entry for \xe2\x80\x9cgone(1)\xe2\x80\x9d"));
    alert->close();

    // Export Notes writes them all as Markdown to the chosen file.
    const QString exported = m_dir.filePath("notes.md");
    app.setSaveFileChooser([&](QWidget *, const QString &, const QString &proposed) {
        return proposed.endsWith(".md") ? exported : QString();
    });
    QAction *exportNotes = window->commands()->action("Export Notes\u2026");
    QVERIFY(exportNotes->isEnabled());
    exportNotes->trigger();
    QFile markdown(exported);
    QVERIFY(markdown.open(QIODevice::ReadOnly));
    const QByteArray notes = markdown.readAll();
    QVERIFY2(notes.contains("# Bookmarks") && notes.contains("Lantern options") && notes.contains("gone(1)"),
        notes.constData());

    // Delete removes the current row; the context menu has the rest.
    list->setFocus();
    list->setCurrentIndex(missing);
    QTest::keyClick(list, Qt::Key_Delete);
    QTRY_COMPARE_WITH_TIMEOUT(app.annotations().bookmarks().size(), 2, kTimeout);
    QMenu *menu = list->makeContextMenu(1);
    QStringList items;
    for (QAction *action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items,
        QStringList({ "Open", "Open in New Tab", "Open in New Window", "-", "Rename", "Move Up", "Move Down",
            "-", "Remove" }));
    actionNamed(menu, "Remove")->trigger();
    delete menu;
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(list->model()), QStringList({ "Bookmarks", "lantern(1)" }), kTimeout);
}

void AnnotationsTest::damagedFile_isReportedOnceAndKept()
{
    const QString folder = m_dir.filePath("damaged");
    const QByteArray damaged = "{ \"version\": 1, \"bookmarks\": [ { \"title\": ";
    WindowFixtures::writeFile(folder + "/annotations.json", damaged);
    LectorinApp app(m_settings.get(), m_appearance.get(), folder + "/annotations.json");
    QVERIFY(!app.annotations().problem().isEmpty());
    MainWindow *window = app.openWindow(std::nullopt, std::nullopt);

    // Told once, without stopping the window.
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = window->findChild<QMessageBox *>()), kTimeout);
    QVERIFY(!box->isModal());
    QCOMPARE(box->informativeText(), app.annotations().problem());
    MainWindow *second = app.openWindow(std::nullopt, std::nullopt);
    QCOMPARE(second->findChildren<QMessageBox *>().size(), 0);
    QCOMPARE(window->findChildren<QMessageBox *>().size(), 1);

    // The damaged file is kept beside the new one, as it was.
    Bookmark bookmark;
    bookmark.id = QUuid::createUuid();
    bookmark.page = "x-lectorin-man://1/ls";
    bookmark.title = "ls(1)";
    app.annotations().addBookmark(bookmark);
    QTRY_COMPARE_WITH_TIMEOUT(
        window->currentTab()->sidebar()->bookmarkList()->model()->rowCount(), 2, kTimeout);
    bool kept = false;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files)) {
        QFile file(entry.filePath());
        if (entry.fileName() != "annotations.json" && file.open(QIODevice::ReadOnly)
            && file.readAll() == damaged)
            kept = true;
    }
    QVERIFY(kept);
}

void AnnotationsTest::bookmarkRows_moveWhereTheyAreDropped_data()
{
    // Rows as the list shows them: the header is row 0, bookmarks a, b, c, d are rows 1 to 4.
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("beforeRow");
    QTest::addColumn<QString>("order");
    QTest::newRow("down, before a later row") << 1 << 3 << "bacd";
    QTest::newRow("down, past the last row") << 2 << 5 << "acdb";
    QTest::newRow("up, before the first") << 4 << 1 << "dabc";
    QTest::newRow("up, onto the header") << 3 << 0 << "cabd";
    QTest::newRow("before itself") << 2 << 2 << "abcd";
    QTest::newRow("before the next") << 2 << 3 << "abcd";
    QTest::newRow("the header") << 0 << 3 << "abcd";
}

void AnnotationsTest::bookmarkRows_moveWhereTheyAreDropped()
{
    QFETCH(int, row);
    QFETCH(int, beforeRow);
    QFETCH(QString, order);
    QTemporaryDir folder;
    AnnotationStore store(folder.filePath("annotations.json"));
    for (const QChar name : QStringLiteral("abcd"))
        store.addBookmark({ QUuid::createUuid(), "x-lectorin-man://1/" + QString(name), {}, name, {} });
    AppModel app(m_settings.get());
    BookmarkListModel model(&app, &store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.index(0, 0).data(SidebarRoles::Kind).toInt(), int(SidebarRoles::RowKind::header));
    model.move(row, beforeRow);
    QString titles;
    for (const Bookmark &bookmark : store.bookmarks())
        titles += bookmark.title;
    QCOMPARE(titles, order);
    QCOMPARE(rowTexts(&model).mid(1).join(QString()), order);
}

LECTORIN_WEB_TEST_MAIN(AnnotationsTest)
#include "tst_annotations.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/launcharguments.h"
#include "../render/renderfixtures.h"
#include "../web/webfixtures.h"
#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"
#include "platform/systemappearance.h"
#include "ui/lectorinapp.h"
#include "ui/mainwindow.h"
#include "ui/pagepreviewview.h"
#include "ui/pageveil.h"
#include "web/manschemehandler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <sys/stat.h>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace {

constexpr int kRenderTimeoutMilliseconds = 20000;

using WebFixtures::evaluate;

QString pageText(QWebEnginePage *page)
{
    return evaluate(page, QStringLiteral("document.body ? document.body.innerText : ''")).toString();
}

// The tool page with a DESCRIPTION long enough to scroll; the two warnings stay on lines 1 and 10.
QByteArray longToolPage(const QByteArray &marker)
{
    const QByteArray page(kToolPageWithTwoWarnings);
    const qsizetype options = page.indexOf(".SS Options");
    QByteArray paragraphs;
    for (int i = 1; i <= 60; ++i)
        paragraphs += ".PP\nParagraph " + QByteArray::number(i) + " of " + marker
            + " tells how widgets frobnicate.\n";
    return page.first(options) + paragraphs + page.sliced(options);
}

} // namespace

class PagePreviewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void openByPath_showsFileInItsOwnTab();
    void save_byRewriteAndByRename_reRendersAtSameScroll();
    void lintPanel_listsWarnings_andClickGoesToSection();
    void badFile_showsMessageInTab_data();
    void badFile_showsMessageInTab();

private:
    // Opens the file as `lectorin PATH` would and waits for its first render; null when no preview opened or
    // nothing was shown. `rendered` then counts the renders that follow.
    PagePreviewView *openRendered(const QString &path, std::unique_ptr<QSignalSpy> &rendered);
    void close(PagePreviewView *preview);

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<SystemAppearance> m_appearance;
    std::unique_ptr<LectorinApp> m_app;
    MainWindow *m_window = nullptr;
};

void PagePreviewTest::initTestCase()
{
    const QString man = m_dir.filePath("man");
    QVERIFY(writeFile(man + "/man1/ls.1", ".TH LS 1 2026-01-01\n.SH NAME\nls \\- list directory contents\n"));
    QVERIFY(writeScript(m_dir.filePath("shell"),
        "case \"$3\" in manpath) echo " + man.toUtf8() + ";; *) echo /nonexistent;; esac\n"));
    qputenv("SHELL", m_dir.filePath("shell").toUtf8());
    m_settings = std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat);
    m_appearance = std::make_unique<SystemAppearance>();
    m_app = std::make_unique<LectorinApp>(m_settings.get(), m_appearance.get());
    m_window = m_app->openWindow(std::nullopt, std::nullopt);
    m_window->resize(900, 640);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

PagePreviewView *PagePreviewTest::openRendered(const QString &path, std::unique_ptr<QSignalSpy> &rendered)
{
    const qsizetype before = m_window->previewTabs().size();
    m_app->openReferences({ path });
    if (m_window->previewTabs().size() != before + 1)
        return nullptr;
    PagePreviewView *preview = m_window->previewTabs().last();
    rendered = std::make_unique<QSignalSpy>(preview, &PagePreviewView::rendered);
    if (!QTest::qWaitFor([&] { return !rendered->isEmpty(); }, kRenderTimeoutMilliseconds))
        return nullptr;
    rendered->clear();
    return preview;
}

void PagePreviewTest::close(PagePreviewView *preview)
{
    m_window->tabWidget()->removeTab(m_window->tabWidget()->indexOf(preview));
    delete preview;
}

void PagePreviewTest::openByPath_showsFileInItsOwnTab()
{
    const QString path = m_dir.filePath("src/tool.1");
    QVERIFY(writeFile(path, kToolPageWithTwoWarnings));
    // What `lectorin ./src/tool.1` passes on: a path relative to where it was started, made absolute.
    const QString here = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    const QStringList arguments
        = LaunchArguments::withAbsolutePageFiles({ "./src/tool.1", "ls", "x-man-page://1/ls" });
    QDir::setCurrent(here);
    QCOMPARE(arguments, QStringList({ path, "ls", "x-man-page://1/ls" }));

    const QStringList historyBefore = m_app->model().history();
    const qsizetype browsingTabs = m_window->tabs().size();
    std::unique_ptr<QSignalSpy> rendered;
    PagePreviewView *preview = openRendered(arguments.first(), rendered);
    QVERIFY(preview);
    QCOMPARE(m_window->tabWidget()->currentWidget(), static_cast<QWidget *>(preview));
    QCOMPARE(m_window->tabWidget()->tabText(m_window->tabWidget()->currentIndex()), QStringLiteral("tool.1"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("tool.1"));
    QVERIFY(pageText(preview->page()).contains(u"frobnicate the widgets"));
    // Not a page of the catalogue: no history, no browsing tab, and the menus have no page to act on.
    QCOMPARE(m_window->tabs().size(), browsingTabs);
    QVERIFY(!m_window->currentTab());
    QCOMPARE(m_app->model().history(), historyBefore);

    // Like a browsing tab, a re-render in the dark look shows the dark background, never a white surface.
    auto *veil = preview->webView()->findChild<PageVeil *>();
    QVERIFY(veil);
    preview->setDarkAppearance(true);
    QVERIFY(preview->page()->backgroundColor().lightnessF() < 0.2);
    bool coveredAtStart = false;
    connect(preview->page(), &QWebEnginePage::loadStarted, veil, [&] { coveredAtStart = veil->isVisible(); });
    preview->refresh();
    QTRY_VERIFY_WITH_TIMEOUT(!rendered->isEmpty(), kRenderTimeoutMilliseconds);
    QVERIFY(coveredAtStart);
    QTRY_VERIFY_WITH_TIMEOUT(!veil->isVisible(), kRenderTimeoutMilliseconds);
    preview->setDarkAppearance(false);
    QCOMPARE(preview->page()->backgroundColor(), QColor(Qt::white));
    close(preview);
}

void PagePreviewTest::save_byRewriteAndByRename_reRendersAtSameScroll()
{
    const QString path = m_dir.filePath("src/long.1");
    QVERIFY(writeFile(path, longToolPage("the first draft")));
    std::unique_ptr<QSignalSpy> rendered;
    PagePreviewView *preview = openRendered(path, rendered);
    QVERIFY(preview);
    const int scrolled = evaluate(preview->page(), "window.scrollTo(0, 700); window.scrollY").toInt();
    QVERIFY2(scrolled > 300, qPrintable(QString::number(scrolled)));

    // Saved in place, then by writing a new file and renaming it over the old one, as many editors do.
    const struct
    {
        const char *marker;
        bool byRename;
    } saves[] = { { "the second draft", false }, { "the third draft", true }, { "the fourth draft", true } };
    for (const auto &save : saves) {
        rendered->clear();
        QElapsedTimer timer;
        timer.start();
        if (save.byRename) {
            QVERIFY(writeFile(path + ".new", longToolPage(save.marker)));
            QVERIFY(
                ::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData())
                == 0);
        } else {
            QVERIFY(writeFile(path, longToolPage(save.marker)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!rendered->isEmpty(), kRenderTimeoutMilliseconds);
        qInfo("%s shown %lld ms after the save", save.byRename ? "rename" : "rewrite", timer.elapsed());
        QVERIFY(pageText(preview->page()).contains(QString::fromLatin1(save.marker)));
        QCOMPARE(evaluate(preview->page(), "window.scrollY").toInt(), scrolled);
    }
    close(preview);
}

void PagePreviewTest::lintPanel_listsWarnings_andClickGoesToSection()
{
    const QString path = m_dir.filePath("src/lint.1");
    QVERIFY(writeFile(path, longToolPage("a draft")));
    std::unique_ptr<QSignalSpy> rendered;
    PagePreviewView *preview = openRendered(path, rendered);
    QVERIFY(preview);
    QTreeWidget *panel = preview->lintPanel();
    QTRY_COMPARE_WITH_TIMEOUT(panel->topLevelItemCount(), 2, kRenderTimeoutMilliseconds);
    QVERIFY(panel->isVisible());
    const auto row = [panel](int index) {
        const QTreeWidgetItem *item = panel->topLevelItem(index);
        return QStringList { item->text(PagePreviewView::levelColumn),
            item->text(PagePreviewView::lineColumn), item->text(PagePreviewView::messageColumn) };
    };
    QCOMPARE(row(0), QStringList({ "Warning", "1", "missing date, using \"\": TH" }));
    QCOMPARE(row(1), QStringList({ "Warning", "10", "skipping paragraph macro: PP after SH" }));

    // Line 10 lies in DESCRIPTION, the third heading.
    evaluate(preview->page(), "window.scrollTo(0, document.body.scrollHeight)");
    const QRect rect = panel->visualItemRect(panel->topLevelItem(1));
    QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, rect.center());
    // Scrolled so the heading sits at the top, give or take the rounding of its position.
    const QString headingAtTop = "Math.abs(document.querySelectorAll('h1.Sh, h2.Sh, h2.Ss, h3.Ss')[2]"
                                 ".getBoundingClientRect().top) < 2";
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(preview->page(), headingAtTop).toBool(), 10000);
    QCOMPARE(evaluate(preview->page(), "document.querySelectorAll('h1.Sh, h2.Sh')[2].textContent").toString(),
        QStringLiteral("DESCRIPTION"));
    close(preview);
}

void PagePreviewTest::badFile_showsMessageInTab_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "absent.1" << QStringLiteral("doesn\u2019t exist.");
    // Root reads any file whatever its permissions, so the unreadable paths are ones nobody can read as a
    // page.
    QTest::newRow("folder") << "folder.1" << QStringLiteral("is a folder, not a page file.");
    QTest::newRow("pipe") << "pipe.1" << QStringLiteral("isn\u2019t a regular file");
}

void PagePreviewTest::badFile_showsMessageInTab()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    const QString path = m_dir.filePath("bad/" + file);
    QVERIFY(QDir().mkpath(m_dir.filePath("bad")));
    if (file == u"folder.1")
        QVERIFY(QDir().mkpath(path));
    if (file == u"pipe.1" && !QFileInfo::exists(path))
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
    std::unique_ptr<QSignalSpy> rendered;
    PagePreviewView *preview = openRendered(path, rendered);
    QVERIFY(preview);
    const QString text = pageText(preview->page());
    QVERIFY2(text.contains(path) && text.contains(message), qPrintable(text));
    QCOMPARE(preview->lintPanel()->topLevelItemCount(), 0);
    close(preview);
}

LECTORIN_WEB_TEST_MAIN(PagePreviewTest)

#include "tst_pagepreview.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/helpbook.h"
#include "help/helpcontroller.h"
#include "help/helppage.h"
#include "help/helpview.h"

#include "buildinfo.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineView>

#include <unistd.h>

using namespace Lectorin;

namespace {

constexpr int kTimeout = 20000;

// Stands in for the desktop's browser: QDesktopServices hands it the web addresses.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void openUrl(const QUrl &url) { urls.append(url); }
};

void writePage(const QDir &folder, const QString &slug, const QString &body)
{
    QFile file(folder.filePath(slug + QStringLiteral(".html")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                              "<link rel=\"stylesheet\" href=\"help.css\"></head><body>%2</body></html>")
                   .arg(slug, body)
                   .toUtf8());
}

QVariant evaluate(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, kTimeout))
        qWarning("script did not answer: %s", qPrintable(script));
    return result;
}

// Clicks the link with this id as a person would: Chromium treats script clicks as navigations nobody asked
// for and skips their history entries when going back.
bool clickLink(HelpView *view, const QString &id, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (!QTest::qWaitForWindowExposed(view))
        return false;
    const QVariantList centre = evaluate(view->webView()->page(),
        QStringLiteral("(function(){ const r = document.getElementById('%1').getBoundingClientRect();"
                       " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
            .arg(id))
                                    .toList();
    QWidget *input = view->webView()->focusProxy();
    if (centre.size() != 2 || !input)
        return false;
    QTest::mouseClick(input, Qt::LeftButton, modifiers,
        QPoint(qRound(centre.at(0).toDouble()), qRound(centre.at(1).toDouble())));
    return true;
}

QString selectedTitle(const HelpView *view)
{
    const QList<QTreeWidgetItem *> selected = view->sidebar()->selectedItems();
    return selected.size() == 1 ? selected.first()->text(0) : QString();
}

} // namespace

class HelpViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void opening_showsOverviewSelectedAndIndexLoaded();
    void choosingARow_loadsItsPage();
    void followingALink_selectsItsRowWithoutASecondLoad_andBackReturns();
    void webLink_opensOnTheDesktop_andTheWindowStays();
    void ctrlClickedLink_staysInTheHelpWindow();
    void showHelpOnAPage_startsThere();
    void darkAppearance_holdsForEveryPage();
    void missingFolder_showsHelpPagesMissing_data();
    void missingFolder_showsHelpPagesMissing();
    void shippedBook_loadsEveryPage();

private:
    QTemporaryDir m_folder;
};

void HelpViewTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_folder.isValid());
    const QDir folder(m_folder.path());
    writePage(folder, QStringLiteral("index"),
        QStringLiteral("<p><a id=\"local\" href=\"navigation.html\">Links</a></p>"
                       "<p><a id=\"web\" href=\"https://example.org/lectorin\">Web</a></p>"
                       "<p><a id=\"themes\" href=\"themes.html\">Themes</a></p>"));
    writePage(
        folder, QStringLiteral("navigation"), QStringLiteral("<p><a href=\"index.html\">Back home</a></p>"));
    writePage(folder, QStringLiteral("themes"), QStringLiteral("<p>Colours.</p>"));
    QFile css(folder.filePath(QStringLiteral("help.css")));
    QVERIFY(css.open(QIODevice::WriteOnly));
    css.write(":root { color-scheme: light dark; }\n");
}

void HelpViewTest::init()
{
    // Every case starts with an empty history, so each builds its own controller.
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void HelpViewTest::opening_showsOverviewSelectedAndIndexLoaded()
{
    HelpController controller(m_folder.path());
    QVERIFY(controller.hasHelpPages());
    QCOMPARE(controller.selection(), QStringLiteral("index"));
    QVERIFY(!controller.view());

    QObject owner;
    QAction *action = controller.createShowHelpAction(&owner);
    QCOMPARE(action->text(), QStringLiteral("Lectorin Help"));
    QVERIFY(action->shortcuts().contains(QKeySequence(Qt::Key_F1)));
    action->trigger();
    HelpView *view = controller.view();
    QVERIFY(view && view->isVisible());
    QCOMPARE(view->windowTitle(), QStringLiteral("Lectorin Help"));
    QCOMPARE(view->size(), HelpView::kDefaultSize);
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);
    QCOMPARE(selectedTitle(view), QStringLiteral("Overview"));
    QCOMPARE(view->webView()->url(), HelpBook::url(QStringLiteral("index"), m_folder.path()));
    QVERIFY(!controller.canGoBack());
    QVERIFY(!view->backAction()->isEnabled());
    QVERIFY(!view->forwardAction()->isEnabled());
    QVERIFY(!view->findChild<QWidget *>(QStringLiteral("helpPagesMissing")));
}

void HelpViewTest::choosingARow_loadsItsPage()
{
    HelpController controller(m_folder.path());
    controller.showHelp();
    HelpView *view = controller.view();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);

    const QList<QTreeWidgetItem *> rows
        = view->sidebar()->findItems(QStringLiteral("Themes"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(rows.size(), 1);
    view->sidebar()->setCurrentItem(rows.first());
    QCOMPARE(controller.selection(), QStringLiteral("themes"));
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("themes"), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(view->backAction()->isEnabled(), kTimeout);

    // A chapter heading is no page: it cannot be chosen.
    const QList<QTreeWidgetItem *> chapters
        = view->sidebar()->findItems(QStringLiteral("Customizing"), Qt::MatchExactly);
    QCOMPARE(chapters.size(), 1);
    QVERIFY(!(chapters.first()->flags() & Qt::ItemIsSelectable));
}

void HelpViewTest::followingALink_selectsItsRowWithoutASecondLoad_andBackReturns()
{
    HelpController controller(m_folder.path());
    controller.showHelp();
    HelpView *view = controller.view();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);

    QSignalSpy loads(controller.page(), &QWebEnginePage::loadStarted);
    QSignalSpy selections(&controller, &HelpController::selectionChanged);
    QVERIFY(clickLink(view, QStringLiteral("local")));
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("navigation"), kTimeout);
    QCOMPARE(controller.selection(), QStringLiteral("navigation"));
    QCOMPARE(selectedTitle(view), QStringLiteral("Links & history"));
    // A round trip through the page lets any load the selection might have started show itself.
    QCOMPARE(evaluate(controller.page(), QStringLiteral("document.title")).toString(),
        QStringLiteral("navigation"));
    QCOMPARE(loads.size(), 1);
    QCOMPARE(selections.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(controller.canGoBack(), kTimeout);
    QVERIFY(view->backAction()->isEnabled());

    view->backAction()->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);
    QCOMPARE(selectedTitle(view), QStringLiteral("Overview"));
    QTRY_VERIFY_WITH_TIMEOUT(controller.canGoForward(), kTimeout);
    QVERIFY(!controller.canGoBack());
    QVERIFY(view->forwardAction()->isEnabled());

    view->forwardAction()->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("navigation"), kTimeout);
    QCOMPARE(selectedTitle(view), QStringLiteral("Links & history"));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.canGoForward(), kTimeout);
    QCOMPARE(loads.size(), 3);
}

void HelpViewTest::webLink_opensOnTheDesktop_andTheWindowStays()
{
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "openUrl");
    HelpController controller(m_folder.path());
    controller.showHelp();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);

    QVERIFY(clickLink(controller.view(), QStringLiteral("web")));
    QTRY_COMPARE_WITH_TIMEOUT(
        browser.urls, QList<QUrl> { QUrl(QStringLiteral("https://example.org/lectorin")) }, kTimeout);
    QCOMPARE(
        evaluate(controller.page(), QStringLiteral("document.title")).toString(), QStringLiteral("index"));
    QCOMPARE(controller.page()->url(), HelpBook::url(QStringLiteral("index"), m_folder.path()));
    QCOMPARE(controller.currentSlug(), QStringLiteral("index"));
    QCOMPARE(controller.selection(), QStringLiteral("index"));
    QVERIFY(!controller.canGoBack());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void HelpViewTest::ctrlClickedLink_staysInTheHelpWindow()
{
    HelpController controller(m_folder.path());
    controller.showHelp();
    HelpView *view = controller.view();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);

    QVERIFY(clickLink(view, QStringLiteral("themes"), Qt::ControlModifier));
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("themes"), kTimeout);
    QCOMPARE(selectedTitle(view), QStringLiteral("Themes"));
    QCOMPARE(QApplication::topLevelWidgets().size(), 1);
}

void HelpViewTest::showHelpOnAPage_startsThere()
{
    HelpController controller(m_folder.path());
    controller.showHelp(QStringLiteral("themes"));
    QSignalSpy slugs(&controller, &HelpController::currentSlugChanged);
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("themes"), kTimeout);
    QCOMPARE(slugs.size(), 1);
    QCOMPARE(selectedTitle(controller.view()), QStringLiteral("Themes"));

    // Asking again for the page on display, or for one outside the folder, changes nothing.
    controller.showHelp(QStringLiteral("themes"));
    controller.showHelp(QStringLiteral("../index"));
    QCOMPARE(
        evaluate(controller.page(), QStringLiteral("document.title")).toString(), QStringLiteral("themes"));
    QCOMPARE(controller.currentSlug(), QStringLiteral("themes"));
    QVERIFY(!controller.canGoBack());
}

void HelpViewTest::darkAppearance_holdsForEveryPage()
{
    HelpController controller(m_folder.path());
    controller.showHelp();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);
    const QString scheme = QStringLiteral("getComputedStyle(document.documentElement).colorScheme");

    controller.page()->setDarkAppearance(true);
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(controller.page(), scheme).toString(), QStringLiteral("dark"), kTimeout);
    controller.setSelection(QStringLiteral("navigation"));
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("navigation"), kTimeout);
    QCOMPARE(evaluate(controller.page(), scheme).toString(), QStringLiteral("dark"));

    controller.page()->setDarkAppearance(false);
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(controller.page(), scheme).toString(), QStringLiteral("light"), kTimeout);
}

void HelpViewTest::missingFolder_showsHelpPagesMissing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("no folder") << QString();
    QTest::newRow("removed folder") << m_folder.filePath(QStringLiteral("gone"));
    QTest::newRow("empty folder") << QStringLiteral("empty");
}

void HelpViewTest::missingFolder_showsHelpPagesMissing()
{
    QFETCH(QString, folder);
    QTemporaryDir empty;
    if (folder == u"empty")
        folder = empty.path();

    HelpController controller(folder);
    QVERIFY(!controller.hasHelpPages());
    controller.showHelp();
    HelpView *view = controller.view();
    QVERIFY(view);
    QVERIFY(!view->webView());
    QVERIFY(!controller.page());
    auto *notice = view->findChild<QWidget *>(QStringLiteral("helpPagesMissing"));
    QVERIFY(notice);
    QStringList texts;
    for (const QLabel *label : notice->findChildren<QLabel *>())
        texts.append(label->text());
    QVERIFY(texts.contains(QStringLiteral("Help Pages Missing")));
    QVERIFY(texts.contains(QStringLiteral("The Help pages are missing from this copy of Lectorin.")));

    // The chapters stay listed; choosing one loads nothing and breaks nothing.
    QCOMPARE(selectedTitle(view), QStringLiteral("Overview"));
    controller.showHelp(QStringLiteral("themes"));
    QCOMPARE(selectedTitle(view), QStringLiteral("Themes"));
    QCOMPARE(controller.currentSlug(), QString());
    QVERIFY(!controller.page());
}

void HelpViewTest::shippedBook_loadsEveryPage()
{
    HelpController controller(QStringLiteral(LECTORIN_SOURCE_RESOURCES "/Help"));
    controller.showHelp();
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), QStringLiteral("index"), kTimeout);
    for (const HelpBook::Page &page : HelpBook::pages()) {
        controller.setSelection(page.slug);
        QTRY_COMPARE_WITH_TIMEOUT(controller.currentSlug(), page.slug, kTimeout);
        QCOMPARE(selectedTitle(controller.view()), page.title);
        QCOMPARE(
            evaluate(controller.page(), QStringLiteral("document.querySelector('h1') !== null")).toBool(),
            true);
    }
}

int main(int argc, char *argv[])
{
    // The web engine runs headless here: no display, no GPU, and no sandbox when the tests run as root.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    HelpViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_helpview.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"
#include "browser/quietpresenter.h"
#include "browser/pagetranslation.h"
#include "browser/scriptcall.h"
#include "ui/detailview.h"
#include "ui/findbar.h"
#include "ui/manwebview.h"
#include "ui/outlinemenu.h"
#include "ui/pageveil.h"
#include "web/webfixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

using namespace Lectorin;
using namespace Lectorin::WebFixtures;

namespace {

constexpr int kTimeout = 30000;

// A long groff page: a synopsis of many options, screens of text, one "flame" far down, near a reference.
QByteArray longManPage()
{
    QByteArray page = ".TH EMBER 1 2024-01-01 \"\" \"User Commands\"\n.SH NAME\nember \\- keep a fire\n"
                      ".SH SYNOPSIS\n.SY ember-keeper\n";
    for (const char *option : { "option_name", "bind_address", "fingerprint_hash", "allowed_providers" })
        page += ".OP \\-o " + QByteArray(option) + "\n";
    page += ".RI [ file ...]\n.YS\n.SH DESCRIPTION\n";
    for (int paragraph = 0; paragraph < 60; ++paragraph) {
        page += ".PP\nPlain words fill this paragraph so that the page runs on for many screens of text, "
                "well past the height of any window.\n";
        if (paragraph == 40)
            page += "Here the flame burns; see\n.BR wick (5).\n";
    }
    return page;
}

// mdoc's synopsis as OpenSSH writes it: the hyphenated name again on each line, options in brackets.
const QByteArray kAgentSynopsis = ".Sh SYNOPSIS\n.Nm wick-keeper-agent\n.Op Fl c | s\n.Op Fl Dd\n"
                                  ".Op Fl a Ar bind_address\n.Op Fl E Ar fingerprint_hash\n"
                                  ".Op Fl O Ar option\n.Op Fl P Ar allowed_providers\n.Op Fl t Ar life\n"
                                  ".Nm\n.Op Fl a Ar bind_address\n.Ar command Op Ar arg ...\n"
                                  ".Sh DESCRIPTION\nKeeps wicks.\n";

// Mentions of --exclude and -x in screens of text, then their definitions far down.
QByteArray archivePage()
{
    QByteArray page = ".TH ARCHIVE 1\n.SH NAME\narchive \\- store files\n.SH DESCRIPTION\n";
    for (int paragraph = 0; paragraph < 40; ++paragraph)
        page += ".PP\nWith \\fB\\-\\-exclude\\fR or \\fB\\-x\\fR the archive skips or takes out files, as "
                "the paragraphs of a long description say again and again.\n";
    return page
        + ".SH OPTIONS\n.TP\n\\fB\\-x\\fR, \\fB\\-\\-extract\\fR\nExtract files.\n.TP\n"
          "\\fB\\-\\-exclude\\fR=\\fIPATTERN\\fR\nExclude files matching PATTERN.\n";
}

// An example to copy, with markup and spacing that must not reach the clipboard, and a reference to hover.
const QByteArray kRecipePage = ".TH RECIPE 1\n.SH NAME\nrecipe \\- cook\n.SH EXAMPLES\n.EX\n"
                               "\\fBtar\\fR -xzvf backup.tgz  -C /tmp\n  grep \"a <b>\" & sort\n.EE\n"
                               ".PP\nSee\n.BR wick (5).\n";

} // namespace

class ReadingViewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void findClose_keepsScrollAndSelection_data();
    void findClose_keepsScrollAndSelection();
    void followingALink_closesFind();
    void findClose_onALink_leavesNoLinkFocused();
    void pageSwitch_isCoveredInThePageBackgroundUnlessWhite();
    void synopsis_namesWholeAndCellsTopAligned_data();
    void synopsis_namesWholeAndCellsTopAligned();
    void synopsis_ofATranslatedPage_keepsNamesWhole();
    void translatedPage_switchesToTheUntranslatedAndBack();
    void optionJump_landsOnTheDefinition_andFindMeetsItFirst();
    void example_copiesItsTextAndALinkTellsItsPage();

private:
    bool showAndWait(const QString &id);
    QVariant evaluateInPage(const QString &body);
    int scrollY() { return evaluateInPage("return Math.round(window.scrollY);").toInt(); }
    void openFindOn(const QString &text);

    std::unique_ptr<FixtureCatalogue> m_catalogue;
    QuietPresenter m_presenter;
    std::unique_ptr<BrowserModel> m_browser;
    std::unique_ptr<DetailView> m_view;
};

void ReadingViewTest::initTestCase()
{
    m_catalogue = std::make_unique<FixtureCatalogue>(QStringList { "de_DE.UTF-8" });
    const QString man = m_catalogue->manRoot();
    QVERIFY(writeFile(man + "/man7/glow.7", mdocPage("glow", "7", ".Sh DESCRIPTION\nGlows in the dark.\n")));
    QVERIFY(writeFile(
        man + "/de/man7/glow.7", mdocPage("glow", "7", ".Sh BESCHREIBUNG\nLeuchtet im Dunkeln.\n")));
    QVERIFY(
        writeFile(man + "/de/man7/spark.7", mdocPage("spark", "7", ".Sh BESCHREIBUNG\nNur auf Deutsch.\n")));
    QVERIFY(writeFile(man + "/man1/ember.1", longManPage()));
    QByteArray funke = ".TH FUNKE 1\n.SH BEZEICHNUNG\nfunke \\- z\\[:u]ndet\n.SH \\[:U]BERSICHT\n"
                       ".B funken-halter-werkzeug\n";
    for (const char *option : { "lange-option-eins", "lange-option-zwei", "lange-option-drei" })
        funke += "[\\fB\\-\\-" + QByteArray(option) + "\\fR]\n";
    QVERIFY(writeFile(man + "/de/man1/funke.1", funke + ".SH BESCHREIBUNG\nZ\\[:u]ndet.\n"));
    QVERIFY(writeFile(man + "/man5/wick.5", mdocPage("wick", "5", ".Sh DESCRIPTION\nBurns.\n")));
    QVERIFY(writeFile(man + "/man1/wick-keeper-agent.1", mdocPage("wick-keeper-agent", "1", kAgentSynopsis)));
    QVERIFY(writeFile(man + "/man1/archive.1", archivePage()));
    QVERIFY(writeFile(man + "/man1/recipe.1", kRecipePage));
    QVERIFY(m_catalogue->loadAndWait());
}

void ReadingViewTest::init()
{
    m_browser = std::make_unique<BrowserModel>(m_catalogue->app.get(), &m_presenter);
    m_view = std::make_unique<DetailView>(m_browser.get(), nullptr);
    m_view->resize(760, 560);
    m_view->show();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
}

void ReadingViewTest::cleanup()
{
    m_view.reset();
    m_browser.reset();
}

bool ReadingViewTest::showAndWait(const QString &id)
{
    QSignalSpy inferred(m_browser.get(), &BrowserModel::linksInferred);
    m_browser->show(id);
    // The page before may still announce its links until the engine starts the next load.
    while (inferred.wait(kTimeout)) {
        if (m_browser->currentPageID() == id)
            return true;
    }
    return false;
}

QVariant ReadingViewTest::evaluateInPage(const QString &body)
{
    return evaluate(m_browser->page(), ScriptCall::functionCall(body));
}

void ReadingViewTest::openFindOn(const QString &text)
{
    m_browser->setFindPresented(true);
    QTRY_VERIFY(m_view->findBar()->field()->hasFocus());
    QTest::keyClicks(m_view->findBar()->field(), text);
    QTRY_COMPARE_WITH_TIMEOUT(m_view->findBar()->matchText(), QStringLiteral("1 of 1"), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(scrollY() > 1000, kTimeout);
}

void ReadingViewTest::findClose_keepsScrollAndSelection_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape in the field") << "field";
    QTest::newRow("close button") << "button";
    QTest::newRow("Escape in the page") << "page";
}

void ReadingViewTest::findClose_keepsScrollAndSelection()
{
    QFETCH(QString, how);
    QVERIFY(showAndWait("1/ember"));
    QTRY_VERIFY_WITH_TIMEOUT(m_view->webView()->focusProxy(), kTimeout);
    openFindOn("flame");
    const int before = scrollY();

    QWidget *page = m_view->webView()->focusProxy();
    if (how == u"field") {
        QTest::keyClick(m_view->findBar()->field(), Qt::Key_Escape);
    } else if (how == u"button") {
        const QList<QToolButton *> buttons = m_view->findBar()->findChildren<QToolButton *>();
        QVERIFY(!buttons.isEmpty());
        QTest::mouseClick(buttons.last(), Qt::LeftButton);
    } else {
        page->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(page, Qt::Key_Escape);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_view->findBar()->isVisible(), kTimeout);
    QVERIFY(!m_browser->isFindPresented());
    // The page has the focus, not one of its links, and stays where the match is, the match selected.
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), page, kTimeout);
    QCOMPARE(evaluateInPage("return document.activeElement === document.body;").toBool(), true);
    QCOMPARE(evaluateInPage("return window.getSelection().toString();").toString(), QStringLiteral("flame"));
    QCOMPARE(scrollY(), before);
}

void ReadingViewTest::followingALink_closesFind()
{
    QVERIFY(showAndWait("1/ember"));
    QTRY_VERIFY_WITH_TIMEOUT(m_view->webView()->focusProxy(), kTimeout);
    openFindOn("flame");
    const QVariantList box
        = evaluateInPage("const r = document.querySelector('a.lectorin-inferred').getBoundingClientRect();"
                         " return [r.left + r.width / 2, r.top + r.height / 2];")
              .toList();
    QCOMPARE(box.size(), 2);
    QTest::mouseClick(m_view->webView()->focusProxy(), Qt::LeftButton, Qt::NoModifier,
        QPoint(qRound(box.at(0).toDouble()), qRound(box.at(1).toDouble())));
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->currentPageID(), std::optional<QString>("5/wick"), kTimeout);
    QVERIFY(!m_browser->isFindPresented());
    QVERIFY(!m_view->findBar()->isVisible());
}

// A match inside a link: the engine focuses the link while it finds, and Return would follow it once find
// closes.
void ReadingViewTest::findClose_onALink_leavesNoLinkFocused()
{
    QVERIFY(showAndWait("1/ember"));
    QTRY_VERIFY_WITH_TIMEOUT(m_view->webView()->focusProxy(), kTimeout);
    openFindOn("wick");
    QTest::keyClick(m_view->findBar()->field(), Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), m_view->webView()->focusProxy(), kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluateInPage("return document.activeElement === document.body;").toBool(), true, kTimeout);
    QCOMPARE(evaluateInPage("return window.getSelection().toString();").toString(), QStringLiteral("wick"));
}

void ReadingViewTest::pageSwitch_isCoveredInThePageBackgroundUnlessWhite()
{
    m_browser->setDarkAppearance(true);
    QVERIFY(showAndWait("1/ember"));
    auto *veil = m_view->webView()->findChild<PageVeil *>();
    QVERIFY(veil);
    QTRY_VERIFY_WITH_TIMEOUT(!veil->isVisible(), kTimeout);

    // From the moment the next page is asked for until it has painted, the view shows the dark background.
    QColor coverColour;
    bool coveredAtStart = false;
    connect(m_browser->page(), &QWebEnginePage::loadStarted, veil, [&] {
        coveredAtStart = veil->isVisible() && veil->geometry() == m_view->webView()->rect();
        coverColour = veil->grab().toImage().pixelColor(4, 4);
    });
    QVERIFY(showAndWait("5/wick"));
    QVERIFY(coveredAtStart);
    QCOMPARE(coverColour, m_browser->page()->backgroundColor());
    QVERIFY(coverColour.lightnessF() < 0.2);
    QTRY_VERIFY_WITH_TIMEOUT(!veil->isVisible(), kTimeout);

    // On a white page the engine's new surface is no flash: nothing holds back its first paint.
    m_browser->setDarkAppearance(false);
    QCOMPARE(m_browser->page()->backgroundColor(), QColor(Qt::white));
    QVERIFY(showAndWait("1/ember"));
    QVERIFY(!coveredAtStart);
}

void ReadingViewTest::synopsis_namesWholeAndCellsTopAligned_data()
{
    QTest::addColumn<QString>("pageID");
    QTest::newRow("man(7) .SY and .OP") << "1/ember";
    QTest::newRow("mdoc .Nm and .Op") << "1/wick-keeper-agent";
}

void ReadingViewTest::synopsis_namesWholeAndCellsTopAligned()
{
    QFETCH(QString, pageID);
    m_view->resize(460, 560);
    QVERIFY(showAndWait(pageID));
    // Per synopsis table: does a name or flag break, is the name cell narrower than its name, do the cells
    // start on different lines, and did the arguments wrap at all (else the test proves nothing).
    const QVariantMap layout = evaluateInPage(
        "const tables = Array.from(document.querySelectorAll('table.Nm'));"
        "const lines = (e) => e.getClientRects().length;"
        "return {"
        " tables: tables.length,"
        " brokenNames: tables.filter((t) => Array.from(t.querySelectorAll('code.Nm, code.Fl, b'))"
        "     .some((e) => lines(e) > 1)).length,"
        " narrowNameCells: tables.filter((t) => { const c = t.querySelector('td'); "
        "     return c.scrollWidth > c.clientWidth"
        "         || c.getBoundingClientRect().width < c.querySelector('code.Nm').scrollWidth; }).length,"
        " unalignedCells: tables.filter((t) => { const [n, a] = t.querySelectorAll('td');"
        "     return Math.abs(n.getBoundingClientRect().top - a.getBoundingClientRect().top) > 0.5"
        "         || getComputedStyle(n).verticalAlign !== 'top'; }).length,"
        " wrapped: tables.some((t) => { const a = t.querySelectorAll('td')[1];"
        "     return a.getBoundingClientRect().height"
        "         > 2 * a.querySelector('code.Fl, b').getBoundingClientRect().height; }),"
        "};")
                                   .toMap();
    QVERIFY2(layout.value("tables").toInt() > 0, qPrintable(pageID));
    QVERIFY(layout.value("wrapped").toBool());
    QCOMPARE(layout.value("brokenNames").toInt(), 0);
    QCOMPARE(layout.value("narrowNameCells").toInt(), 0);
    QCOMPARE(layout.value("unalignedCells").toInt(), 0);
}

// A German synopsis ("ÜBERSICHT") written the man(7) way, with no table: names and flags stay whole too.
void ReadingViewTest::synopsis_ofATranslatedPage_keepsNamesWhole()
{
    m_view->resize(460, 560);
    QVERIFY(showAndWait("1/funke"));
    const QVariantMap layout
        = evaluateInPage("const synopsis = document.querySelectorAll('div.manual-text > section.Sh')[1];"
                         "const bold = Array.from(synopsis.querySelectorAll('p b'));"
                         "return {"
                         " heading: synopsis.querySelector('h1').textContent,"
                         " names: bold.length,"
                         " broken: bold.filter((e) => e.getClientRects().length > 1).length,"
                         " wrapped: synopsis.querySelector('p').getBoundingClientRect().height"
                         "     > 2 * bold[0].getBoundingClientRect().height,"
                         "};")
              .toMap();
    QCOMPARE(layout.value("heading").toString(), QStringLiteral("\u00DCBERSICHT"));
    QCOMPARE(layout.value("names").toInt(), 4);
    QVERIFY(layout.value("wrapped").toBool());
    QCOMPARE(layout.value("broken").toInt(), 0);
}

// The toolbar names the language of a translated page and switches to the untranslated page and back, as a
// reload: no visit, no back step.
void ReadingViewTest::translatedPage_switchesToTheUntranslatedAndBack()
{
    const auto bodyText = [this] { return evaluateInPage("return document.body.innerText;").toString(); };
    QVERIFY(showAndWait("7/glow"));
    QAction *language = m_view->languageAction();
    QTRY_VERIFY_WITH_TIMEOUT(language->isVisible(), kTimeout);
    QCOMPARE(language->text(), QStringLiteral("Deutsch"));
    QVERIFY(bodyText().contains(u"Leuchtet im Dunkeln"));
    const QStringList history = m_catalogue->app->history();
    const bool couldGoBack = m_browser->canGoBack();

    auto *button = qobject_cast<QToolButton *>(m_view->toolBar()->widgetForAction(language));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(bodyText().contains(u"Glows in the dark"), kTimeout);
    QCOMPARE(language->text(), QStringLiteral("English"));
    QVERIFY(!m_browser->translation()->showsTranslation());
    // Exports and links take the copy on display.
    QCOMPARE(m_browser->currentPage()->path(), m_catalogue->manRoot() + "/man7/glow.7");
    QCOMPARE(m_catalogue->app->history(), history);
    QCOMPARE(m_browser->canGoBack(), couldGoBack);

    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(bodyText().contains(u"Leuchtet im Dunkeln"), kTimeout);
    QCOMPARE(language->text(), QStringLiteral("Deutsch"));
    QCOMPARE(m_catalogue->app->history(), history);

    // A page that exists only translated names its language but has nothing to switch to.
    QVERIFY(showAndWait("7/spark"));
    QTRY_VERIFY_WITH_TIMEOUT(language->isVisible() && !language->isEnabled(), kTimeout);
    QCOMPARE(language->text(), QStringLiteral("Deutsch"));
    QVERIFY(bodyText().contains(u"Nur auf Deutsch"));

    QVERIFY(showAndWait("5/wick"));
    QTRY_VERIFY_WITH_TIMEOUT(!language->isVisible(), kTimeout);
}

void ReadingViewTest::optionJump_landsOnTheDefinition_andFindMeetsItFirst()
{
    const QString marked = QStringLiteral(
        "return document.querySelector('.lectorin-marked')?.getAttribute('data-lectorin-option') ?? null;");
    // As `lectorin 'archive --excl'` asks: a long option by a unique prefix, far below its mentions.
    QSignalSpy inferred(m_browser.get(), &BrowserModel::linksInferred);
    m_browser->show("1/archive", "--excl");
    QVERIFY(inferred.wait(kTimeout));
    QTRY_COMPARE_WITH_TIMEOUT(evaluateInPage(marked).toString(), QStringLiteral("--exclude"), kTimeout);
    QVERIFY(scrollY() > 1000);
    // On the page shown, a jump scrolls without loading it again.
    QSignalSpy loads(m_browser->page(), &QWebEnginePage::loadStarted);
    m_browser->show("1/archive", "-x");
    QTRY_COMPARE_WITH_TIMEOUT(evaluateInPage(marked).toString(), QStringLiteral("-x --extract"), kTimeout);
    QCOMPARE(loads.size(), 0);

    // The outline lists the options after the sections, narrowed as one types.
    auto *outline = qobject_cast<OutlineMenu *>(m_view->sectionsAction()->menu());
    QVERIFY(outline);
    QTRY_COMPARE_WITH_TIMEOUT(outline->shownEntries().size(), 5, kTimeout);
    QCOMPARE(outline->shownEntries().last()->text(),
        QStringLiteral("--exclude \u2014 Exclude files matching PATTERN."));
    outline->filterField()->setText("extr");
    QCOMPARE(outline->shownEntries().size(), 1);
    QCOMPARE(outline->shownEntries().first()->text(), QStringLiteral("-x, --extract \u2014 Extract files."));

    // Find typed as an option starts at its definition; the mentions above come after it.
    evaluateInPage("window.scrollTo(0, 0); return true;");
    m_browser->setFindPresented(true);
    QTRY_VERIFY(m_view->findBar()->field()->hasFocus());
    QTest::keyClicks(m_view->findBar()->field(), "--exclude");
    QTRY_COMPARE_WITH_TIMEOUT(m_view->findBar()->matchText(), QStringLiteral("41 of 41"), kTimeout);
    QTest::keyClick(m_view->findBar()->field(), Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(evaluateInPage("return window.getSelection().anchorNode?.parentElement"
                                             ".closest('[data-lectorin-option]')?.id ?? null;")
                                  .toString(),
        QStringLiteral("exclude"), kTimeout);
}

LECTORIN_WEB_TEST_MAIN(ReadingViewTest)
#include "tst_readingview.moc"

void ReadingViewTest::example_copiesItsTextAndALinkTellsItsPage()
{
    QVERIFY(showAndWait("1/recipe"));
    QTRY_VERIFY_WITH_TIMEOUT(m_view->webView()->focusProxy(), kTimeout);
    const auto centreOf = [this](const QString &selector) {
        const QVariantList box = evaluateInPage("const r = document.querySelector('" + selector
            + "').getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2];")
                                     .toList();
        return box.size() == 2 ? QPoint(qRound(box.at(0).toDouble()), qRound(box.at(1).toDouble()))
                               : QPoint();
    };
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(
        m_view->webView()->focusProxy(), Qt::LeftButton, Qt::NoModifier, centreOf("button.lectorin-copy"));
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(),
        QStringLiteral("tar -xzvf backup.tgz  -C /tmp\n  grep \"a <b>\" & sort"), kTimeout);
    // The button's words are not the page's: Find does not meet them.
    QCOMPARE(evaluateInPage("return document.body.innerText.includes('Copy');").toBool(), false);

    QTRY_VERIFY_WITH_TIMEOUT(!m_catalogue->app->descriptions().of("5/wick").isEmpty(), kTimeout);
    QTest::mouseMove(m_view->webView()->focusProxy(), centreOf("a[href*=wick]"));
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), QString::fromUtf8("wick(5) — a test page"), kTimeout);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browsermodel.h"
#include "browser/pagelinks.h"
#include "browser/quietpresenter.h"
#include "browser/scriptcall.h"
#include "web/webfixtures.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

#include <cmath>

using namespace Lectorin;
using namespace Lectorin::WebFixtures;

namespace {

constexpr int kTimeout = 30000;

// A SEE ALSO and a DESCRIPTION written the way groff pages write them.
const QByteArray kSparkPage = R"(.TH SPARK 1 2024-01-01 "" "User Commands"
.SH NAME
spark \- light a fire
.SH SYNOPSIS
.B spark
[\fB\-o\fR \fIoption_name\fR]
.SH DESCRIPTION
See
.BR wick (5)
and
.IR flint (8)
for the parts,
.BR wick (3)
for nothing,
.BR spark (1)
for this page and ls(1) for files.
The project lives at <https://www.example.org/spark>.
Write to mailto:bugs@example.org, or read the notes (see www.example.org/docs).
Report bugs to <bug-spark@example.org>; the maintainer is fire@example.org.
Clone git@example.org:spark.git to build it.
.UR https://example.org/ur
The site
.UE .
.SH SEE ALSO
.BR flint (8),
.BR wick (5)
)";

QList<PageLinks::PageLink> pageLinks(QWebEnginePage *page)
{
    return PageLinks::fromScriptResult(evaluate(page, ScriptCall::functionCall(PageLinks::listScript())));
}

} // namespace

// What a reader can click and how it reads: links on man(7) and mdoc pages, the CLI's list, the colours.
class PageLinksTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void pageLinks_splitReferencesAndWebAddresses();
    void cliLinks_listsWhatAReaderCanClick();
    void darkAppearance_backgroundAndReadableLinks();

private:
    bool showAndWait(const QString &id);

    std::unique_ptr<FixtureCatalogue> m_catalogue;
    QuietPresenter m_presenter;
    std::unique_ptr<BrowserModel> m_model;
};

void PageLinksTest::initTestCase()
{
    m_catalogue = std::make_unique<FixtureCatalogue>();
    const QString man = m_catalogue->manRoot();
    QVERIFY(writeFile(man + "/man1/spark.1", kSparkPage));
    QVERIFY(writeFile(man + "/man5/wick.5", mdocPage("wick", "5", ".Sh DESCRIPTION\nBurns.\n")));
    QVERIFY(writeFile(man + "/man8/flint.8", mdocPage("flint", "8", ".Sh DESCRIPTION\nSparks.\n")));
    QVERIFY(m_catalogue->loadAndWait());
}

void PageLinksTest::init()
{
    m_model = std::make_unique<BrowserModel>(m_catalogue->app.get(), &m_presenter);
}

bool PageLinksTest::showAndWait(const QString &id)
{
    m_model->show(id);
    return QTest::qWaitFor([&] { return m_model->currentPageID() == id; }, kTimeout);
}

void PageLinksTest::pageLinks_splitReferencesAndWebAddresses()
{
    QSignalSpy inferred(m_model.get(), &BrowserModel::linksInferred);
    QVERIFY(showAndWait("1/spark"));
    QVERIFY(inferred.wait(kTimeout));
    // Not wick(3) (no such page) nor spark(1) (the page itself); the angle brackets, the full stop and the
    // parenthesis the address did not open stay outside the web links; a bare mail address is a mail link, a
    // repository address is not.
    const QList<PageLinks::PageLink> expected {
        { "inferred", "x-lectorin-man://5/wick", "wick(5)" },
        { "inferred", "x-lectorin-man://8/flint", "flint(8)" },
        { "inferred", "x-lectorin-man://1/ls", "ls(1)" },
        { "web", "https://www.example.org/spark", "https://www.example.org/spark" },
        { "web", "mailto:bugs@example.org", "mailto:bugs@example.org" },
        { "web", "https://www.example.org/docs", "www.example.org/docs" },
        { "web", "mailto:bug-spark@example.org", "bug-spark@example.org" },
        { "web", "mailto:fire@example.org", "fire@example.org" },
        { "web", "https://example.org/ur", "The site" },
        { "inferred", "x-lectorin-man://8/flint", "flint(8)" },
        { "inferred", "x-lectorin-man://5/wick", "wick(5)" },
    };
    QCOMPARE(pageLinks(m_model->page()), expected);
    // The link covers the name's element and its "(N)"; the text reads as before.
    QCOMPARE(evaluate(m_model->page(), "document.querySelector('a.lectorin-inferred').innerHTML").toString(),
        QStringLiteral("<b>wick</b>(5)"));
    const QString paragraph = evaluate(m_model->page(),
        "Array.from(document.querySelectorAll('p'), (p) => p.textContent).find((t) => t.includes('See'))")
                                  .toString();
    QVERIFY2(paragraph.simplified().startsWith(
                 "See wick(5) and flint(8) for the parts, wick(3) for nothing, spark(1) for this page"),
        qPrintable(paragraph));
    QVERIFY(paragraph.contains(u"<https://www.example.org/spark>."));

    // mdoc's own links are mandoc's; the marked names and plain references the catalogue confirms are
    // inferred.
    QVERIFY(showAndWait("1/greet"));
    QVERIFY(inferred.wait(kTimeout));
    const QList<PageLinks::PageLink> greet = pageLinks(m_model->page());
    QVERIFY(greet.size() > 2);
    QCOMPARE(greet.first(), (PageLinks::PageLink { "inferred", "x-lectorin-man://1/ls", "ls" }));
    QVERIFY(greet.contains(PageLinks::PageLink { "mandoc", "x-lectorin-man://3/printf", "printf(3)" }));
    QCOMPARE(PageLinks::fromScriptResult(QVariantList { QVariantList { "web", "x" } }), {});
}

void PageLinksTest::cliLinks_listsWhatAReaderCanClick()
{
    // Started as from a terminal, without the engine switches the test scripts set: as root the engine needs
    // its sandbox switched off, and its own reports stay off standard error.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QTWEBENGINE_DISABLE_SANDBOX");
    environment.remove("QTWEBENGINE_CHROMIUM_FLAGS");
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(LECTORIN_CLI,
        { "links", "spark(1)", "--manpath", m_catalogue->manRoot(), "--path",
            m_catalogue->dir.filePath("no") });
    QVERIFY(cli.waitForFinished(kTimeout));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(cli.readAllStandardError(),
        ::geteuid() == 0
            ? QByteArray("lectorin-cli: running as root, so the web engine runs without its sandbox.\n")
            : QByteArray());
    const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 11);
    QCOMPARE(lines.first(), QStringLiteral("inferred\tx-lectorin-man://5/wick\twick(5)"));
    QCOMPARE(
        lines.at(3), QStringLiteral("web\thttps://www.example.org/spark\thttps://www.example.org/spark"));

    cli.start(LECTORIN_CLI,
        { "links", "nosuch", "--manpath", m_catalogue->manRoot(), "--path",
            m_catalogue->dir.filePath("no") });
    QVERIFY(cli.waitForFinished(kTimeout));
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY(
        QString::fromUtf8(cli.readAllStandardError()).endsWith(u"No manual entry for \u201Cnosuch\u201D\n"));
    QCOMPARE(cli.readAllStandardOutput(), QByteArray());
}

void PageLinksTest::darkAppearance_backgroundAndReadableLinks()
{
    const auto luminance = [](const QColor &colour) {
        const auto channel = [](double value) {
            return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF())
            + 0.0722 * channel(colour.blueF());
    };
    const auto contrast = [&](const QColor &a, const QColor &b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    const auto computed = [this](const QString &selector, const QString &property) {
        const QString value = evaluate(m_model->page(),
            ScriptCall::functionCall("return getComputedStyle(document.querySelector(selector))[property];",
                { { "selector", selector }, { "property", property } }))
                                  .toString();
        // "rgb(r, g, b)"
        const QStringList parts = value.mid(value.indexOf(u'(') + 1).chopped(1).split(u',');
        return parts.size() == 3 ? QColor(parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).toInt())
                                 : QColor();
    };

    for (const bool dark : { true, false }) {
        m_model = std::make_unique<BrowserModel>(m_catalogue->app.get(), &m_presenter);
        m_model->setDarkAppearance(dark);
        // Before the first load the view already has the coming page's background.
        const QColor canvas = dark ? QColor(0x12, 0x12, 0x12) : QColor(Qt::white);
        QCOMPARE(m_model->page()->backgroundColor(), canvas);
        QSignalSpy inferred(m_model.get(), &BrowserModel::linksInferred);
        QVERIFY(showAndWait("1/greet"));
        QVERIFY(inferred.wait(kTimeout));
        QCOMPARE(computed("html", "backgroundColor"), canvas);
        for (const QString link : { "a.Xr", "a.lectorin-inferred" }) {
            const double ratio = contrast(computed(link, "color"), canvas);
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 %2: %3").arg(link).arg(dark).arg(ratio)));
        }
        const double text = contrast(computed("p", "color"), canvas);
        QVERIFY2(text >= 7, qPrintable(QString::number(text)));
    }
}

LECTORIN_WEB_TEST_MAIN(PageLinksTest)
#include "tst_pagelinks.moc"

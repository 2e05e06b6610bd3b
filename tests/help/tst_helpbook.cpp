// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/helpbook.h"

#include "buildinfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Lectorin;

namespace {

const QString kHelpFolder = QStringLiteral(LECTORIN_SOURCE_RESOURCES "/Help");

QString readPage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class HelpBookTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableOfContents_isTheBooksOrder();
    void pagesAndFiles_matchOneToOne();
    void pages_nameTheirTitleAndShareTheStylesheet();
    void linksBetweenPages_resolve();
    void url_data();
    void url();
    void slug_data();
    void slug();
    void staysInHelp_data();
    void staysInHelp();
};

void HelpBookTest::tableOfContents_isTheBooksOrder()
{
    QStringList outline;
    for (const HelpBook::Chapter &chapter : HelpBook::tableOfContents()) {
        for (const HelpBook::Page &page : chapter.pages)
            outline.append(chapter.title + u'/' + page.slug + u'/' + page.title);
    }
    const QStringList expected {
        QStringLiteral("Manual/index/Overview"),
        QStringLiteral("Basics/reading/Reading man pages"),
        QStringLiteral("Basics/navigation/Links & history"),
        QStringLiteral("Organizing/windows/Windows & tabs"),
        QStringLiteral("Customizing/themes/Themes"),
        QStringLiteral("Customizing/settings/Settings reference"),
        QStringLiteral("Output/printing/Print & export"),
        QStringLiteral("System/system/Your System"),
        QStringLiteral("Reference/shortcuts/Keyboard shortcuts"),
    };
    QCOMPARE(outline, expected);
    QCOMPARE(HelpBook::title(QStringLiteral("system")), QStringLiteral("Your System"));
    QCOMPARE(HelpBook::title(QStringLiteral("nothing")), QString());
}

void HelpBookTest::pagesAndFiles_matchOneToOne()
{
    QSet<QString> listed;
    for (const HelpBook::Page &page : HelpBook::pages()) {
        const QUrl url = HelpBook::url(page.slug, kHelpFolder);
        QVERIFY2(QFileInfo(url.toLocalFile()).isFile(), qPrintable(url.toString()));
        listed.insert(page.slug + u".html");
    }
    const QStringList files = QDir(kHelpFolder).entryList({ QStringLiteral("*.html") }, QDir::Files);
    for (const QString &file : files)
        QVERIFY2(
            listed.contains(file), qPrintable(file + QStringLiteral(" is not in the table of contents")));
    QCOMPARE(files.size(), listed.size());
}

void HelpBookTest::pages_nameTheirTitleAndShareTheStylesheet()
{
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    for (const HelpBook::Page &page : HelpBook::pages()) {
        const QString html = readPage(HelpBook::url(page.slug, kHelpFolder).toLocalFile());
        const QString expected = page.title.toHtmlEscaped();
        QCOMPARE(title.match(html).captured(1), expected + QStringLiteral(" — Lectorin Help"));
        QVERIFY2(html.contains(QStringLiteral("<link rel=\"stylesheet\" href=\"help.css\">")),
            qPrintable(page.slug));
    }
    QVERIFY(QFileInfo(kHelpFolder + QStringLiteral("/help.css")).isFile());
}

void HelpBookTest::linksBetweenPages_resolve()
{
    static const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    static const QRegularExpression externalScheme(QStringLiteral("^(https?|mailto|x-man-page):"));
    int localLinks = 0;
    for (const HelpBook::Page &page : HelpBook::pages()) {
        const QString path = HelpBook::url(page.slug, kHelpFolder).toLocalFile();
        for (const QRegularExpressionMatch &match : reference.globalMatch(readPage(path))) {
            const QString target = match.captured(1);
            const QString where = page.slug + QStringLiteral(": ") + target;
            QVERIFY2(!target.isEmpty(), qPrintable(where));
            if (externalScheme.match(target).hasMatch())
                continue;
            const QUrl url = QUrl::fromLocalFile(path).resolved(QUrl(target));
            QVERIFY2(url.isLocalFile(), qPrintable(where));
            const QString file = url.toLocalFile();
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(where));
            QVERIFY2(QFileInfo(file).absolutePath() == QFileInfo(path).absolutePath(), qPrintable(where));
            if (url.hasFragment()) {
                const QString anchor = QStringLiteral("id=\"%1\"").arg(url.fragment());
                QVERIFY2(readPage(file).contains(anchor), qPrintable(where));
            }
            ++localLinks;
        }
    }
    QVERIFY(localLinks > 9);
}

void HelpBookTest::url_data()
{
    QTest::addColumn<QString>("slug");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page") << u"themes"_qs << u"/opt/help"_qs << u"file:///opt/help/themes.html"_qs;
    QTest::newRow("trailing slash") << u"index"_qs << u"/opt/help/"_qs << u"file:///opt/help/index.html"_qs;
    QTest::newRow("no folder") << u"index"_qs << QString() << QString();
    QTest::newRow("no slug") << QString() << u"/opt/help"_qs << QString();
    QTest::newRow("parent") << u".."_qs << u"/opt/help"_qs << QString();
    QTest::newRow("outside") << u"../../etc/passwd"_qs << u"/opt/help"_qs << QString();
    QTest::newRow("absolute") << u"/etc/passwd"_qs << u"/opt/help"_qs << QString();
}

void HelpBookTest::url()
{
    QFETCH(QString, slug);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(HelpBook::url(slug, folder), expected.isEmpty() ? QUrl() : QUrl(expected));
}

void HelpBookTest::slug_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page") << QUrl(QStringLiteral("file:///opt/help/navigation.html")) << "navigation";
    QTest::newRow("fragment") << QUrl(QStringLiteral("file:///opt/help/navigation.html#history"))
                              << "navigation";
    QTest::newRow("dotted") << QUrl(QStringLiteral("file:///opt/help/a.b.html")) << "a.b";
    QTest::newRow("no extension") << QUrl(QStringLiteral("file:///opt/help/index")) << "index";
    QTest::newRow("empty") << QUrl() << "";
}

void HelpBookTest::slug()
{
    QFETCH(QUrl, url);
    QFETCH(QString, expected);
    QCOMPARE(HelpBook::slug(url), expected);
}

void HelpBookTest::staysInHelp_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<bool>("expected");

    QTest::newRow("local file") << QUrl(QStringLiteral("file:///opt/help/index.html")) << true;
    QTest::newRow("upper-case scheme") << QUrl(QStringLiteral("FILE:///opt/help/index.html")) << true;
    QTest::newRow("no url") << QUrl() << true;
    QTest::newRow("web") << QUrl(QStringLiteral("https://example.org/")) << false;
    QTest::newRow("data") << QUrl(QStringLiteral("data:text/html,hi")) << false;
}

void HelpBookTest::staysInHelp()
{
    QFETCH(QUrl, url);
    QFETCH(bool, expected);
    QCOMPARE(HelpBook::staysInHelp(url), expected);
}

QTEST_GUILESS_MAIN(HelpBookTest)
#include "tst_helpbook.moc"

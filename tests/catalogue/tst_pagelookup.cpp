// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "catalogue/pagelookup.h"

#include "cataloguetestfiles.h"

#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

namespace {

PageReference reference(const QString &text)
{
    return *parseReference(text);
}

} // namespace

class PageLookupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithTheScannedCatalogue();
    void leavesWhatNeedsTheCatalogueToTheScan();
};

// Every reference the lookup answers gets the page (file included) that the loaded model resolves it to.
void PageLookupTest::agreesWithTheScannedCatalogue()
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first");
    const QString second = dir.filePath("second/"); // a trailing slash, as a manual path may have
    for (const char *file : { "man1/ls.1.gz", "man8/ls.8", "man1/cat.1", "man1/cat.1.gz", "man3/printf.3",
             "man1/printf.1", "man1/git-log.1.gz", "man3/Foo::Bar.3pm.gz", "man1/.hidden.1", "man1/a.b.1",
             "man7/x.7", "mann/tclsh.n", "manx/odd.1" })
        touch(first + u'/' + QLatin1String(file));
    for (const char *file : { "man1/ls.1", "man5/only.5", "man1/dup.1", "man8/ls.8.gz", "man1/dup.1p" })
        touch(second + QLatin1String(file));
    touch(first + QStringLiteral("/manifest"));
    QVERIFY(QFile::link(dir.filePath("nowhere"), first + QStringLiteral("/man1/dangling.1")));
    const QStringList roots { dir.filePath("absent"), first, second };

    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    AppModel model(&settings, { [roots] { return roots; }, [] { return QStringList(); } });
    QEventLoop loop;
    connect(&model, &AppModel::helpPagesLoaded, &loop, &QEventLoop::quit);
    model.loadIndexIfNeeded();
    loop.exec();

    const QStringList answered { "ls", "ls(1)", "ls(8)", "cat", "cat(1)", "printf", "printf(3)", "git-log",
        "Foo::Bar(3pm)", ".hidden", "a.b", "x(7)", "tclsh(n)", "odd", "dup", "dup(1)", "dup(1p)", "only(5)",
        "dangling" };
    for (const QString &text : answered) {
        const PageReference asked = reference(text);
        const std::optional<ManPage> direct = PageLookup::findDirectly(roots, asked);
        const std::optional<ManPage> scanned = model.resolvePage(asked.name, asked.section);
        QVERIFY2(direct && scanned, qPrintable(text));
        QCOMPARE(direct->id(), scanned->id());
        QCOMPARE(direct->path(), scanned->path());
        QCOMPARE(direct->lowercasedName, scanned->lowercasedName);
        QCOMPARE(direct->displayName, direct->name);
    }
    // Of two files of one identifier in one folder, the one the folder lists first.
    QVERIFY(PageLookup::findDirectly(roots, reference("cat"))->path().startsWith(first + "/man1/cat.1"));
}

void PageLookupTest::leavesWhatNeedsTheCatalogueToTheScan()
{
    QTemporaryDir dir;
    const QString root = dir.filePath("man");
    for (const char *file : { "man8/only8.8", "man1/ls.1", "man3/caf\xc3\xa9.3" })
        touch(root + u'/' + QString::fromUtf8(file));
    const QStringList roots { root };
    // No section-1 page, a section only the catalogue can match (by case or by prefix), help pages, names
    // outside ASCII, names that cannot be file names, and pages that do not exist.
    for (const QString &text : { QStringLiteral("only8"), QStringLiteral("ls(1P)"), QStringLiteral("ls(l)"),
             QStringLiteral("ls(help)"), QStringLiteral("caf\u00e9(3)"), QStringLiteral("a/ls(1)"),
             QStringLiteral("ls(1.gz)"), QStringLiteral("ls(x)"), QStringLiteral("missing") })
        QVERIFY2(!PageLookup::findDirectly(roots, reference(text)), qPrintable(text));
}

QTEST_GUILESS_MAIN(PageLookupTest)
#include "tst_pagelookup.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "catalogue/manindex.h"
#include "catalogue/pagedescriptionloader.h"
#include "catalogue/pagedescriptions.h"

#include "cataloguetestfiles.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

namespace {

// Pages in the shapes installed ones have: man(7) with "\-" and font escapes, mdoc with .Nd, several names
// to one page, a page that only includes another, one without a NAME section, and a compressed one.
void writeManualTree(const QString &man)
{
    writeFile(man + "/man1/lsx.1",
        ".TH LSX 1\n.SH NAME\nlsx \\- list \\fBdirectory\\fR contents\n.SH DESCRIPTION\nLists.\n");
    writeFile(man + "/man1/grip.1",
        ".Dd January 1, 2024\n.Dt GRIP 1\n.Os\n.Sh NAME\n.Nm grip ,\n.Nm ungrip\n"
        ".Nd hold or release files\n.Sh DESCRIPTION\nHolds.\n");
    writeFile(man + "/man1/ungrip.1", ".so man1/grip.1\n");
    writeFile(man + "/man3/printx.3",
        ".TH PRINTX 3\n.SH NAME\nfprintx, printx \\- formatted output conversion\n.SH "
        "DESCRIPTION\nPrints.\n");
    writeFile(man + "/man7/bare.7", ".TH BARE 7\n.SH DESCRIPTION\nNo name section here.\n");
    writeFile(man + "/man5/packed.5", ".TH PACKED 5\n.SH NAME\npacked \\- a compressed page\n");
    QProcess::execute(QStringLiteral("gzip"), { QStringLiteral("-n"), man + "/man5/packed.5" });
}

const QHash<QString, QString> kTreeDescriptions {
    { "1/lsx", "list directory contents" },
    { "1/grip", "hold or release files" },
    { "1/ungrip", "hold or release files" },
    { "3/printx", "formatted output conversion" },
    { "5/packed", "a compressed page" },
};

} // namespace

class PageDescriptionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void apropos_readsBothFormsAndSkipsWhatIsNoEntry();
    void lexgrog_takesThePagesOwnNameElseItsFirst();
    void gather_readsNameSectionsOnceAndAgainWhenAFileChanges();
    void appModel_describesEachScanInTheBackground();
};

void PageDescriptionsTest::apropos_readsBothFormsAndSkipsWhatIsNoEntry()
{
    const QByteArray output = "ls (1)               - list directory contents\n"
                              "printf (3)           - formatted output conversion\n"
                              "List::Util (3pm)     - a selection of general-utility list subroutines\n"
                              "gzip, gunzip, zcat(1) - compress\tor expand files\n"
                              "x509 (1ssl) - Certificate display and signing command\n"
                              "ls (1)               - a second line for the same page loses\n"
                              "broken line without a section - here\n"
                              "nodash (1) nothing after it\n"
                              "\n"
                              "\xff\xfe (1) - bytes that are not UTF-8\n";
    const PageDescriptions descriptions = DescriptionSources::fromApropos(output);
    QCOMPARE(descriptions.of("1/ls"), QStringLiteral("list directory contents"));
    QCOMPARE(descriptions.of("3/printf"), QStringLiteral("formatted output conversion"));
    QCOMPARE(
        descriptions.of("3pm/List::Util"), QStringLiteral("a selection of general-utility list subroutines"));
    for (const char *name : { "1/gzip", "1/gunzip", "1/zcat" })
        QCOMPARE(descriptions.of(name), QStringLiteral("compress or expand files"));
    QCOMPARE(descriptions.of("1ssl/x509"), QStringLiteral("Certificate display and signing command"));
    QCOMPARE(descriptions.size(), 8);
    QVERIFY(DescriptionSources::fromApropos(".: nothing appropriate.\n").isEmpty());
    QCOMPARE(describedName("ls(1)", "list directory contents"),
        QString::fromUtf8("ls(1) — list directory contents"));
    QCOMPARE(describedName("ls(1)", QString()), QStringLiteral("ls(1)"));
}

void PageDescriptionsTest::lexgrog_takesThePagesOwnNameElseItsFirst()
{
    const ManPage zcat { "zcat", "1", PageLocation("/m/man1/zcat.1.gz") };
    const ManPage odd { "odd", "1", PageLocation("/m/a: \"b/odd.1") };
    const ManPage alias { "alias", "8", PageLocation("/m/man8/alias.8") };
    const QByteArray output = "/m/man1/zcat.1.gz: \"gzip - compress or expand files\"\n"
                              "/m/man1/zcat.1.gz: \"zcat - compress or expand files\"\n"
                              "/m/a: \"b/odd.1: \"odd - a path with the separator in it\"\n"
                              "/m/man8/alias.8: \"first - the first name's text\"\n"
                              "/m/man8/alias.8: \"second - the second name's text\"\n"
                              "/m/man9/stranger.9: \"stranger - not asked for\"\n"
                              "/m/man1/missing.1: parse failed\n";
    const PageDescriptions descriptions = DescriptionSources::fromLexgrog(output, { zcat, odd, alias });
    QCOMPARE(descriptions.of("1/zcat"), QStringLiteral("compress or expand files"));
    QCOMPARE(descriptions.of("1/odd"), QStringLiteral("a path with the separator in it"));
    QCOMPARE(descriptions.of("8/alias"), QStringLiteral("the first name's text"));
    QCOMPARE(descriptions.size(), 3);
}

void PageDescriptionsTest::gather_readsNameSectionsOnceAndAgainWhenAFileChanges()
{
    QTemporaryDir dir;
    const QString man = dir.filePath("man");
    writeManualTree(man);
    const QList<ManPage> pages = ManIndex::scan({ man }).pages();
    QCOMPARE(pages.size(), 6);
    const QString cache = dir.filePath("cache/descriptions");
    DescriptionTools tools;
    tools.apropos = dir.filePath("no-apropos"); // nothing indexed: every page is read

    const PageDescriptions first = PageDescriptionLoader::gather(pages, { man }, cache, tools);
    QCOMPARE(first.byID(), kTreeDescriptions);

    // Remembered: without a reader, the same descriptions still arrive.
    tools.lexgrog = dir.filePath("no-lexgrog");
    QCOMPARE(PageDescriptionLoader::gather(pages, { man }, cache, tools).byID(), kTreeDescriptions);

    // A page that changes is read again, here by nobody: it has no description until a reader answers.
    QFile changed(man + "/man1/lsx.1");
    QVERIFY(changed.open(QIODevice::ReadWrite));
    QVERIFY(changed.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    changed.close();
    QVERIFY(!PageDescriptionLoader::gather(pages, { man }, cache, tools).contains("1/lsx"));
    tools.lexgrog = DescriptionTools().lexgrog;
    QCOMPARE(PageDescriptionLoader::gather(pages, { man }, cache, tools).of("1/lsx"),
        QStringLiteral("list directory contents"));

    // A damaged cache is read as no cache.
    writeFile(cache, "lectorin-descriptions 1\nno tabs\n/x\tnot-a-number\tz\n\xff\n");
    QCOMPARE(PageDescriptionLoader::gather(pages, { man }, cache, tools).byID(), kTreeDescriptions);
}

void PageDescriptionsTest::appModel_describesEachScanInTheBackground()
{
    QTemporaryDir dir;
    const QString man = dir.filePath("man");
    writeManualTree(man);
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    AppModel::Discovery discovery { [man] { return QStringList { man }; }, [] { return QStringList(); } };
    AppModel app(&settings, std::move(discovery));
    QSignalSpy described(&app, &AppModel::descriptionsChanged);
    app.loadIndexIfNeeded();
    QVERIFY(described.wait(30000));
    QCOMPARE(app.descriptions().of("1/grip"), QStringLiteral("hold or release files"));
    QCOMPARE(app.descriptions().of("5/packed"), QStringLiteral("a compressed page"));

    // A page added and a re-scan: its description follows.
    writeFile(man + "/man8/later.8", ".TH LATER 8\n.SH NAME\nlater \\- installed after the first scan\n");
    app.refreshIndex();
    QVERIFY(described.wait(30000));
    QCOMPARE(app.descriptions().of("8/later"), QStringLiteral("installed after the first scan"));
    QThreadPool::globalInstance()->waitForDone();
}

QTEST_GUILESS_MAIN(PageDescriptionsTest)
#include "tst_pagedescriptions.moc"

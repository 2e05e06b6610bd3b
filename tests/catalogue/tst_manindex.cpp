// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/filenames.h"
#include "catalogue/manindex.h"

#include "cataloguetestfiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

class ManIndexTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pageFileName_data();
    void pageFileName();
    void scan_readsManSubdirectoriesOfEveryRoot();
    void scan_displayNamesAndPreferredSections();
    void scan_firstRootWinsAndLaterCopyDoesNotCount();
    void scan_nonAsciiNamesInCollatorOrder();
    void scan_unreadableOrMissingRootsGiveEmptyCatalogue();
    void scanCommands_takesFirstExecutableOfEachName();
    void fileNames_keepEveryByteAndReadUtf8AsUtf8();
};

void ManIndexTest::pageFileName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("name"); // empty: no page
    QTest::addColumn<QString>("section");
    const auto row
        = [](const char *tag, const QString &fileName, const char *name = "", const QString &section = {}) {
              QTest::newRow(tag) << fileName << QString::fromUtf8(name) << section;
          };
    row("gzip", "ls.1.gz", "ls", "1");
    row("bzip2 is no page", "ls.1.bz2");
    row("last dot", "perl5.30.1", "perl5.30", "1");
    row("n", "Tcl.n", "Tcl", "n");
    row("capital N", "Tcl.N");
    row("free rest", "SSL_new.3ssl", "SSL_new", "3ssl");
    row("no dot", "README");
    row("dot first", ".DS_Store");
    row("empty section", "foo.");
    row("only gz", "foo.gz");
    row("upper GZ kept", "foo.1.GZ");
    row("arabic-indic digit", "foo.\u0663", "foo", "\u0663");
    row("double colon", "File::Spec.3pm.gz", "File::Spec", "3pm");
}

void ManIndexTest::pageFileName()
{
    QFETCH(QString, fileName);
    QFETCH(QString, name);
    QFETCH(QString, section);
    const auto parsed = ManIndex::parsePageFileName(fileName);
    if (name.isEmpty()) {
        QVERIFY2(!parsed, qPrintable(parsed ? parsed->name : QString()));
        return;
    }
    QVERIFY(parsed);
    QCOMPARE(parsed->name, name);
    QCOMPARE(parsed->section, section);
}

void ManIndexTest::scan_readsManSubdirectoriesOfEveryRoot()
{
    QTemporaryDir root;
    const QString a = root.filePath("a"), b = root.filePath("b");
    touch(a + "/man1/ls.1.gz");
    touch(a + "/man1/README");
    touch(a + "/man3p/File::Spec.3pm");
    touch(a + "/cat1/cached.1"); // formatted pages are not read
    touch(a + "/man.conf"); // named like a subdirectory, but a file
    touch(a + "/man1/nested/deep.1"); // only one level below the root
    touch(a + "/ls.1"); // directly in the root
    QDir().mkpath(a + "/man8/odd.8"); // a directory named like a page is taken
    touch(b + "/mann/Tcl.n");
    touch(b + "/man1/.hidden.1");
    touch(b + QString::fromUtf8("/man1/Grüß.1x.gz"));

    const Catalogue catalogue = ManIndex::scan({ a, root.filePath("missing"), b + "/" });
    QCOMPARE(idsOf(catalogue.pages()),
        QStringList(
            { "1/.hidden", "3pm/File::Spec", QString::fromUtf8("1x/Grüß"), "1/ls", "8/odd", "n/Tcl" }));
    // Paths are put together from shared parts; they must still name the very file.
    QCOMPARE(catalogue.page(u"1/ls")->path(), a + "/man1/ls.1.gz");
    QCOMPARE(catalogue.page(u"n/Tcl")->path(), b + "/mann/Tcl.n");
    QCOMPARE(catalogue.page(u"3pm/File::Spec")->path(), a + "/man3p/File::Spec.3pm");
    const ManPage *nonAscii = catalogue.page(QString::fromUtf8("1x/Grüß"));
    QVERIFY(nonAscii);
    QCOMPARE(nonAscii->path(), b + QString::fromUtf8("/man1/Grüß.1x.gz"));
    QVERIFY(QFile::exists(nonAscii->path()));
    ManPage byWholePath = *catalogue.page(u"1/ls");
    byWholePath.location = byWholePath.path();
    QCOMPARE(byWholePath, *catalogue.page(u"1/ls"));
    QCOMPARE(qHash(byWholePath), qHash(*catalogue.page(u"1/ls")));
    QCOMPARE(catalogue.page(u"3pm/File::Spec")->lowercasedName, QStringLiteral("file::spec"));
    QCOMPARE(catalogue.nameCount(), 6);
}

void ManIndexTest::scan_displayNamesAndPreferredSections()
{
    QTemporaryDir root;
    const QString r = root.path();
    for (const char *file : { "man1/printf.1", "man3/printf.3", "man3/Foo.3", "man3/Foo.3pm", "mann/tk.n",
             "man1/tk.1", "manl/pl.l", "man9/pl.9", "man1/uniq.1", "man1/Printf.1" })
        touch(r + "/" + file);
    const Catalogue catalogue = ManIndex::scan({ r });

    QCOMPARE(catalogue.page(u"1/printf")->displayName, QStringLiteral("printf(1)"));
    QCOMPARE(catalogue.page(u"3/printf")->displayName, QStringLiteral("printf(3)"));
    QCOMPARE(catalogue.page(u"1/Printf")->displayName, QStringLiteral("Printf")); // names are case-sensitive
    QCOMPARE(catalogue.page(u"1/uniq")->displayName, QStringLiteral("uniq"));
    QCOMPARE(idsOf(catalogue.pagesNamed(u"printf")), QStringList({ "1/printf", "3/printf" }));
    QCOMPARE(idsOf(catalogue.pagesNamed(u"Foo")), QStringList({ "3/Foo", "3pm/Foo" }));
    QCOMPARE(idsOf(catalogue.pagesNamed(u"tk")), QStringList({ "1/tk", "n/tk" }));
    QCOMPARE(idsOf(catalogue.pagesNamed(u"pl")), QStringList({ "9/pl", "l/pl" }));
    QCOMPARE(catalogue.preferredPage(u"pl")->id(), QStringLiteral("9/pl"));
    QCOMPARE(catalogue.pageWithSectionPrefix(u"Foo", u"3p")->id(), QStringLiteral("3pm/Foo"));
    QVERIFY(!catalogue.page(u"2/printf"));
    QVERIFY(!catalogue.page(u"printf"));

    // Every listed page is found under its identifier and among the pages of its name, as the same record.
    qsizetype grouped = 0;
    for (const ManPage &page : catalogue.pages()) {
        QCOMPARE(*catalogue.page(page.id()), page);
        QVERIFY(catalogue.pagesNamed(page.name).contains(page));
        if (catalogue.preferredPage(page.name) == catalogue.page(page.id()))
            grouped += catalogue.pagesNamed(page.name).size();
    }
    QCOMPARE(grouped, catalogue.pages().size());
}

void ManIndexTest::scan_firstRootWinsAndLaterCopyDoesNotCount()
{
    QTemporaryDir root;
    const QString first = root.filePath("first"), second = root.filePath("second");
    touch(first + "/man1/tool.1");
    touch(second + "/man1/tool.1.gz");
    touch(first + "/man1/both.1");
    touch(first + "/man1/both.1.gz"); // one directory, two files of one identifier
    const Catalogue catalogue = ManIndex::scan({ first, second });
    QCOMPARE(idsOf(catalogue.pages()), QStringList({ "1/both", "1/tool" }));
    QCOMPARE(catalogue.page(u"1/tool")->path(), first + "/man1/tool.1");
    QCOMPARE(catalogue.page(u"1/tool")->displayName, QStringLiteral("tool"));
    QVERIFY(catalogue.page(u"1/both")->path().startsWith(first + "/man1/both.1"));

    // Every identifier twice, for trees of many sizes: the copies fall on either side of wherever the sorted
    // records are split between the threads, and the first root's copy must win each time.
    for (int count = 1; count <= 12; ++count) {
        QTemporaryDir tree;
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("p%1").arg(i, 2, 10, QChar(u'0'));
            touch(tree.filePath("first/man1/" + name + ".1"));
            touch(tree.filePath("second/man1/" + name + ".1.gz"));
            expected.append("1/" + name);
        }
        for (int run = 0; run < 5; ++run) {
            const Catalogue twice = ManIndex::scan({ tree.filePath("first"), tree.filePath("second") });
            QCOMPARE(idsOf(twice.pages()), expected);
            for (const ManPage &page : twice.pages())
                QVERIFY2(page.path().startsWith(tree.filePath("first/")), qPrintable(page.path()));
        }
    }
}

// Names outside printable ASCII take the collator's path.
void ManIndexTest::scan_nonAsciiNamesInCollatorOrder()
{
    QTemporaryDir root;
    for (const char *file : { "man1/\xc3\xa9tat.1", "man1/Etat.1", "man3/zu\xcc\x88ge.3", "man1/tab\tname.1",
             "man1/zsh.1", "man8/etat.8" })
        touch(root.filePath(QString::fromUtf8(file)));
    // Case ties go by section; an accent sorts after the plain letter.
    QCOMPARE(idsOf(ManIndex::scan({ root.path() }).pages()),
        QStringList({ "1/Etat", "8/etat", QString::fromUtf8("1/\xc3\xa9tat"), "1/tab\tname", "1/zsh",
            QString::fromUtf8("3/zu\xcc\x88ge") }));
}

void ManIndexTest::scan_unreadableOrMissingRootsGiveEmptyCatalogue()
{
    QTemporaryDir root;
    touch(root.filePath("locked/man1/ls.1"));
    QFile::setPermissions(root.filePath("locked"), {});
    const bool permissionsApply = geteuid() != 0; // root reads through any permission
    const Catalogue catalogue = ManIndex::scan({ root.filePath("nowhere"), root.filePath("locked") });
    if (permissionsApply)
        QVERIFY(catalogue.pages().isEmpty());
    QFile::setPermissions(root.filePath("locked"), kExecutable);

    touch(root.filePath("plainfile"));
    QCOMPARE(ManIndex::scan({ root.filePath("plainfile") }), Catalogue());
    QCOMPARE(ManIndex::scan({}), Catalogue());
    QCOMPARE(ManIndex::scan({ root.filePath("nowhere") }), Catalogue());
}

void ManIndexTest::scanCommands_takesFirstExecutableOfEachName()
{
    QTemporaryDir root;
    const QString a = root.filePath("a"), b = root.filePath("b");
    writeFile(a + "/tool", "#!/bin/sh\n", kPlain); // not executable: does not hide the later one
    writeFile(b + "/tool", "#!/bin/sh\n", kExecutable);
    touch(a + "/ls", kExecutable); // has a manual page
    touch(a + "/LS", kExecutable); // differs only in case: a help page
    touch(a + "/.hidden", kExecutable);
    touch(a + "/brew", kExecutable);
    touch(b + "/brew", kExecutable);
    QDir().mkpath(a + "/adir");
    QFile::link(b + "/tool", a + "/linked"); // links are followed
    QFile::link(a + "/nowhere", a + "/dangling");
    QFile::link(a + "/adir", a + "/dirlink");

    const QList<ManPage> pages = ManIndex::scanCommands({ a, b, a, root.filePath("missing") }, { "ls" });
    QCOMPARE(idsOf(pages), QStringList({ "help/brew", "help/linked", "help/LS", "help/tool" }));
    const ManPage &tool = pages.at(3);
    QCOMPARE(tool, (ManPage { "tool", "help", QString(b + "/tool"), "tool", "tool" }));
    QCOMPARE(pages.at(0).path(), a + "/brew");
    QCOMPARE(pages.at(2).lowercasedName, QStringLiteral("ls"));
}

void ManIndexTest::fileNames_keepEveryByteAndReadUtf8AsUtf8()
{
    for (const QByteArray &bytes : { QByteArray("caf\xc3\xa9.1"), QByteArray("caf\xe9.1"),
             QByteArray("\xc0\xaf"), QByteArray("\xed\xa0\x80"), QByteArray("\xf4\x90\x80\x80"),
             QByteArray("\xe2\x82"), QByteArray("\xf0\x9f\x98\x80\xff"), QByteArray() }) {
        const QString decoded = FileNames::decode(bytes);
        QCOMPARE(FileNames::encode(decoded), bytes);
        QCOMPARE(FileNames::isUtf8(bytes), decoded == QString::fromUtf8(bytes));
    }
    QCOMPARE(FileNames::decode("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
    // Every byte string of a few bytes, drawn at random.
    QRandomGenerator random(7);
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes(1 + random.bounded(6), Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        QCOMPARE(FileNames::encode(FileNames::decode(bytes)), bytes);
    }
}

QTEST_GUILESS_MAIN(ManIndexTest)
#include "tst_manindex.moc"

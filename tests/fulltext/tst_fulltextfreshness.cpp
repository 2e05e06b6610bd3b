// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindexer.h"
#include "fulltext/fulltextsearch.h"

#include "fulltextfixtures.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Lectorin;
using namespace Lectorin::FullTextFixtures;

namespace {

// Folder times move forward by whole minutes, so a change is never hidden inside one clock tick.
void ageFolder(const QString &path, int minutes)
{
    struct stat status
    { };
    QVERIFY(::stat(QFile::encodeName(path).constData(), &status) == 0);
    const timespec later { status.st_mtim.tv_sec + minutes * 60, 0 };
    const timespec times[2] = { later, later };
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
}

ManPage pageAt(const QString &name, const QString &section, const QString &path)
{
    return { name, section, path, name, lowercasedPageName(name) };
}

QStringList cli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(LECTORIN_CLI), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return { QStringLiteral("failed: ") + QString::fromUtf8(process.readAllStandardError()) };
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class FullTextFreshnessTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void folderTimes_tellWhetherTheIndexIsCurrent();
    void otherNamesOfOneFile_areOneResult_andStarIsAPrefix();
    void cliSearch_noUpdateSearchesTheIndexAsItStands();
};

void FullTextFreshnessTest::folderTimes_tellWhetherTheIndexIsCurrent()
{
    ManualTree tree;
    tree.add("alpha", "1", "first tool", "Prints zebra words.");
    tree.add("beta", "8", "second tool", "Prints walrus words.");
    const FullTextIndexer::Options options { tree.indexPath() };
    QVERIFY(!FullTextIndexer::isCurrent(tree.indexPath(), {})); // no index yet
    QCOMPARE(FullTextIndexer::updateBlocking(tree.pages(), options, {}).indexed, 2);
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), {}));

    // A package replaces a page: a new file renamed over the old one changes its folder.
    const QString replacement = tree.root() + "/man1/.alpha.new";
    QVERIFY(writeFile(replacement, mdocPage("alpha", "1", "first tool", "Prints quokka words.")));
    QFile::remove(tree.pathOf("alpha", "1"));
    QVERIFY(QFile::rename(replacement, tree.pathOf("alpha", "1")));
    ageFolder(tree.root() + "/man1", 1);
    QVERIFY(!FullTextIndexer::isCurrent(tree.indexPath(), {}));
    FullTextIndexer::Summary summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary.updated, 1);
    QCOMPARE(summary.unchanged, 1);
    QCOMPARE(FullTextSearch::searchBlocking(tree.indexPath(), "quokka").size(), 1);
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), {}));

    // An editor or `cp` rewrites a page in place: its folder keeps its time. The shell's search takes the
    // index as current, but a pass compares each file and finds the new words.
    {
        QFile page(tree.pathOf("alpha", "1"));
        QVERIFY(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
        page.write(mdocPage("alpha", "1", "first tool", "Prints capybara words at length."));
    }
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), {}));
    summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary.updated, 1);
    QCOMPARE(FullTextSearch::searchBlocking(tree.indexPath(), "capybara").size(), 1);
    QCOMPARE(FullTextSearch::searchBlocking(tree.indexPath(), "quokka").size(), 0);

    // A new section folder changes its root.
    tree.add("gamma", "5", "third file", "Holds narwhal words.");
    ageFolder(tree.root(), 2);
    QVERIFY(!FullTextIndexer::isCurrent(tree.indexPath(), {}));
    summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary.indexed, 1);
    QCOMPARE(summary.unchanged, 2);
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), {}));

    // A pass over another language's pages is no answer for this one, and back.
    FullTextIndexer::Options german = options;
    german.languages = { "de_DE.UTF-8" };
    FullTextIndexer::updateBlocking(tree.pages(), german, {});
    QVERIFY(!FullTextIndexer::isCurrent(tree.indexPath(), {}));
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), { "de_DE.UTF-8" }));
    FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), {}));

    // A folder that went away is a change too.
    QVERIFY(QDir(tree.root() + "/man8").removeRecursively());
    QVERIFY(!FullTextIndexer::isCurrent(tree.indexPath(), {}));
    QVERIFY(!FullTextIndexer::isCurrent(tree.root() + "/missing.sqlite", {}));
}

void FullTextFreshnessTest::otherNamesOfOneFile_areOneResult_andStarIsAPrefix()
{
    ManualTree tree;
    tree.add("alpha", "1", "first tool", "Prints zebra words.");
    tree.add("omega", "1", "last tool", "Prints zebu words.");
    QList<ManPage> pages = tree.pages();
    // As packages install other names of a page: a link to its file, and a stub that includes it.
    const QString link = tree.root() + "/man1/alias.1";
    QVERIFY(QFile::link(tree.pathOf("alpha", "1"), link));
    pages.append(pageAt("alias", "1", link));
    const QString stub = tree.root() + "/man1/stub.1";
    QVERIFY(writeFile(stub, ".so man1/alpha.1\n"));
    pages.append(pageAt("stub", "1", stub));
    QCOMPARE(FullTextIndexer::updateBlocking(pages, { tree.indexPath() }, {}).indexed, 4);

    const QList<FullTextHit> hits = FullTextSearch::searchBlocking(tree.indexPath(), "zebra");
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits.first().id, QStringLiteral("1/alpha")); // the real file names the row
    QStringList aliases = hits.first().aliasIDs;
    aliases.sort();
    QCOMPARE(aliases, (QStringList { "1/alias", "1/stub" }));

    // Many names of one page still leave room for the other results.
    for (int i = 0; i < 12; ++i) {
        const QString other = tree.root() + QStringLiteral("/man1/other%1.1").arg(i);
        QVERIFY(QFile::link(tree.pathOf("alpha", "1"), other));
        pages.append(pageAt(QStringLiteral("other%1").arg(i), "1", other));
    }
    QCOMPARE(FullTextIndexer::updateBlocking(pages, { tree.indexPath() }, {}).indexed, 12);
    const QList<FullTextHit> limited = FullTextSearch::searchBlocking(tree.indexPath(), "words", 2);
    QCOMPARE(limited.size(), 2);
    QStringList ids { limited.first().id, limited.last().id };
    ids.sort();
    QCOMPARE(ids, (QStringList { "1/alpha", "1/omega" }));

    // Two different pages stay two results, whatever their names share.
    QCOMPARE(FullTextSearch::searchBlocking(tree.indexPath(), "zeb*").size(), 2);
    QCOMPARE(FullTextSearch::searchBlocking(tree.indexPath(), "zeb").size(), 0);
    QCOMPARE(FullTextSearch::searchBlocking(tree.indexPath(), "zebr* words").size(), 1);
}

void FullTextFreshnessTest::cliSearch_noUpdateSearchesTheIndexAsItStands()
{
    ManualTree tree;
    tree.add("alpha", "1", "first tool", "Prints zebra words.");
    const QStringList paths { "--manpath", tree.root(), "--path", tree.root() + "/bin", "--infopath",
        tree.root() + "/info", "--index", tree.indexPath() };
    QCOMPARE(cli(QStringList { "search", "zebra" } + paths).size(), 1);

    // Given the folders it was made from, unchanged, the index is searched as it stands: a page rewritten in
    // place, which leaves its folder alone, still answers with its old words.
    tree.add("alpha", "1", "first tool", "Prints yak words.");
    QCOMPARE(cli(QStringList { "search", "zebra" } + paths).size(), 1);

    // A page added later is found only once the index is updated.
    tree.add("beta", "1", "second tool", "Prints zebra too.");
    ageFolder(tree.root() + "/man1", 1);
    const QStringList standing { "search", "zebra", "--no-update", "--index", tree.indexPath() };
    QCOMPARE(cli(standing).size(), 1);
    QCOMPARE(cli(QStringList { "search", "zebra" } + paths).size(), 1); // alpha's new words count now
    QCOMPARE(cli(QStringList { "search", "yak" } + paths).size(), 1);
    QCOMPARE(cli(standing).size(), 1);

    // Other folders than the index read: it is made again from them.
    ManualTree other;
    other.add("gamma", "1", "third tool", "Prints zebra as well.");
    const QStringList elsewhere { "search", "zebra", "--manpath", other.root(), "--infopath",
        other.root() + "/info", "--index", tree.indexPath() };
    QCOMPARE(cli(elsewhere).value(0).section(u'\t', 0, 0), QStringLiteral("1/gamma"));
    QCOMPARE(cli(elsewhere).size(), 1);

    const QStringList missing
        = cli({ "search", "zebra", "--no-update", "--index", tree.root() + "/none.sqlite" });
    QVERIFY2(missing.first().startsWith("failed: ") && missing.first().contains("lectorin-cli index"),
        qPrintable(missing.join(u'\n')));
}

QTEST_GUILESS_MAIN(FullTextFreshnessTest)
#include "tst_fulltextfreshness.moc"

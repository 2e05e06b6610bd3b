// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextindexer.h"
#include "fulltext/fulltextsearch.h"
#include "fulltext/pagetext.h"

#include "fulltextfixtures.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace Lectorin;
using namespace Lectorin::FullTextFixtures;
using Summary = FullTextIndexer::Summary;

namespace {

constexpr int kTimeout = 60000;

qsizetype rowCount(const QString &indexPath)
{
    const auto index = FullTextIndex::openForReading(indexPath);
    return index ? index->pageCount() : -1;
}

// Three pages with a word of their own each, and a help page that must never be indexed.
void addPages(ManualTree &tree)
{
    tree.add("alpha", "1", "first letter tool", "The utility prints zebra words.");
    tree.add("beta", "1", "second letter tool", "The utility prints walrus words.");
    tree.add("gamma", "8", "third letter daemon", "The daemon prints narwhal words.");
}

} // namespace

class FullTextIndexerTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pageText_isPlainWithNameLine();
    void firstIndex_indexesManualPagesOnly();
    void reindex_rendersOnlyNewAndChangedFiles();
    void removedPage_rowIsDropped();
    void damagedIndex_isRebuiltAndRefilled();
    void cancelledRun_keepsWhatItWrote_laterRunResumes();
    void missingFormatter_storesNothing();
    void boundlessPage_isIndexedEmptyOnceUntilItChanges();
    void destroyedIndexer_stopsAndKeepsRows();
    void updateDuringRun_runsAgainWithNewPages();
    void heldUpdates_waitAndOnlyTheLatestRunsOnRelease();
    void watchedModel_indexesAfterLoadAndRescan();
    void translationSetting_reindexesTheCopiesShown();

private:
    QString loggingFormatter(ManualTree &tree) const
    {
        return tree.script("logmandoc", "echo \"$3\" >> \"$0.log\"\nexec /usr/bin/mandoc \"$@\"\n");
    }
    QStringList renderedPaths(const QString &formatter) const
    {
        const QString log = QString::fromUtf8(readFile(formatter + ".log"));
        QFile::remove(formatter + ".log");
        return log.split(u'\n', Qt::SkipEmptyParts);
    }
};

void FullTextIndexerTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(QFileInfo(QStringLiteral("/usr/bin/mandoc")).isExecutable());
}

void FullTextIndexerTest::pageText_isPlainWithNameLine()
{
    ManualTree tree;
    const ManPage page
        = tree.add("alpha", "1", "first letter tool", "Some\n.Sy bold\nand\n.Em underlined\ntext.");
    const std::optional<QString> text = PageText::renderBlocking(page, "/usr/bin/mandoc");
    QVERIFY(text);
    QVERIFY(!text->contains(u'\b'));
    QVERIFY2(text->contains("Some bold and underlined text."), qPrintable(*text));
    QCOMPARE(PageText::nameLine(*text), QString::fromUtf8("alpha \xe2\x80\x93 first letter tool"));
    QCOMPARE(PageText::nameLine("NO HEADING\n  text\n"), QString());
    QVERIFY(!PageText::renderBlocking(page, tree.root() + "/no-such-formatter"));
}

void FullTextIndexerTest::firstIndex_indexesManualPagesOnly()
{
    ManualTree tree;
    addPages(tree);
    const QString tool = tree.script("tool", "echo zebra help text\n");
    const ManPage help { "tool", kHelpSection.toString(), tool, "tool", "tool" };
    QList<ManPage> pages = tree.pages();
    pages.append(help);

    const Summary summary = FullTextIndexer::updateBlocking(pages, { tree.indexPath() }, {});
    QCOMPARE(summary.indexed, 3);
    QCOMPARE(summary.updated + summary.removed + summary.unchanged, 0);
    QVERIFY(summary.available && !summary.cancelled);
    QCOMPARE(rowCount(tree.indexPath()), 3);
    QCOMPARE(idsFound(tree.indexPath(), "zebra"), QStringList { "1/alpha" });
    QCOMPARE(idsFound(tree.indexPath(), "daemon narwhal"), QStringList { "8/gamma" });
    QCOMPARE(idsFound(tree.indexPath(), "\"prints walrus\""), QStringList { "1/beta" });
}

void FullTextIndexerTest::reindex_rendersOnlyNewAndChangedFiles()
{
    ManualTree tree;
    addPages(tree);
    const FullTextIndexer::Options options { tree.indexPath(), loggingFormatter(tree) };
    FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(renderedPaths(options.formatter).size(), 3);

    Summary summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary, (Summary { 0, 0, 0, 3, summary.milliseconds }));
    QCOMPARE(renderedPaths(options.formatter), QStringList());

    const QString betaPath = tree.pathOf("beta", "1");
    QVERIFY(writeFile(betaPath, mdocPage("beta", "1", "second letter tool", "Now it prints quokka words.")));
    QFile beta(betaPath);
    QVERIFY(beta.open(QIODevice::ReadWrite));
    QVERIFY(beta.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    beta.close();
    const ManPage delta = tree.add("delta", "1", "fourth letter tool", "Prints okapi words.");

    summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary.indexed, 1);
    QCOMPARE(summary.updated, 1);
    QCOMPARE(summary.unchanged, 2);
    QStringList rendered = renderedPaths(options.formatter);
    rendered.sort();
    QCOMPARE(rendered, (QStringList { betaPath, delta.path() }));
    QCOMPARE(idsFound(tree.indexPath(), "quokka"), QStringList { "1/beta" });
    QVERIFY(idsFound(tree.indexPath(), "walrus").isEmpty());
    QCOMPARE(idsFound(tree.indexPath(), "okapi"), QStringList { "1/delta" });
}

void FullTextIndexerTest::removedPage_rowIsDropped()
{
    ManualTree tree;
    addPages(tree);
    FullTextIndexer::updateBlocking(tree.pages(), { tree.indexPath() }, {});

    tree.forget("gamma");
    QVERIFY(QFile::remove(tree.pathOf("alpha", "1"))); // still listed, but its file is gone
    const Summary summary = FullTextIndexer::updateBlocking(tree.pages(), { tree.indexPath() }, {});
    QCOMPARE(summary.removed, 2);
    QCOMPARE(rowCount(tree.indexPath()), 1);
    QVERIFY(idsFound(tree.indexPath(), "narwhal").isEmpty());
    QVERIFY(idsFound(tree.indexPath(), "zebra").isEmpty());
    QCOMPARE(idsFound(tree.indexPath(), "walrus"), QStringList { "1/beta" });
}

void FullTextIndexerTest::damagedIndex_isRebuiltAndRefilled()
{
    ManualTree tree;
    addPages(tree);
    FullTextIndexer::updateBlocking(tree.pages(), { tree.indexPath() }, {});
    QByteArray damaged = readFile(tree.indexPath());
    QVERIFY(damaged.size() > 4096);
    damaged.replace(0, 100, QByteArray(100, 'x'));
    QVERIFY(writeFile(tree.indexPath(), damaged));
    QFile::remove(tree.indexPath() + "-wal");

    const Summary summary = FullTextIndexer::updateBlocking(tree.pages(), { tree.indexPath() }, {});
    QCOMPARE(summary.indexed, 3);
    QCOMPARE(idsFound(tree.indexPath(), "zebra"), QStringList { "1/alpha" });
}

void FullTextIndexerTest::cancelledRun_keepsWhatItWrote_laterRunResumes()
{
    ManualTree tree;
    addPages(tree);
    tree.add("delta", "1", "fourth", "okapi");
    const FullTextIndexer::Options options { tree.indexPath(), "/usr/bin/mandoc", 1 };
    qsizetype lastDone = 0;
    const FullTextIndexer::Reporter stopAfterTwo {
        [&] { return lastDone >= 2; },
        [&](qsizetype done, qsizetype) { lastDone = done; },
        {},
    };
    Summary summary = FullTextIndexer::updateBlocking(tree.pages(), options, stopAfterTwo);
    QVERIFY(summary.cancelled);
    QCOMPARE(summary.indexed, 2);
    QCOMPARE(rowCount(tree.indexPath()), 2);

    summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QVERIFY(!summary.cancelled);
    QCOMPARE(summary.indexed, 2);
    QCOMPARE(summary.unchanged, 2);
    QCOMPARE(rowCount(tree.indexPath()), 4);
}

// An equation that defines a name through itself makes mandoc grow without end; the ceilings stop it, and the
// page is not formatted again while its file stays as it is.
void FullTextIndexerTest::boundlessPage_isIndexedEmptyOnceUntilItChanges()
{
    ManualTree tree;
    addPages(tree);
    tree.add("grows", "1", "without end",
        ".EQ\ndefine inner \"content\"\ndefine outer \"inner outer\"\nouter\n.EN");
    FullTextIndexer::Options options { tree.indexPath(), loggingFormatter(tree) };
    options.formatterLimits = { qint64(256) << 20, 10 }; // smaller than the default, so the test ends sooner
    Summary summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary.indexed, 4);
    QCOMPARE(renderedPaths(options.formatter).size(), 4);
    QCOMPARE(idsFound(tree.indexPath(), "zebra"), QStringList { "1/alpha" });
    QVERIFY(idsFound(tree.indexPath(), "content").isEmpty());

    summary = FullTextIndexer::updateBlocking(tree.pages(), options, {});
    QCOMPARE(summary.unchanged, 4);
    QCOMPARE(renderedPaths(options.formatter), QStringList());
}

void FullTextIndexerTest::missingFormatter_storesNothing()
{
    ManualTree tree;
    addPages(tree);
    Summary summary
        = FullTextIndexer::updateBlocking(tree.pages(), { tree.indexPath(), tree.root() + "/none" }, {});
    QVERIFY(!summary.available);
    QCOMPARE(rowCount(tree.indexPath()), 0);
    summary = FullTextIndexer::updateBlocking(tree.pages(), { tree.indexPath() }, {});
    QCOMPARE(summary.indexed, 3);
}

void FullTextIndexerTest::destroyedIndexer_stopsAndKeepsRows()
{
    ManualTree tree;
    for (int i = 0; i < 8; ++i)
        tree.add(QStringLiteral("page%1").arg(i), "1", "a page", "ordinary words");
    const QString slow = tree.script("slowmandoc", "sleep 0.2\nexec /usr/bin/mandoc \"$@\"\n");
    auto indexer = std::make_unique<FullTextIndexer>(FullTextIndexer::Options { tree.indexPath(), slow, 1 });
    QSignalSpy committed(indexer.get(), &FullTextIndexer::committed);
    indexer->update(tree.pages());
    QVERIFY(indexer->isIndexing());
    QTRY_VERIFY_WITH_TIMEOUT(committed.size() >= 2, kTimeout);
    indexer.reset();

    const qsizetype kept = rowCount(tree.indexPath());
    QVERIFY2(kept >= 2 && kept < 8, qPrintable(QString::number(kept)));

    FullTextIndexer resumed({ tree.indexPath() });
    QSignalSpy finished(&resumed, &FullTextIndexer::finished);
    QSignalSpy progress(&resumed, &FullTextIndexer::progress);
    resumed.update(tree.pages());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kTimeout);
    const auto summary = finished.first().first().value<Summary>();
    QCOMPARE(summary.indexed, 8 - kept);
    QCOMPARE(summary.unchanged, kept);
    QCOMPARE(progress.last(), (QList<QVariant> { qsizetype(8), qsizetype(8) }));
    QCOMPARE(resumed.doneCount(), 8);
    QVERIFY(!resumed.isIndexing());
}

void FullTextIndexerTest::updateDuringRun_runsAgainWithNewPages()
{
    ManualTree tree;
    addPages(tree);
    const QString slow = tree.script("slowmandoc", "sleep 0.1\nexec /usr/bin/mandoc \"$@\"\n");
    FullTextIndexer indexer({ tree.indexPath(), slow, 1 });
    QSignalSpy finished(&indexer, &FullTextIndexer::finished);
    indexer.update(tree.pages());
    tree.add("delta", "1", "fourth", "okapi");
    indexer.update(tree.pages());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kTimeout);
    QVERIFY(!finished.first().first().value<Summary>().cancelled);
    QCOMPARE(rowCount(tree.indexPath()), 4);
    QCOMPARE(idsFound(tree.indexPath(), "okapi"), QStringList { "1/delta" });
}

void FullTextIndexerTest::heldUpdates_waitAndOnlyTheLatestRunsOnRelease()
{
    ManualTree tree;
    addPages(tree);
    FullTextIndexer indexer({ tree.indexPath() });
    QSignalSpy finished(&indexer, &FullTextIndexer::finished);
    indexer.setHeld(true);
    indexer.update(tree.pages().mid(0, 1));
    tree.add("delta", "1", "fourth", "okapi");
    indexer.update(tree.pages());
    QVERIFY(!indexer.isIndexing());
    indexer.setHeld(false);
    QVERIFY(indexer.isIndexing());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kTimeout);
    QCOMPARE(rowCount(tree.indexPath()), 4);
    QCOMPARE(idsFound(tree.indexPath(), "okapi"), QStringList { "1/delta" });
    QVERIFY(!indexer.isIndexing());
}

void FullTextIndexerTest::watchedModel_indexesAfterLoadAndRescan()
{
    ManualTree tree;
    addPages(tree);
    const auto loaded = tree.makeModel();
    AppModel &model = *loaded;
    FullTextIndexer indexer({ tree.indexPath() });
    QSignalSpy finished(&indexer, &FullTextIndexer::finished);
    indexer.watch(&model);
    model.loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kTimeout);
    QCOMPARE(finished.last().first().value<Summary>().indexed, 3);
    QCOMPARE(idsFound(tree.indexPath(), "zebra"), QStringList { "1/alpha" });

    QVERIFY(QFile::remove(tree.pathOf("alpha", "1")));
    model.refreshIndex();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, kTimeout);
    QCOMPARE(finished.last().first().value<Summary>().removed, 1);
    QVERIFY(idsFound(tree.indexPath(), "zebra").isEmpty());
}

// The index holds the copy of each page the catalogue shows, and follows the setting when it changes.
void FullTextIndexerTest::translationSetting_reindexesTheCopiesShown()
{
    ManualTree tree;
    addPages(tree);
    QVERIFY(writeFile(tree.root() + "/de/man1/alpha.1",
        mdocPage("alpha", "1", "erster Buchstabe", "Das Werkzeug druckt Zebrastreifen.")));
    const auto loaded = tree.makeModel(QStringList { "de" });
    AppModel &model = *loaded;
    FullTextIndexer indexer({ tree.indexPath() });
    QSignalSpy finished(&indexer, &FullTextIndexer::finished);
    indexer.watch(&model);
    model.loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kTimeout);
    QCOMPARE(idsFound(tree.indexPath(), "Zebrastreifen"), QStringList { "1/alpha" });
    QVERIFY(idsFound(tree.indexPath(), "zebra").isEmpty());
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), { "de" }));

    model.setShowsTranslatedPages(false);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, kTimeout);
    QCOMPARE(finished.last().first().value<Summary>().updated, 1);
    QCOMPARE(idsFound(tree.indexPath(), "zebra"), QStringList { "1/alpha" });
    QVERIFY(idsFound(tree.indexPath(), "Zebrastreifen").isEmpty());
    QCOMPARE(rowCount(tree.indexPath()), 3);
    QVERIFY(FullTextIndexer::isCurrent(tree.indexPath(), {}));
    QVERIFY(!FullTextIndexer::isCurrent(tree.indexPath(), { "de" }));
}

QTEST_GUILESS_MAIN(FullTextIndexerTest)
#include "tst_fulltextindexer.moc"

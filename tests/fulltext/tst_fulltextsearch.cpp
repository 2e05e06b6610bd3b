// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "fulltext/foundinpages.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextsearch.h"

#include "fulltextfixtures.h"

#include <QStandardPaths>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::FullTextFixtures;

namespace {

constexpr int kTimeout = 30000;

void putRow(const QString &indexPath, const QString &id, const QString &text)
{
    auto index = FullTextIndex::openForWriting(indexPath);
    QVERIFY(index && index->beginBatch());
    QVERIFY(index->put({ id, { "/p/" + id, 1, 1 }, id, text }));
    QVERIFY(index->commitBatch());
}

} // namespace

class FullTextSearchTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void newerQuery_supersedesOlder();
    void filterWithoutWords_clearsAtOnce();
    void refresh_findsRowsWrittenSince();
    void foundInPages_rowsFromCatalogue();
    void foundInPages_presence_data();
    void foundInPages_presence();

private:
    QTemporaryDir m_directory;
};

void FullTextSearchTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_directory.isValid());
}

void FullTextSearchTest::newerQuery_supersedesOlder()
{
    const QString path = m_directory.filePath("supersede.sqlite");
    putRow(path, "1/fox", "fox words");
    putRow(path, "1/cat", "cat words");
    FullTextSearch search(path);
    QStringList answered;
    connect(&search, &FullTextSearch::resultsChanged, this, [&] { answered.append(search.query()); });
    for (const char *filter : { "fox", "fo", "words", "cat" })
        search.setQuery(filter);
    QTRY_COMPARE_WITH_TIMEOUT(search.query(), QStringLiteral("cat"), kTimeout);
    QCOMPARE(idsOf(search.results()), QStringList { "1/cat" });
    // One search runs at a time, in order: a stale answer would come before the answer to a later query.
    search.setQuery("words");
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 2, kTimeout);
    QCOMPARE(answered, QStringList({ "cat", "words" }));
}

void FullTextSearchTest::filterWithoutWords_clearsAtOnce()
{
    const QString path = m_directory.filePath("clear.sqlite");
    putRow(path, "1/fox", "fox words");
    FullTextSearch search(path);
    search.setQuery("fox");
    QTRY_COMPARE_WITH_TIMEOUT(search.results().size(), 1, kTimeout);
    search.setQuery("  \"*");
    QVERIFY(search.results().isEmpty());
    QCOMPARE(search.query(), QStringLiteral("  \"*"));
}

void FullTextSearchTest::refresh_findsRowsWrittenSince()
{
    const QString path = m_directory.filePath("refresh.sqlite");
    putRow(path, "1/one", "shared word");
    FullTextSearch search(path);
    search.setQuery("shared");
    QTRY_COMPARE_WITH_TIMEOUT(search.results().size(), 1, kTimeout);
    putRow(path, "1/two", "shared word again");
    search.refresh();
    QTRY_COMPARE_WITH_TIMEOUT(search.results().size(), 2, kTimeout);
}

void FullTextSearchTest::foundInPages_rowsFromCatalogue()
{
    ManualTree tree;
    tree.add("printf", "1", "format", "x");
    tree.add("printf", "3", "format", "x");
    const auto loaded = tree.makeModel();
    AppModel &model = *loaded;
    model.loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(model.indexState(), AppModel::IndexState::ready, kTimeout);

    const QList<FullTextHit> hits { FullTextHit::fromMarkedSnippet("3/printf",
                                        u"the \x02"
                                        "format\x03 <string>"),
        FullTextHit::fromMarkedSnippet("1/gone",
            u"\x02"
            "format\x03"),
        FullTextHit::fromMarkedSnippet("1/printf",
            u"\x02"
            "format\x03") };
    const FoundInPages::Section section
        = FoundInPages::section(model, "\"Format string\"", hits, FoundInPages::Progress { 3, 10 });
    QVERIFY(section.isPresent);
    QCOMPARE(section.indexingText, QStringLiteral("Indexing pages\u2026 3 of 10"));
    QCOMPARE(FoundInPages::section(model, "format", {}, FoundInPages::Progress { 0, 0 }).indexingText,
        QStringLiteral("Indexing pages\u2026"));
    QCOMPARE(section.rows.size(), 2);
    QCOMPARE(section.rows.at(0),
        (FoundInPages::Row { "3/printf", "printf(3)", "the <b>format</b> &lt;string&gt;", "format" }));
    QCOMPARE(section.rows.at(1).displayName, QStringLiteral("printf(1)"));
    QVERIFY(!section.hasMore);

    // Past the rows shown, a "Show All" row stands for the rest.
    const FoundInPages::Section firstOnly = FoundInPages::section(model, "format", hits, std::nullopt, 1);
    QCOMPARE(firstOnly.rows.size(), 1);
    QVERIFY(firstOnly.hasMore);
    QVERIFY(!FoundInPages::section(model, "format", hits, std::nullopt, 2).hasMore);
    // Other names of one file are listed with it.
    FullTextHit withAliases = hits.first();
    withAliases.aliasIDs = { "1/printf", "1/gone" };
    QCOMPARE(FoundInPages::section(model, "format", { withAliases }, std::nullopt).rows.first().displayName,
        QStringLiteral("printf(3), printf(1)"));
}

void FullTextSearchTest::foundInPages_presence_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("hasHit");
    QTest::addColumn<bool>("indexing");
    QTest::addColumn<bool>("present");
    QTest::newRow("no filter, even with hits and indexing") << "  " << true << true << false;
    QTest::newRow("hits") << "word" << true << false << true;
    QTest::newRow("no hits, idle") << "word" << false << false << false;
    QTest::newRow("no hits while indexing") << "word" << false << true << true;
}

void FullTextSearchTest::foundInPages_presence()
{
    QFETCH(QString, filter);
    QFETCH(bool, hasHit);
    QFETCH(bool, indexing);
    QFETCH(bool, present);
    ManualTree tree;
    tree.add("ls", "1", "list", "x");
    const auto loaded = tree.makeModel();
    AppModel &model = *loaded;
    model.loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(model.indexState(), AppModel::IndexState::ready, kTimeout);
    const QList<FullTextHit> hits
        = hasHit ? QList { FullTextHit { "1/ls", "word", {} } } : QList<FullTextHit>();
    const auto progress = indexing ? std::optional(FoundInPages::Progress { 1, 2 }) : std::nullopt;
    const FoundInPages::Section section = FoundInPages::section(model, filter, hits, progress);
    QCOMPARE(section.isPresent, present);
    QCOMPARE(section.indexing.has_value(), present && indexing);
}

QTEST_GUILESS_MAIN(FullTextSearchTest)
#include "tst_fulltextsearch.moc"

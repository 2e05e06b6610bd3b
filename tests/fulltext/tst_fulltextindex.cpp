// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextquery.h"
#include "fulltext/fulltextsearch.h"

#include "fulltextfixtures.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Lectorin;
using namespace Lectorin::FullTextFixtures;

namespace {

IndexedPage row(const QString &id, const QString &nameLine, const QString &text)
{
    return { id, { QStringLiteral("/man/") + id, text.size(), 1000 }, nameLine, text };
}

// Runs an expression straight through SQLite, so an FTS5 syntax error shows as an error and not as no result.
int matchResultCode(const QString &path, const QString &expression)
{
    sqlite3 *connection = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(
        connection, "SELECT count(*) FROM pagetext WHERE pagetext MATCH ?1", -1, &statement, nullptr);
    const QByteArray utf8 = expression.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    const int resultCode = sqlite3_step(statement);
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    return resultCode;
}

bool writeForeignDatabase(const QString &path, int applicationID, int version)
{
    sqlite3 *connection = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &connection) != SQLITE_OK)
        return false;
    const QByteArray sql = "CREATE TABLE pages (x); PRAGMA application_id = "
        + QByteArray::number(applicationID) + "; PRAGMA user_version = " + QByteArray::number(version) + ";";
    const bool written = sqlite3_exec(connection, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(connection);
    return written;
}

} // namespace

class FullTextIndexTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void created_thenOpened_keepsRows();
    void unusableFile_isRebuilt_data();
    void unusableFile_isRebuilt();
    void reader_neverTrustsOrTouchesForeignFile();
    void missingIndex_searchesEmpty();
    void put_replacesRow_remove_dropsIt();
    void wordsAreAnded_phraseIsPhrase();
    void nameLineMatch_ranksFirst();
    void snippet_emphasisesMatch();
    void limit_capsResults();
    void hostileFilters_neverError_data();
    void hostileFilters_neverError();

private:
    QTemporaryDir m_directory;
    QString path(const QString &name) const { return m_directory.filePath(name); }
    QString filledIndex(const QString &name);
};

void FullTextIndexTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_directory.isValid());
}

void FullTextIndexTest::created_thenOpened_keepsRows()
{
    const QString file = path("sub/folder/created.sqlite");
    {
        auto index = FullTextIndex::openForWriting(file);
        QVERIFY(index);
        QCOMPARE(index->opening(), FullTextIndex::Opening::created);
        QVERIFY(index->beginBatch());
        QVERIFY(index->put(row("1/ls", "ls - list", "list directory contents")));
        QVERIFY(index->commitBatch());
    }
    auto index = FullTextIndex::openForWriting(file);
    QVERIFY(index);
    QCOMPARE(index->opening(), FullTextIndex::Opening::opened);
    QCOMPARE(index->pageCount(), 1);
    QCOMPARE(index->stamps().value("1/ls"), row("1/ls", "", "list directory contents").stamp);
}

void FullTextIndexTest::unusableFile_isRebuilt_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("random bytes") << "random";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("sqlite file of another program") << "foreign";
    QTest::newRow("our id, other schema version") << "version";
    QTest::newRow("our marks, missing tables") << "tables";
    QTest::newRow("valid index cut short") << "truncated";
}

void FullTextIndexTest::unusableFile_isRebuilt()
{
    QFETCH(QString, kind);
    const QString file = path("unusable-" + kind + ".sqlite");
    if (kind == "random") {
        QByteArray bytes(64 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(11);
        for (char &byte : bytes)
            byte = char(generator.bounded(256));
        QVERIFY(writeFile(file, bytes));
    } else if (kind == "empty") {
        QVERIFY(writeFile(file, QByteArray()));
    } else if (kind == "foreign") {
        QVERIFY(writeForeignDatabase(file, 0x12345678, 1));
    } else if (kind == "version") {
        QVERIFY(writeForeignDatabase(file, FullTextIndex::kApplicationID, FullTextIndex::kSchemaVersion + 1));
    } else if (kind == "tables") {
        QVERIFY(writeForeignDatabase(file, FullTextIndex::kApplicationID, FullTextIndex::kSchemaVersion));
    } else {
        const QString good = filledIndex("source-" + kind + ".sqlite");
        QVERIFY(writeFile(file, readFile(good).left(2048)));
    }

    {
        auto index = FullTextIndex::openForWriting(file);
        QVERIFY(index);
        QCOMPARE(index->opening(), FullTextIndex::Opening::rebuilt);
        QCOMPARE(index->pageCount(), 0);
        QVERIFY(index->beginBatch());
        QVERIFY(index->put(row("1/cp", "cp - copy", "copy files")));
        QVERIFY(index->commitBatch());
    }
    QCOMPARE(idsFound(file, "copy"), QStringList { "1/cp" });
}

void FullTextIndexTest::reader_neverTrustsOrTouchesForeignFile()
{
    const QString file = path("foreign-reader.sqlite");
    QVERIFY(writeForeignDatabase(file, 0x12345678, 1));
    const QByteArray before = readFile(file);
    QVERIFY(!FullTextIndex::openForReading(file));
    QVERIFY(FullTextSearch::searchBlocking(file, "anything").isEmpty());
    QCOMPARE(readFile(file), before);
}

void FullTextIndexTest::missingIndex_searchesEmpty()
{
    QVERIFY(FullTextSearch::searchBlocking(path("absent.sqlite"), "copy").isEmpty());
    QVERIFY(!QFileInfo::exists(path("absent.sqlite")));
}

void FullTextIndexTest::put_replacesRow_remove_dropsIt()
{
    const QString file = path("replace.sqlite");
    auto index = FullTextIndex::openForWriting(file);
    QVERIFY(index);
    QVERIFY(index->beginBatch());
    QVERIFY(index->put(row("1/a", "a", "oldword")));
    QVERIFY(index->put(row("1/b", "b", "other")));
    QVERIFY(index->put(row("1/a", "a", "newword")));
    QVERIFY(index->commitBatch());
    QCOMPARE(index->pageCount(), 2);
    QVERIFY(FullTextSearch::searchBlocking(file, "oldword").isEmpty());
    QCOMPARE(idsFound(file, "newword"), QStringList { "1/a" });

    QVERIFY(index->beginBatch());
    QVERIFY(index->remove("1/a"));
    QVERIFY(index->remove("1/never-there"));
    QVERIFY(index->commitBatch());
    QCOMPARE(index->stamps().keys(), QStringList { "1/b" });
    QVERIFY(FullTextSearch::searchBlocking(file, "newword").isEmpty());
    QVERIFY(index->optimize());

    // Replaced and removed rows leave the full-text index in step with the stored text.
    sqlite3 *connection = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &connection), SQLITE_OK);
    QCOMPARE(sqlite3_exec(connection, "INSERT INTO pagetext (pagetext, rank) VALUES ('integrity-check', 1)",
                 nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(connection);
}

QString FullTextIndexTest::filledIndex(const QString &name)
{
    const QString file = path(name);
    auto index = FullTextIndex::openForWriting(file);
    if (!index || !index->beginBatch())
        return file;
    index->put(row("1/fox", "fox - quick brown animal", "the quick brown fox jumps over the lazy dog"));
    index->put(row("1/dog", "dog - lazy animal", "a lazy dog sleeps; quick and brown are other words"));
    index->put(row("1/cat", "cat - concatenate files", "cat reads files in sequence <and> writes them"));
    for (int i = 0; i < 30; ++i)
        index->put(
            row(QStringLiteral("3/filler%1").arg(i), "filler", QStringLiteral("filler %1 text").arg(i)));
    index->commitBatch();
    return file;
}

void FullTextIndexTest::wordsAreAnded_phraseIsPhrase()
{
    const QString file = filledIndex("phrases.sqlite");
    QCOMPARE(idsFound(file, "quick brown").size(), 2);
    QCOMPARE(idsFound(file, "quick sleeps"), QStringList { "1/dog" });
    QCOMPARE(idsFound(file, "\"quick brown fox\""), QStringList { "1/fox" });
    QVERIFY(FullTextSearch::searchBlocking(file, "\"brown quick\"").isEmpty());
    QVERIFY(FullTextSearch::searchBlocking(file, "quick zebra").isEmpty());
}

void FullTextIndexTest::nameLineMatch_ranksFirst()
{
    const QString file = path("ranking.sqlite");
    {
        auto index = FullTextIndex::openForWriting(file);
        QVERIFY(index && index->beginBatch());
        // Says "compress" often in its text, but not in its NAME line.
        QVERIFY(index->put(row("1/tar", "tar - archiver", QStringLiteral("compress ").repeated(40))));
        QVERIFY(
            index->put(row("1/gzip", "gzip - compress files", "reduces the size of files, once: compress")));
        QVERIFY(index->put(row("1/zip", "zip - package files", "can compress archives")));
        QVERIFY(index->commitBatch());
    }
    const QStringList ids = idsFound(file, "Compress");
    QCOMPARE(ids.size(), 3);
    QCOMPARE(ids.first(), QStringLiteral("1/gzip"));
}

void FullTextIndexTest::snippet_emphasisesMatch()
{
    const QString file = filledIndex("snippets.sqlite");
    const QList<FullTextHit> hits = FullTextSearch::searchBlocking(file, "sequence");
    QCOMPARE(hits.size(), 1);
    const FullTextHit &hit = hits.first();
    QVERIFY2(!hit.snippet.contains(u'\n'), qPrintable(hit.snippet));
    QCOMPARE(hit.emphasis.size(), 1);
    QCOMPARE(
        hit.snippet.mid(hit.emphasis.first().start, hit.emphasis.first().length), QStringLiteral("sequence"));
    QVERIFY2(hit.snippetHTML().contains("<b>sequence</b> &lt;and&gt;"), qPrintable(hit.snippetHTML()));
}

void FullTextIndexTest::limit_capsResults()
{
    const QString file = filledIndex("limit.sqlite");
    QCOMPARE(FullTextSearch::searchBlocking(file, "filler", 50).size(), 30);
    QCOMPARE(FullTextSearch::searchBlocking(file, "filler", 7).size(), 7);
    QVERIFY(FullTextSearch::searchBlocking(file, "filler", 0).isEmpty());
}

void FullTextIndexTest::hostileFilters_neverError_data()
{
    QTest::addColumn<QString>("filter");
    for (const char *filter : { "AND", "OR", "NOT", "NEAR(", "NEAR(fox dog, 2)", "\"", "\"\"\"", "*", "fox*",
             "-", "-fox", ":", "name:", "body : fox", "^", "^fox", "(", ")", "((fox", "fox)", "\"quick brown",
             "quick \"brown", "{name}:fox", "fox + dog", "'", "''", "\\", "%", "--", "fox AND", "OR OR OR",
             "\"\" AND \"\"", "a\"b\"c\"d" })
        QTest::newRow(filter) << QString::fromUtf8(filter);
    QTest::newRow("NUL inside") << QStringView(u"fox\u0000dog", 7).toString();
    QTest::newRow("only NUL") << QString(QChar(0));
    QTest::newRow("very long") << QStringLiteral("fox \"dog NEAR( ").repeated(5000);
    QTest::newRow("unpaired surrogate") << QString(QChar(0xd800)) + "fox";
}

void FullTextIndexTest::hostileFilters_neverError()
{
    QFETCH(QString, filter);
    const QString file = filledIndex("hostile.sqlite");
    if (const std::optional<QString> expression = FullTextQuery::expression(filter)) {
        QCOMPARE(matchResultCode(file, *expression), SQLITE_ROW);
        QCOMPARE(matchResultCode(file, *FullTextQuery::nameExpression(filter)), SQLITE_ROW);
    }
    FullTextSearch::searchBlocking(file, filter);
}

QTEST_GUILESS_MAIN(FullTextIndexTest)
#include "tst_fulltextindex.moc"

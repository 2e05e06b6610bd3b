// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindex.h"

#include "fulltext/sqlitestatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <optional>

namespace Lectorin {
namespace {

constexpr int kBusyTimeoutMilliseconds = 5000;

enum class Validity
{
    valid,
    invalid,
    busy
};

bool isBusy(int resultCode)
{
    const int primary = resultCode & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

std::optional<qint64> pragmaValue(sqlite3 *connection, const char *sql, int &resultCode)
{
    SqliteStatement statement(connection, sql);
    resultCode = statement.resultCode();
    if (!statement.isPrepared())
        return std::nullopt;
    resultCode = statement.step();
    return resultCode == SQLITE_ROW ? std::optional(statement.integer(0)) : std::nullopt;
}

// Trusts only our marks and the tables the queries need; anything SQLite cannot read is not ours either.
Validity validity(sqlite3 *connection)
{
    int resultCode = SQLITE_OK;
    const std::optional<qint64> applicationID = pragmaValue(connection, "PRAGMA application_id", resultCode);
    if (!applicationID)
        return isBusy(resultCode) ? Validity::busy : Validity::invalid;
    const std::optional<qint64> version = pragmaValue(connection, "PRAGMA user_version", resultCode);
    if (!version)
        return isBusy(resultCode) ? Validity::busy : Validity::invalid;
    if (*applicationID != FullTextIndex::kApplicationID || *version != FullTextIndex::kSchemaVersion)
        return Validity::invalid;
    for (const char *probe : { "SELECT id, path, size, modified FROM pages LIMIT 0",
             "SELECT name, body FROM texts LIMIT 0", "SELECT name, body FROM pagetext LIMIT 0" }) {
        SqliteStatement statement(connection, probe);
        if (!statement.isPrepared())
            return isBusy(statement.resultCode()) ? Validity::busy : Validity::invalid;
    }
    return Validity::valid;
}

sqlite3 *openConnection(const QString &path, int flags)
{
    sqlite3 *connection = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &connection, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(connection);
        return nullptr;
    }
    sqlite3_extended_result_codes(connection, 1);
    sqlite3_busy_timeout(connection, kBusyTimeoutMilliseconds);
    return connection;
}

bool executeAll(sqlite3 *connection, const char *sql)
{
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool createSchema(sqlite3 *connection)
{
    // WAL lets searches read while the indexer writes; a cache needs no sync on every commit.
    // Chosen before the first table: incremental vacuum gives back the pages a merge frees, and 2 KiB pages
    // halve the space the page texts' cells leave unused at the ends of 4 KiB ones (measured: 17 MB).
    if (!executeAll(connection,
            "PRAGMA page_size = 2048; PRAGMA auto_vacuum = INCREMENTAL; PRAGMA journal_mode = WAL;"
            " BEGIN IMMEDIATE"))
        return false;
    const QByteArray schema
        = QByteArrayLiteral(
              // The text is stored once, in `texts`; the full-text table only indexes it. The stamps stay
              // apart from the texts, so reading them all costs a few pages, not the whole file.
              "CREATE TABLE pages (rowid INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, path TEXT NOT NULL,"
              " size INTEGER NOT NULL, modified INTEGER NOT NULL);"
              "CREATE TABLE texts (rowid INTEGER PRIMARY KEY, name TEXT NOT NULL, body TEXT NOT NULL);"
              "CREATE VIRTUAL TABLE pagetext USING fts5(name, body, content = 'texts',"
              " content_rowid = 'rowid', tokenize = 'unicode61 remove_diacritics 2');"
              "INSERT INTO pagetext (pagetext, rank) VALUES ('rank', 'bm25(")
        + QByteArray::number(FullTextIndex::kNameWeight) + QByteArrayLiteral(", 1.0)');")
        + "PRAGMA application_id = " + QByteArray::number(FullTextIndex::kApplicationID) + ';'
        + "PRAGMA user_version = " + QByteArray::number(FullTextIndex::kSchemaVersion) + ';';
    if (!executeAll(connection, schema.constData())) {
        executeAll(connection, "ROLLBACK");
        return false;
    }
    return executeAll(connection, "COMMIT");
}

} // namespace

QString FullTextIndex::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
        + QStringLiteral("/fulltext.sqlite");
}

bool FullTextIndex::isFullTextAvailable()
{
    return sqlite3_compileoption_used("ENABLE_FTS5") == 1;
}

std::unique_ptr<FullTextIndex> FullTextIndex::openForWriting(const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return nullptr;
    Opening opening = Opening::created;
    if (QFileInfo::exists(path)) {
        sqlite3 *connection = openConnection(path, SQLITE_OPEN_READWRITE);
        const Validity found = connection ? validity(connection) : Validity::invalid;
        if (found == Validity::valid) {
            executeAll(connection, "PRAGMA synchronous = NORMAL");
            auto index = std::unique_ptr<FullTextIndex>(new FullTextIndex(connection, Opening::opened));
            return index->ensureFolderTable() ? std::move(index) : nullptr;
        }
        sqlite3_close(connection);
        // Another program holds the file: leave it alone rather than delete what may be a good index.
        if (found == Validity::busy || !removeFiles(path))
            return nullptr;
        opening = Opening::rebuilt;
    }
    sqlite3 *connection = openConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!connection)
        return nullptr;
    if (!createSchema(connection) || validity(connection) != Validity::valid) {
        sqlite3_close(connection);
        return nullptr;
    }
    executeAll(connection, "PRAGMA synchronous = NORMAL");
    auto index = std::unique_ptr<FullTextIndex>(new FullTextIndex(connection, opening));
    return index->ensureFolderTable() ? std::move(index) : nullptr;
}

std::unique_ptr<FullTextIndex> FullTextIndex::openForReading(const QString &path)
{
    if (!QFileInfo::exists(path))
        return nullptr;
    sqlite3 *connection = openConnection(path, SQLITE_OPEN_READWRITE);
    if (!connection)
        return nullptr;
    if (validity(connection) != Validity::valid) {
        sqlite3_close(connection);
        return nullptr;
    }
    return std::unique_ptr<FullTextIndex>(new FullTextIndex(connection, Opening::opened));
}

bool FullTextIndex::removeFiles(const QString &path)
{
    for (const char *suffix : { "-wal", "-shm", "-journal" })
        QFile::remove(path + QLatin1String(suffix));
    return !QFileInfo::exists(path) || QFile::remove(path);
}

// The writer's statements, prepared once per connection: preparing costs more than most steps.
struct FullTextIndex::Prepared
{
    explicit Prepared(sqlite3 *connection)
        : rowidOf(connection,
            "SELECT pages.rowid, texts.name, texts.body FROM pages JOIN texts ON texts.rowid = pages.rowid"
            " WHERE pages.id = ?1")
        , insertPage(connection, "INSERT INTO pages (id, path, size, modified) VALUES (?1, ?2, ?3, ?4)")
        , updatePage(connection, "UPDATE pages SET path = ?1, size = ?2, modified = ?3 WHERE rowid = ?4")
        , deletePage(connection, "DELETE FROM pages WHERE rowid = ?1")
        , insertStoredText(connection, "INSERT INTO texts (rowid, name, body) VALUES (?1, ?2, ?3)")
        , updateStoredText(connection, "UPDATE texts SET name = ?1, body = ?2 WHERE rowid = ?3")
        , deleteStoredText(connection, "DELETE FROM texts WHERE rowid = ?1")
        , insertText(connection, "INSERT INTO pagetext (rowid, name, body) VALUES (?1, ?2, ?3)")
        , deleteText(
              connection, "INSERT INTO pagetext (pagetext, rowid, name, body) VALUES ('delete', ?1, ?2, ?3)")
    { }

    SqliteStatement rowidOf;
    SqliteStatement insertPage;
    SqliteStatement updatePage;
    SqliteStatement deletePage;
    SqliteStatement insertStoredText;
    SqliteStatement updateStoredText;
    SqliteStatement deleteStoredText;
    SqliteStatement insertText;
    SqliteStatement deleteText;
};

FullTextIndex::FullTextIndex(sqlite3 *connection, Opening opening)
    : m_connection(connection)
    , m_opening(opening)
{ }

FullTextIndex::~FullTextIndex()
{
    m_prepared.reset();
    sqlite3_close(m_connection);
}

FullTextIndex::Prepared &FullTextIndex::prepared()
{
    if (!m_prepared)
        m_prepared = std::make_unique<Prepared>(m_connection);
    return *m_prepared;
}

bool FullTextIndex::check(int resultCode)
{
    const int primary = resultCode & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        m_damaged = true;
    return primary == SQLITE_OK || primary == SQLITE_ROW || primary == SQLITE_DONE;
}

bool FullTextIndex::execute(const char *sql)
{
    return check(sqlite3_exec(m_connection, sql, nullptr, nullptr, nullptr));
}

QHash<QString, PageStamp> FullTextIndex::stamps()
{
    QHash<QString, PageStamp> result;
    SqliteStatement statement(m_connection, "SELECT id, path, size, modified FROM pages");
    while (statement.step() == SQLITE_ROW)
        result.insert(statement.text(0), { statement.text(1), statement.integer(2), statement.integer(3) });
    check(statement.resultCode());
    return result;
}

qsizetype FullTextIndex::pageCount()
{
    SqliteStatement statement(m_connection, "SELECT count(*) FROM pages");
    return check(statement.step()) && statement.resultCode() == SQLITE_ROW ? statement.integer(0) : 0;
}

bool FullTextIndex::beginBatch()
{
    return execute("BEGIN IMMEDIATE");
}

bool FullTextIndex::commitBatch()
{
    if (execute("COMMIT"))
        return true;
    execute("ROLLBACK");
    return false;
}

bool FullTextIndex::optimize()
{
    // The merge rewrites the whole index through the write-ahead log, which would otherwise keep that size.
    return execute("INSERT INTO pagetext (pagetext) VALUES ('optimize')")
        && execute("PRAGMA incremental_vacuum") && execute("PRAGMA wal_checkpoint(TRUNCATE)");
}

// External content: the full-text table forgets a row only when told what the row held.
bool FullTextIndex::forgetText(qint64 rowid, const QByteArray &name, const QByteArray &body)
{
    SqliteStatement &deleteText = prepared().deleteText;
    deleteText.bind(1, rowid);
    deleteText.bindStatic(2, name);
    deleteText.bindStatic(3, body);
    return check(deleteText.runOnce());
}

std::optional<FullTextIndex::StoredRow> FullTextIndex::storedRow(const QString &id)
{
    SqliteStatement &rowidOf = prepared().rowidOf;
    const QByteArray utf8 = id.toUtf8();
    rowidOf.bindStatic(1, utf8);
    const int resultCode = rowidOf.step();
    std::optional<StoredRow> row;
    if (resultCode == SQLITE_ROW)
        row = StoredRow { rowidOf.integer(0), rowidOf.bytes(1), rowidOf.bytes(2) };
    check(resultCode);
    rowidOf.reset();
    return row;
}

bool FullTextIndex::put(const IndexedPage &page)
{
    Prepared &statements = prepared();
    const QByteArray path = page.stamp.path.toUtf8();
    const QByteArray name = page.nameLine.toUtf8();
    const QByteArray body = page.text.toUtf8();
    std::optional<StoredRow> stored = storedRow(page.id);
    if (m_damaged)
        return false;
    qint64 rowid = 0;
    if (stored) {
        rowid = stored->rowid;
        if (!forgetText(rowid, stored->name, stored->body))
            return false;
        SqliteStatement &update = statements.updatePage;
        update.bindStatic(1, path);
        update.bind(2, page.stamp.size);
        update.bind(3, page.stamp.modified);
        update.bind(4, rowid);
        SqliteStatement &updateText = statements.updateStoredText;
        updateText.bindStatic(1, name);
        updateText.bindStatic(2, body);
        updateText.bind(3, rowid);
        if (!check(update.runOnce()) || !check(updateText.runOnce()))
            return false;
    } else {
        const QByteArray id = page.id.toUtf8();
        SqliteStatement &insert = statements.insertPage;
        insert.bindStatic(1, id);
        insert.bindStatic(2, path);
        insert.bind(3, page.stamp.size);
        insert.bind(4, page.stamp.modified);
        if (!check(insert.runOnce()))
            return false;
        rowid = sqlite3_last_insert_rowid(m_connection);
        SqliteStatement &insertStored = statements.insertStoredText;
        insertStored.bind(1, rowid);
        insertStored.bindStatic(2, name);
        insertStored.bindStatic(3, body);
        if (!check(insertStored.runOnce()))
            return false;
    }
    SqliteStatement &insertText = statements.insertText;
    insertText.bind(1, rowid);
    insertText.bindStatic(2, name);
    insertText.bindStatic(3, body);
    return check(insertText.runOnce());
}

bool FullTextIndex::remove(const QString &id)
{
    const std::optional<StoredRow> stored = storedRow(id);
    if (!stored)
        return !m_damaged;
    if (!forgetText(stored->rowid, stored->name, stored->body))
        return false;
    SqliteStatement &deletePage = prepared().deletePage;
    deletePage.bind(1, stored->rowid);
    SqliteStatement &deleteStored = prepared().deleteStoredText;
    deleteStored.bind(1, stored->rowid);
    return check(deletePage.runOnce()) && check(deleteStored.runOnce());
}

} // namespace Lectorin

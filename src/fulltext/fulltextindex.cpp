// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <optional>

namespace Lectorin {
namespace {

constexpr int kBusyTimeoutMilliseconds = 5000;
constexpr int kSnippetTokens = 12;

// A prepared statement that finalizes itself; binding and reading in the program's own types.
class Statement
{
public:
    Statement(sqlite3 *connection, const char *sql)
    {
        m_resultCode = sqlite3_prepare_v2(connection, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isPrepared() const { return m_statement != nullptr; }
    int resultCode() const { return m_resultCode; }

    void bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }

    // SQLITE_ROW, SQLITE_DONE or the error.
    int step()
    {
        if (m_statement)
            m_resultCode = sqlite3_step(m_statement);
        return m_resultCode;
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        m_resultCode = SQLITE_OK;
    }
    bool run() { return step() == SQLITE_DONE; }

    QString text(int column) const
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_resultCode = SQLITE_OK;
};

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
    Statement statement(connection, sql);
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
    for (const char *probe :
        { "SELECT id, path, size, modified FROM pages LIMIT 0", "SELECT name, body FROM pagetext LIMIT 0" }) {
        Statement statement(connection, probe);
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
    if (!executeAll(connection, "PRAGMA journal_mode = WAL; BEGIN IMMEDIATE"))
        return false;
    const QByteArray schema
        = QByteArrayLiteral(
              "CREATE TABLE pages (rowid INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, path TEXT NOT NULL,"
              " size INTEGER NOT NULL, modified INTEGER NOT NULL);"
              "CREATE VIRTUAL TABLE pagetext USING fts5(name, body, tokenize = 'unicode61 remove_diacritics "
              "2');"
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
            return std::unique_ptr<FullTextIndex>(new FullTextIndex(connection, Opening::opened));
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
    return std::unique_ptr<FullTextIndex>(new FullTextIndex(connection, opening));
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

FullTextIndex::FullTextIndex(sqlite3 *connection, Opening opening)
    : m_connection(connection)
    , m_opening(opening)
{ }

FullTextIndex::~FullTextIndex()
{
    sqlite3_close(m_connection);
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
    Statement statement(m_connection, "SELECT id, path, size, modified FROM pages");
    while (statement.step() == SQLITE_ROW)
        result.insert(statement.text(0), { statement.text(1), statement.integer(2), statement.integer(3) });
    check(statement.resultCode());
    return result;
}

qsizetype FullTextIndex::pageCount()
{
    Statement statement(m_connection, "SELECT count(*) FROM pages");
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

std::optional<qint64> FullTextIndex::rowidOf(const QString &id)
{
    Statement statement(m_connection, "SELECT rowid FROM pages WHERE id = ?1");
    statement.bind(1, id);
    const int resultCode = statement.step();
    check(resultCode);
    return resultCode == SQLITE_ROW ? std::optional(statement.integer(0)) : std::nullopt;
}

bool FullTextIndex::put(const IndexedPage &page)
{
    std::optional<qint64> rowid = rowidOf(page.id);
    if (rowid) {
        Statement deleteText(m_connection, "DELETE FROM pagetext WHERE rowid = ?1");
        deleteText.bind(1, *rowid);
        Statement update(
            m_connection, "UPDATE pages SET path = ?1, size = ?2, modified = ?3 WHERE rowid = ?4");
        update.bind(1, page.stamp.path);
        update.bind(2, page.stamp.size);
        update.bind(3, page.stamp.modified);
        update.bind(4, *rowid);
        if (!check(deleteText.step()) || !check(update.step()))
            return false;
    } else {
        Statement insert(
            m_connection, "INSERT INTO pages (id, path, size, modified) VALUES (?1, ?2, ?3, ?4)");
        insert.bind(1, page.id);
        insert.bind(2, page.stamp.path);
        insert.bind(3, page.stamp.size);
        insert.bind(4, page.stamp.modified);
        if (!check(insert.step()))
            return false;
        rowid = sqlite3_last_insert_rowid(m_connection);
    }
    Statement insertText(m_connection, "INSERT INTO pagetext (rowid, name, body) VALUES (?1, ?2, ?3)");
    insertText.bind(1, *rowid);
    insertText.bind(2, page.nameLine);
    insertText.bind(3, page.text);
    return check(insertText.step());
}

bool FullTextIndex::remove(const QString &id)
{
    const std::optional<qint64> rowid = rowidOf(id);
    if (!rowid)
        return !m_damaged;
    Statement deleteText(m_connection, "DELETE FROM pagetext WHERE rowid = ?1");
    deleteText.bind(1, *rowid);
    Statement deletePage(m_connection, "DELETE FROM pages WHERE rowid = ?1");
    deletePage.bind(1, *rowid);
    return check(deleteText.step()) && check(deletePage.step());
}

QList<qint64> FullTextIndex::rankedRows(const QString &expression, int limit)
{
    QList<qint64> rows;
    Statement statement(
        m_connection, "SELECT rowid FROM pagetext WHERE pagetext MATCH ?1 ORDER BY rank LIMIT ?2");
    statement.bind(1, expression);
    statement.bind(2, qint64(limit));
    while (statement.step() == SQLITE_ROW)
        rows.append(statement.integer(0));
    check(statement.resultCode());
    return rows;
}

QString FullTextIndex::markedSnippet(const QString &expression, qint64 rowid)
{
    static const QByteArray sql = "SELECT snippet(pagetext, -1, char(2), char(3), '\u2026', "
        + QByteArray::number(kSnippetTokens) + ") FROM pagetext WHERE pagetext MATCH ?1 AND rowid = ?2";
    Statement statement(m_connection, sql.constData());
    statement.bind(1, expression);
    statement.bind(2, rowid);
    return check(statement.step()) && statement.resultCode() == SQLITE_ROW ? statement.text(0) : QString();
}

QList<FullTextHit> FullTextIndex::search(const QString &expression, const QString &nameExpression, int limit)
{
    QList<qint64> rows = rankedRows(nameExpression, limit);
    if (rows.size() < limit) {
        for (const qint64 row : rankedRows(expression, limit)) {
            if (rows.size() >= limit)
                break;
            if (!rows.contains(row))
                rows.append(row);
        }
    }
    QList<FullTextHit> hits;
    Statement identifier(m_connection, "SELECT id FROM pages WHERE rowid = ?1");
    for (const qint64 row : std::as_const(rows)) {
        identifier.bind(1, row);
        if (identifier.step() == SQLITE_ROW)
            hits.append(FullTextHit::fromMarkedSnippet(identifier.text(0), markedSnippet(expression, row)));
        check(identifier.resultCode());
        identifier.reset();
    }
    return hits;
}

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindex.h"

#include "fulltext/sqlitestatement.h"

#include <sqlite3.h>

namespace Lectorin {

// Added beside the schema rather than in it: an index made before it keeps its pages and gains the table.
bool FullTextIndex::ensureFolderTable()
{
    return execute("CREATE TABLE IF NOT EXISTS folders (path TEXT PRIMARY KEY, modified INTEGER NOT NULL)"
                   " WITHOUT ROWID")
        && execute(
            "CREATE TABLE IF NOT EXISTS passes (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID");
}

QString FullTextIndex::pageLanguages()
{
    // As with the folders: a table not there yet, or no row, is a pass without translations.
    SqliteStatement statement(m_connection, "SELECT value FROM passes WHERE key = 'languages'");
    if (!statement.isPrepared() || statement.step() != SQLITE_ROW)
        return QString();
    return statement.text(0);
}

QHash<QString, qint64> FullTextIndex::folderStamps()
{
    QHash<QString, qint64> result;
    // A reader may open an index whose writer has not added the table yet: that is no stamps, not damage.
    SqliteStatement statement(m_connection, "SELECT path, modified FROM folders");
    if (!statement.isPrepared())
        return result;
    while (statement.step() == SQLITE_ROW)
        result.insert(statement.text(0), statement.integer(1));
    check(statement.resultCode());
    return result;
}

bool FullTextIndex::replaceFolderStamps(const QHash<QString, qint64> &stamps, const QString &languages)
{
    if (!beginBatch())
        return false;
    bool written = execute("DELETE FROM folders");
    SqliteStatement recordLanguages(
        m_connection, "INSERT OR REPLACE INTO passes (key, value) VALUES ('languages', ?1)");
    recordLanguages.bind(1, languages);
    written = written && check(recordLanguages.runOnce());
    SqliteStatement insert(m_connection, "INSERT INTO folders (path, modified) VALUES (?1, ?2)");
    for (auto stamp = stamps.cbegin(); written && stamp != stamps.cend(); ++stamp) {
        insert.bind(1, stamp.key());
        insert.bind(2, stamp.value());
        written = check(insert.runOnce());
    }
    if (!written) {
        execute("ROLLBACK");
        return false;
    }
    return commitBatch();
}

} // namespace Lectorin

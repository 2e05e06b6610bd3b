// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fulltext/fulltexthit.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

struct sqlite3;

namespace Lectorin {

// What a page's row was made from; a page is rendered again when any of it changes.
struct PageStamp
{
    QString path;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch

    bool operator==(const PageStamp &) const = default;
};

// One row of the index.
struct IndexedPage
{
    QString id;
    PageStamp stamp;
    QString nameLine;
    QString text;

    bool operator==(const IndexedPage &) const = default;
};

// The full-text store: one SQLite FTS5 file with a row per catalogue page. A connection belongs to the thread
// that uses it; readers and the one writer may work on the same file at once.
class FullTextIndex
{
public:
    // The file's marks; a file without both is not ours.
    static constexpr int kApplicationID = 0x4c435446;
    static constexpr int kSchemaVersion = 3;
    // The NAME line counts this many times the body in the ranking.
    static constexpr double kNameWeight = 10.0;

    enum class Opening
    {
        opened, // a valid index was found
        created, // there was no file
        rebuilt, // a damaged or foreign file was deleted and replaced
    };

    // The user's cache folder + "/fulltext.sqlite".
    static QString defaultPath();
    // Whether this SQLite was built with FTS5.
    static bool isFullTextAvailable();

    // For the indexer: the index at `path`, created when missing; a file that is not a valid index is deleted
    // first. Null when no index can be made there (unwritable folder, file locked by another program).
    static std::unique_ptr<FullTextIndex> openForWriting(const QString &path);
    // For searches: the index at `path` only if it is valid; never creates, changes or deletes anything.
    static std::unique_ptr<FullTextIndex> openForReading(const QString &path);
    // Deletes the index file with its journal files.
    static bool removeFiles(const QString &path);

    ~FullTextIndex();
    FullTextIndex(const FullTextIndex &) = delete;
    FullTextIndex &operator=(const FullTextIndex &) = delete;

    Opening opening() const { return m_opening; }
    // Whether SQLite reported the file as corrupt since it was opened; the writer then rebuilds it.
    bool isDamaged() const { return m_damaged; }

    // Every row's stamp by page identifier.
    QHash<QString, PageStamp> stamps();
    qsizetype pageCount();

    bool beginBatch();
    bool commitBatch();
    // Adds or replaces the page's row.
    bool put(const IndexedPage &page);
    bool remove(const QString &id);
    // Merges the index's segments into one; worth it after many pages were written.
    bool optimize();

    // Modification times of the folders the last complete pass read its pages from, and of their parents,
    // by path; empty when no pass has recorded them. A folder's time changes when a file in it is added,
    // removed or replaced, which is how packages install pages.
    QHash<QString, qint64> folderStamps();
    // The translations the catalogue of the last complete pass showed, joined by ':'; empty for none.
    QString pageLanguages();
    bool replaceFolderStamps(const QHash<QString, qint64> &stamps, const QString &languages);

    // Pages matching an expression of FullTextQuery, those whose NAME line matches first, each group by bm25;
    // at most `limit` rows.
    QList<FullTextHit> search(const QString &expression, const QString &nameExpression, int limit);

private:
    FullTextIndex(sqlite3 *connection, Opening opening);

    struct Prepared;
    struct StoredRow
    {
        qint64 rowid = 0;
        QByteArray name;
        QByteArray body;
    };
    struct RankedRow
    {
        qint64 rowid = 0;
        // The expression it matched, which its snippet shows.
        QString expression;
    };

    bool execute(const char *sql);
    bool ensureFolderTable();
    bool check(int resultCode);
    Prepared &prepared();
    std::optional<StoredRow> storedRow(const QString &id);
    bool forgetText(qint64 rowid, const QByteArray &name, const QByteArray &body);
    QList<RankedRow> rankedRows(const QString &expression, int limit);
    // NAME-line matches first, then the rest, without repeats.
    QList<RankedRow> rankedRows(const QString &expression, const QString &nameExpression, int limit);
    QList<FullTextHit> hitsOnePerFile(const QList<RankedRow> &rows, int limit);
    bool bodiesEqual(qint64 rowid, qint64 otherRowid);

    sqlite3 *m_connection;
    std::unique_ptr<Prepared> m_prepared;
    Opening m_opening;
    bool m_damaged = false;
};

} // namespace Lectorin

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextindex.h"

#include "fulltext/sqlitestatement.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace Lectorin {
namespace {

// Words of an excerpt around the match.
constexpr int kSnippetTokens = 12;
// However many names pages share, a search reads at most this many rows.
constexpr qint64 kMaxRows = 20000;

// The file a merged result is named after: a real file (empty for a link) and its size.
struct NamingFile
{
    QString path;
    qint64 size = 0;

    bool isOutdoneBy(const QString &otherPath, qint64 otherSize) const
    {
        return !otherPath.isEmpty() && (path.isEmpty() || otherSize > size);
    }
};

} // namespace

QList<FullTextIndex::RankedRow> FullTextIndex::rankedRows(const QString &expression, int limit)
{
    QList<RankedRow> rows;
    SqliteStatement statement(
        m_connection, "SELECT rowid FROM pagetext WHERE pagetext MATCH ?1 ORDER BY rank LIMIT ?2");
    statement.bind(1, expression);
    statement.bind(2, qint64(limit));
    while (statement.step() == SQLITE_ROW)
        rows.append({ statement.integer(0), expression });
    check(statement.resultCode());
    return rows;
}

QList<FullTextHit> FullTextIndex::search(const QString &expression, const QString &nameExpression, int limit)
{
    // Other names of one page file merge into one result, so more rows are asked for until `limit` results
    // are filled or there are no more rows; a page with dozens of names is the rare case that asks again.
    qint64 fetched = qint64(limit) * 2;
    for (;;) {
        const QList<RankedRow> rows
            = rankedRows(expression, nameExpression, int(std::min<qint64>(fetched, kMaxRows)));
        QList<FullTextHit> hits = hitsOnePerFile(rows, limit);
        if (hits.size() >= limit || rows.size() < fetched || fetched >= kMaxRows)
            return hits;
        fetched *= 4;
    }
}

QList<FullTextIndex::RankedRow> FullTextIndex::rankedRows(
    const QString &expression, const QString &nameExpression, int limit)
{
    QList<RankedRow> rows = rankedRows(nameExpression, limit);
    if (rows.size() < limit) {
        const qsizetype nameRows = rows.size();
        for (RankedRow &row : rankedRows(expression, int(limit + nameRows))) {
            if (rows.size() >= limit)
                break;
            const bool seen = std::any_of(rows.cbegin(), rows.cbegin() + nameRows,
                [&](const RankedRow &named) { return named.rowid == row.rowid; });
            if (!seen)
                rows.append(std::move(row));
        }
    }
    return rows;
}

QList<FullTextHit> FullTextIndex::hitsOnePerFile(const QList<RankedRow> &rows, int limit)
{
    QList<FullTextHit> hits;
    // A link names the same file by another path; a stub that includes another page has that page's text,
    // whose NAME line and length are a cheap key, confirmed by comparing the texts.
    QHash<QString, qsizetype> hitOfFile;
    QHash<QString, std::pair<qint64, qsizetype>> rowAndHitOfText;
    QHash<qsizetype, NamingFile> fileOfHit;
    // A snippet reads and tokenizes its page's whole text: it is made only for the rows that become hits,
    // never for the other names of a file or the rows past the limit.
    static const QByteArray snippetSQL = "SELECT snippet(pagetext, -1, char(2), char(3), '\u2026', "
        + QByteArray::number(kSnippetTokens) + ") FROM pagetext WHERE pagetext MATCH ?1 AND rowid = ?2";
    SqliteStatement snippet(m_connection, snippetSQL.constData());
    SqliteStatement about(m_connection,
        "SELECT pages.id, pages.path, texts.name, length(texts.body), pages.size FROM pages"
        " JOIN texts ON texts.rowid = pages.rowid WHERE pages.rowid = ?1");
    for (const RankedRow &row : rows) {
        about.bind(1, row.rowid);
        if (about.step() != SQLITE_ROW) {
            check(about.resultCode());
            about.reset();
            continue;
        }
        const QString id = about.text(0);
        const QString path = about.text(1);
        const QString textKey = about.text(2) + u'\n' + QString::number(about.integer(3));
        const qint64 size = about.integer(4);
        about.reset();
        const QString canonicalPath = QFileInfo(path).canonicalFilePath();
        const QString file = canonicalPath.isEmpty() ? path : canonicalPath;

        qsizetype known = hitOfFile.value(file, -1);
        if (known < 0) {
            const auto sameText = rowAndHitOfText.constFind(textKey);
            if (sameText != rowAndHitOfText.cend() && bodiesEqual(sameText->first, row.rowid))
                known = sameText->second;
        }
        if (known >= 0) {
            FullTextHit &hit = hits[known];
            // The group is named after its real file, not after a link or a stub that came first: a file of
            // its own, and the largest, since a stub holds one line.
            if (path == canonicalPath && fileOfHit.value(known).isOutdoneBy(path, size)) {
                hit.aliasIDs.append(std::exchange(hit.id, id));
                fileOfHit[known] = { path, size };
            } else {
                hit.aliasIDs.append(id);
            }
            hitOfFile.insert(file, known);
            continue;
        }
        if (hits.size() >= limit)
            continue;
        hitOfFile.insert(file, hits.size());
        rowAndHitOfText.insert(textKey, { row.rowid, hits.size() });
        fileOfHit.insert(hits.size(), { canonicalPath == path ? path : QString(), size });
        snippet.bind(1, row.expression);
        snippet.bind(2, row.rowid);
        const bool found = snippet.step() == SQLITE_ROW;
        const QString marked = found ? snippet.text(0) : QString();
        if (!found)
            check(snippet.resultCode());
        snippet.reset();
        hits.append(FullTextHit::fromMarkedSnippet(id, marked));
    }
    return hits;
}

bool FullTextIndex::bodiesEqual(qint64 rowid, qint64 otherRowid)
{
    SqliteStatement statement(m_connection,
        "SELECT (SELECT body FROM texts WHERE rowid = ?1) = (SELECT body FROM texts WHERE rowid = ?2)");
    statement.bind(1, rowid);
    statement.bind(2, otherRowid);
    return check(statement.step()) && statement.resultCode() == SQLITE_ROW && statement.integer(0) == 1;
}

} // namespace Lectorin

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

} // namespace

QList<FullTextIndex::RankedRow> FullTextIndex::rankedRows(const QString &expression, int limit)
{
    // FTS5 ranks every match but the snippets, the costly part, are made only for the rows returned.
    static const QByteArray sql = "SELECT rowid, snippet(pagetext, -1, char(2), char(3), '\u2026', "
        + QByteArray::number(kSnippetTokens)
        + ") FROM pagetext WHERE pagetext MATCH ?1 ORDER BY rank LIMIT ?2";
    QList<RankedRow> rows;
    SqliteStatement statement(m_connection, sql.constData());
    statement.bind(1, expression);
    statement.bind(2, qint64(limit));
    while (statement.step() == SQLITE_ROW)
        rows.append({ statement.integer(0), statement.text(1) });
    check(statement.resultCode());
    return rows;
}

QList<FullTextHit> FullTextIndex::search(const QString &expression, const QString &nameExpression, int limit)
{
    // Other names of one page file merge into one result; twice the rows still fill `limit` after merging.
    const int fetched = limit < std::numeric_limits<int>::max() / 2 ? limit * 2 : limit;
    QList<RankedRow> rows = rankedRows(nameExpression, fetched);
    if (rows.size() < fetched) {
        const qsizetype nameRows = rows.size();
        for (RankedRow &row : rankedRows(expression, int(fetched + nameRows))) {
            if (rows.size() >= fetched)
                break;
            const bool seen = std::any_of(rows.cbegin(), rows.cbegin() + nameRows,
                [&](const RankedRow &named) { return named.rowid == row.rowid; });
            if (!seen)
                rows.append(std::move(row));
        }
    }
    return hitsOnePerFile(rows, limit);
}

QList<FullTextHit> FullTextIndex::hitsOnePerFile(const QList<RankedRow> &rows, int limit)
{
    QList<FullTextHit> hits;
    // A link names the same file by another path; a stub that includes another page has that page's text,
    // whose NAME line and length are a cheap key, confirmed by comparing the texts.
    QHash<QString, qsizetype> hitOfFile;
    QHash<QString, std::pair<qint64, qsizetype>> rowAndHitOfText;
    SqliteStatement about(m_connection,
        "SELECT pages.id, pages.path, texts.name, length(texts.body) FROM pages"
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
            hits[known].aliasIDs.append(id);
            hitOfFile.insert(file, known);
            continue;
        }
        if (hits.size() >= limit)
            continue;
        hitOfFile.insert(file, hits.size());
        rowAndHitOfText.insert(textKey, { row.rowid, hits.size() });
        hits.append(FullTextHit::fromMarkedSnippet(id, row.markedSnippet));
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

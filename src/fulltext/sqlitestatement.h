// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

namespace Lectorin {

// A prepared statement that finalizes itself; binding and reading in the program's own types.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3 *connection, const char *sql)
    {
        m_resultCode = sqlite3_prepare_v2(connection, sql, -1, &m_statement, nullptr);
    }
    ~SqliteStatement() { sqlite3_finalize(m_statement); }
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isPrepared() const { return m_statement != nullptr; }
    int resultCode() const { return m_resultCode; }

    void bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    // The bytes must outlive the statement's next reset.
    void bindStatic(int index, const QByteArray &utf8)
    {
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
    }

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
        sqlite3_clear_bindings(m_statement);
        m_resultCode = SQLITE_OK;
    }
    // Steps once and resets for the next use; the step's result code.
    int runOnce()
    {
        const int resultCode = step();
        reset();
        return resultCode;
    }

    QString text(int column) const
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QByteArray bytes(int column) const
    {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_resultCode = SQLITE_OK;
};

} // namespace Lectorin

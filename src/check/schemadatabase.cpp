#include "check/schemadatabase.h"

#include "platform/errors.h"
#include "schema/createtables.h"

#include <sqlite3.h>

namespace tarvo {

namespace {

std::unique_ptr<SqlConnection> openInMemory()
{
    auto connection = std::make_unique<SqlConnection>();
    connection->setDatabase(QStringLiteral(":memory:"));
    connection->open();
    return connection;
}

// The table name of "CREATE TABLE name (...": what a failure is reported against.
QString createdTable(const QString &statement)
{
    const QString afterKeywords = statement.section(QLatin1Char(' '), 2, 2);
    return afterKeywords.section(QLatin1Char('('), 0, 0).trimmed();
}

QStringList columnsOf(SqlConnection &connection, const QString &table)
{
    QStringList columns;
    const QString escaped = QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\""));
    for (SqlQuery row = connection.query(QStringLiteral("PRAGMA table_info(\"%1\")").arg(escaped)); !row.eof();
         row.next())
        columns << row.text(1);
    return columns;
}

void createTables(SqlConnection &connection, const QString &tablesIniPath, QList<QPair<QString, QString>> *failures)
{
    for (const QString &statement : BuildCreateTableStatements(tablesIniPath)) {
        try {
            connection.execute(statement);
        } catch (const DatabaseError &error) {
            if (failures)
                failures->append({createdTable(statement), error.message()});
        }
    }
}

// Prepares, and when `run` steps, every statement of `sql`; SQLite's message for the first
// statement that cannot be prepared.
std::optional<QString> firstPrepareError(sqlite3 *db, const QString &sql, bool run)
{
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, tail, int(end - tail), &stmt, &tail) != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(db));
        if (!stmt) // only blanks or comments were left
            break;
        // Rows and constraint failures of neutral values say nothing about the statement itself.
        while (run && sqlite3_step(stmt) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
    }
    return std::nullopt;
}

} // namespace

SchemaDatabase::SchemaDatabase(const QString &tablesIniPath) : m_connection(openInMemory())
{
    createTables(*m_connection, tablesIniPath, &m_failures);
    for (SqlQuery row = m_connection->query(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"));
         !row.eof(); row.next())
        m_columns.insert(row.text(0), columnsOf(*m_connection, row.text(0)));
}

bool SchemaDatabase::hasTable(const QString &table) const
{
    return m_columns.contains(table);
}

bool SchemaDatabase::hasColumn(const QString &table, const QString &column) const
{
    return m_columns.value(table).contains(column);
}

std::optional<QString> SchemaDatabase::prepareError(const QString &tablesIniPath, const QString &sql)
{
    std::unique_ptr<SqlConnection> fresh = openInMemory();
    createTables(*fresh, tablesIniPath, nullptr);
    return firstPrepareError(fresh->handle(), sql, true);
}

std::optional<QString> SchemaDatabase::prepareOnlyError(const QString &sql) const
{
    return firstPrepareError(m_connection->handle(), sql, false);
}

} // namespace tarvo

#pragma once
// An in-memory database with the tables of a tables.ini, for preparing a project's SQL without
// touching its data.
#include "schema/sqlconnection.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace tarvo {

class SchemaDatabase {
public:
    // Runs every CREATE TABLE statement; those SQLite refuses are kept in failures().
    explicit SchemaDatabase(const QString &tablesIniPath);

    bool hasTable(const QString &table) const; // exact letter case, as tables.ini names it
    bool hasColumn(const QString &table, const QString &column) const;
    // (table, SQLite's message) of each statement that could not create its table.
    const QList<QPair<QString, QString>> &failures() const { return m_failures; }

    // Prepares each statement of `sql` in order and runs it, so later statements see what earlier
    // ones created; the first that cannot be prepared gives SQLite's message. Run on a fresh
    // database each time, so designer statements do not see each other's rows.
    static std::optional<QString> prepareError(const QString &tablesIniPath, const QString &sql);
    std::optional<QString> prepareOnlyError(const QString &sql) const;

private:
    std::unique_ptr<SqlConnection> m_connection;
    QHash<QString, QStringList> m_columns;
    QList<QPair<QString, QString>> m_failures;
};

} // namespace tarvo

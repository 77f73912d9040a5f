#pragma once
// The tables of a new database as tables.ini defines them, one per section in section order, and
// their CREATE TABLE statements.
#include <QList>
#include <QString>
#include <QStringList>

namespace tarvo {

struct ColumnDefinition {
    QString name;
    QString type; // the type word as the file database declares it (DATE as TEXT, IMAGE as BLOB, ...)
    bool notNull = false;
};

// Every table also has the row identifier `id`, which the columns leave out.
struct TableDefinition {
    QString name;
    QList<ColumnDefinition> columns;
    QList<ColumnDefinition> foreignKeys; // the column and, as its type, the referenced table
};

QList<TableDefinition> ReadTableDefinitions(const QString &tablesIniPath);
// The file database's statement: "CREATE TABLE t (id INTEGER PRIMARY KEY ASC, ...); ".
QString createTableStatement(const TableDefinition &table);
QStringList BuildCreateTableStatements(const QString &tablesIniPath);

} // namespace tarvo

#pragma once
// What a database engine offers SqlConnection: statements, forward-read results, transactions
// and the news of changes. Two engines implement it, the embedded SQLite file and a PostgreSQL
// server; nothing above this layer knows which one runs.
#include "schema/createtables.h"
#include "schema/sqlconnection.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

namespace tarvo {

// One result, read forward. Value readers act on the current row (after step() returned true);
// the value text rules are those of SqlQuery.
class ResultCursor {
public:
    virtual ~ResultCursor() = default;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual bool step() = 0; // to the next row; false past the last one; raises DatabaseError

    virtual bool isNull(int column) const = 0;
    virtual bool isBlob(int column) const = 0;
    virtual QString text(int column) const = 0;
    virtual std::optional<QByteArrayView> utf8(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual QByteArray bytes(int column) const = 0;
    virtual QVariant value(int column) const = 0;
    virtual bool holds(int column, const QVariant &earlier) const = 0;
};

// The first column of every row, as text.
inline QStringList firstColumn(const std::unique_ptr<ResultCursor> &rows)
{
    QStringList values;
    while (rows->step())
        values << rows->text(0);
    return values;
}

class DatabaseEngine {
public:
    virtual ~DatabaseEngine() = default;

    virtual SqlDialect dialect() const = 0;
    // Every statement of the text; the values are bound in order of their markers.
    virtual void execute(const QString &sql, const QList<QVariant> &values) = 0;
    // The first statement of the text, positioned before its first row. `reuse`: the text runs
    // again and again with other values, so the engine may keep it prepared.
    virtual std::unique_ptr<ResultCursor> query(const QString &sql, const QList<QVariant> &values, bool reuse) = 0;

    // A write transaction that no other writer of the database can interleave with; raises
    // DatabaseBusyError when another one holds it past the lock timeout.
    virtual void beginWrite() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0; // quietly, also when no transaction is open any more

    // Whether other connections committed changes since the last call (false on the first).
    virtual bool othersChanged() = 0;
    // The tables this connection changed since the last call, in the order first changed.
    virtual QStringList takeChangedTables() = 0;
    // A socket that becomes readable when other connections' changes are announced; -1 when the
    // engine has none (the file database is asked instead).
    virtual int changeNoticeSocket() const { return -1; }
    // The columns of `table` that hold a foreign key.
    virtual QStringList foreignKeyColumns(const QString &table) = 0;
    // The names of the tables of the database, lower case.
    virtual QStringList tableNames() = 0;
    // Creates the tables of a new database as this engine writes them. Raises DatabaseError with
    // the first failure.
    virtual void createSchema(const QList<TableDefinition> &tables) = 0;
    // Readies a database that other means made for several users of `tables`: writers take turns
    // and changes are announced. A database this engine made is ready already; so is any file.
    virtual void shareTables(const QStringList &tables) { Q_UNUSED(tables); }
};

} // namespace tarvo

#include "migrate/servercopy.h"

#include "platform/errors.h"
#include "schema/createtables.h"
#include "schema/databaselocation.h"
#include "schema/sqlconnection.h"
#include "schema/tablepresence.h"

#include <QFileInfo>
#include <QLocale>
#include <QVariant>
#include <algorithm>

namespace tarvo {

namespace {

// One INSERT carries this many rows, or fewer when their values pass the byte limit: few round
// trips, and statements far below the server's limits of parameters and message size.
constexpr int kRowsPerBatch = 500;
constexpr qint64 kBytesPerBatch = 8 * 1024 * 1024;

qint64 rowCount(SqlConnection &db, const QString &table)
{
    return db.query(QStringLiteral("SELECT count(*) FROM ") + table).integer(0);
}

QStringList columnsOf(const TableDefinition &table)
{
    QStringList names{QStringLiteral("id")};
    for (const ColumnDefinition &column : table.columns)
        names << column.name;
    return names;
}

QStringList queryColumn(SqlConnection &db, const SqlStatement &statement)
{
    QStringList values;
    for (SqlQuery rows = db.query(statement); !rows.eof(); rows.next())
        values << rows.text(0);
    return values;
}

// A bytea column gets bytes whatever the file holds there: a text sent as text would be read
// as bytea's escape syntax and change.
QStringList byteColumns(SqlConnection &server, const QString &table)
{
    return queryColumn(server,
                       SqlStatement(QStringLiteral("SELECT lower(column_name) FROM information_schema.columns "
                                                   "WHERE table_schema = current_schema() AND data_type = 'bytea' "
                                                   "AND table_name = lower("))
                           .text(table)
                           .sql(QStringLiteral(")")));
}

// The value as the file stores it; returns the bytes it adds to the statement.
qint64 appendValue(SqlStatement &insert, const SqlQuery &row, int column, bool asBytes)
{
    const QVariant value = row.value(column);
    if (value.isNull()) {
        insert.sql(QStringLiteral("NULL"));
        return 0;
    }
    QString plain;
    switch (value.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        insert.blob(QStringLiteral("value"), bytes);
        return bytes.size();
    }
    case QMetaType::LongLong:
        if (!asBytes) {
            insert.sql(QString::number(value.toLongLong()));
            return 0;
        }
        plain = QString::number(value.toLongLong());
        break;
    case QMetaType::Double: // the shortest text that reads back as the same number
        plain = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        break;
    default:
        plain = value.toString();
    }
    if (asBytes)
        insert.blob(QStringLiteral("value"), plain.toUtf8());
    else
        insert.text(plain);
    return plain.size() * 2;
}

// Copies one table's rows; returns how many were read from the file.
qint64 copyRows(SqlConnection &file, SqlConnection &server, const TableDefinition &table, qint64 done, qint64 total,
                const CopyProgress &progress)
{
    const QStringList columns = columnsOf(table);
    const QStringList bytesOnServer = byteColumns(server, table.name);
    QList<bool> asBytes;
    for (const QString &column : columns)
        asBytes << bytesOnServer.contains(column.toLower());
    const QString head =
        QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table.name, columns.join(QStringLiteral(", ")));

    qint64 copied = 0;
    SqlStatement insert;
    int batchRows = 0;
    qint64 batchBytes = 0;
    const auto send = [&] {
        if (batchRows == 0)
            return;
        server.execute(insert);
        copied += batchRows;
        insert = SqlStatement();
        batchRows = 0;
        batchBytes = 0;
        if (progress)
            progress(done + copied, total);
    };
    for (SqlQuery row = file.query(
             QStringLiteral("SELECT %1 FROM %2 ORDER BY id").arg(columns.join(QStringLiteral(", ")), table.name));
         !row.eof(); row.next()) {
        insert.sql(batchRows == 0 ? head : QStringLiteral(", ")).sql(QStringLiteral("("));
        for (int c = 0; c < columns.size(); ++c) {
            if (c > 0)
                insert.sql(QStringLiteral(", "));
            batchBytes += appendValue(insert, row, c, asBytes[c]);
        }
        insert.sql(QStringLiteral(")"));
        if (++batchRows == kRowsPerBatch || batchBytes >= kBytesPerBatch)
            send();
    }
    send();
    // New rows made on the server continue after the copied ids.
    server.execute(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), max(id)) FROM %1 "
                                  "HAVING max(id) IS NOT NULL")
                       .arg(table.name));
    return copied;
}

// The server's messages end without a full stop; more text follows them here.
QString asSentence(const QString &message)
{
    return message.endsWith(u'.') ? message : message + u'.';
}

struct ForeignKey {
    QString table;
    QString name;
    QString definition;
};

// The foreign keys of the new tables, as the server wrote them.
QList<ForeignKey> foreignKeysOf(SqlConnection &server, const QList<TableDefinition> &tables)
{
    QStringList names;
    for (const TableDefinition &table : tables)
        names << table.name.toLower();
    QList<ForeignKey> keys;
    for (SqlQuery rows = server.query(QStringLiteral(
             "SELECT conrelid::regclass::text, quote_ident(conname), pg_get_constraintdef(oid) FROM pg_constraint "
             "WHERE contype = 'f' AND connamespace = current_schema()::regnamespace"));
         !rows.eof(); rows.next())
        if (names.contains(rows.text(0).toLower()))
            keys.append({rows.text(0), rows.text(1), rows.text(2)});
    return keys;
}

// Everything inside one server transaction. The foreign keys are set aside while the rows go in
// and put back before the commit, which checks every row at once: tables that refer to each other
// or to themselves then copy in any order.
QList<CopiedTable> copyAll(SqlConnection &file, SqlConnection &server, const QList<TableDefinition> &tables,
                           const QList<qint64> &fileRows, const CopyProgress &progress)
{
    qint64 total = 0;
    for (qint64 rows : fileRows)
        total += rows;
    if (progress)
        progress(0, total);

    SqlTransaction transaction(server);
    const QList<ForeignKey> keys = foreignKeysOf(server, tables);
    for (const ForeignKey &key : keys)
        server.execute(QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(key.table, key.name));
    qint64 done = 0;
    for (const TableDefinition &table : tables) {
        try {
            done += copyRows(file, server, table, done, total, progress);
        } catch (const DatabaseError &error) {
            throw DatabaseError(QStringLiteral("Table %1: %2").arg(table.name, error.message()));
        }
    }
    for (const ForeignKey &key : keys)
        server.execute(QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3").arg(key.table, key.name, key.definition));

    QList<CopiedTable> copied;
    QStringList differences;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const qint64 onServer = rowCount(server, tables[i].name);
        if (onServer != fileRows[i])
            differences << QStringLiteral("%1: %2 in the file, %3 on the server")
                               .arg(tables[i].name)
                               .arg(fileRows[i])
                               .arg(onServer);
        copied.append({tables[i].name, fileRows[i]});
    }
    if (!differences.isEmpty())
        throw DatabaseError(
            QStringLiteral("The row counts differ after the copy (%1).").arg(differences.join(QStringLiteral("; "))));
    transaction.commit();
    return copied;
}

QStringList leftBehindIn(SqlConnection &file, const QList<TableDefinition> &tables)
{
    QStringList left;
    for (SqlQuery table = file.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                    "AND substr(name, 1, 7) <> 'sqlite_' ORDER BY name"));
         !table.eof(); table.next()) {
        const QString name = table.text(0);
        const auto defined = std::find_if(tables.begin(), tables.end(), [&](const TableDefinition &t) {
            return t.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (defined == tables.end()) {
            left << QStringLiteral("table ") + name;
            continue;
        }
        const QStringList known = columnsOf(*defined);
        for (SqlQuery column = file.query(SqlStatement(QStringLiteral("SELECT name FROM pragma_table_info("))
                                              .text(name)
                                              .sql(QStringLiteral(")")));
             !column.eof(); column.next())
            if (!known.contains(column.text(0), Qt::CaseInsensitive))
                left << QStringLiteral("column %1.%2").arg(name, column.text(0));
    }
    return left;
}

// A read of the file that sees one state of it from the first count to the last row.
class FileSnapshot {
public:
    explicit FileSnapshot(SqlConnection &file) : m_file(file) { m_file.execute(QStringLiteral("BEGIN")); }
    ~FileSnapshot()
    {
        try {
            m_file.execute(QStringLiteral("ROLLBACK"));
        } catch (const Error &) {
            // Nothing was written: the read simply ends with the connection.
        }
    }
    FileSnapshot(const FileSnapshot &) = delete;
    FileSnapshot &operator=(const FileSnapshot &) = delete;

private:
    SqlConnection &m_file;
};

} // namespace

CopyReport copyToServer(const QString &file, const QList<TableDefinition> &tables, const QString &server,
                        const CopyProgress &progress)
{
    if (!QFileInfo(file).isFile())
        throw FileError(QStringLiteral("The database file is not found: ") + file);
    if (!isServerLocation(server)) // it would be opened as a second file and filled
        throw DatabaseError(QStringLiteral("This is no server address: ") + server);
    SqlConnection source;
    source.setDatabase(file);
    source.open();
    FileSnapshot snapshot(source);
    QList<qint64> fileRows;
    for (const TableDefinition &table : tables) {
        try {
            fileRows << rowCount(source, table.name);
        } catch (const DatabaseError &error) {
            throw DatabaseError(
                QStringLiteral("The database file cannot be read (table %1): %2").arg(table.name, error.message()));
        }
    }

    const QStringList leftBehind = leftBehindIn(source, tables);

    SqlConnection target;
    target.setDatabase(server);
    target.open();
    const QStringList taken = tablePresence(target, tables).present;
    if (!taken.isEmpty())
        throw DatabaseError(QStringLiteral("The server database already has tables of this project (%1); "
                                           "copy into a database without them.")
                                .arg(taken.join(QStringLiteral(", "))));

    target.createSchema(tables);
    QStringList names;
    for (const TableDefinition &table : tables)
        names << table.name;
    const QString removal = QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(names.join(QStringLiteral(", ")));
    try {
        return {copyAll(source, target, tables, fileRows, progress), leftBehind};
    } catch (const Error &error) {
        const QString reason = asSentence(error.message());
        try {
            target.execute(removal);
        } catch (const Error &failed) {
            throw DatabaseError(reason + QStringLiteral(" The tables made on the server could not be removed again (")
                                + failed.message() + QStringLiteral("); remove them before the next attempt."));
        }
        throw DatabaseError(reason + QStringLiteral(" Nothing was copied."));
    } catch (...) { // out of memory: the tables go all the same
        try {
            target.execute(removal);
        } catch (const Error &) {
            // The first failure is the one to report.
        }
        throw;
    }
}

} // namespace tarvo

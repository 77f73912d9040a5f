#pragma once
// Moving a project's database from its SQLite file to a PostgreSQL server: the tables of
// tables.ini are made on the server, then every row is copied in one server transaction, ids
// kept, and the rows are counted on both sides before it commits.
#include <QList>
#include <QString>
#include <functional>

namespace tarvo {

struct TableDefinition;

struct CopiedTable {
    QString name;
    qint64 rows = 0; // in the file, and as many on the server
};

struct CopyReport {
    QList<CopiedTable> tables;
    // What the file holds beyond tables.ini and the server has no place for: "table t",
    // "column t.c".
    QStringList leftBehind;
};

// Rows copied so far and rows in all; called after every batch.
using CopyProgress = std::function<void(qint64 done, qint64 total)>;

// Copies `tables` from the database file at `file` to the server database at `server` (a
// connection URI or keyword text; a password is asked through the interaction layer). The server
// database must hold none of the tables. All or nothing: on any failure the tables made on the
// server are removed again. Raises DatabaseError (FileError when `file` does not exist) with what
// went wrong and on which table.
CopyReport copyToServer(const QString &file, const QList<TableDefinition> &tables, const QString &server,
                        const CopyProgress &progress = {});

} // namespace tarvo

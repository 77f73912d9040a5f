#pragma once
// The one database connection of a run and what runs on it: statements, statements with BLOB
// parameters, forward-read queries, and the statement builder that binds user values. The
// database is a SQLite file or a PostgreSQL server; callers do not see which.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

struct sqlite3;

namespace tarvo {

class SqlConnection;
class DatabaseEngine;
class ResultCursor;
struct TableDefinition;

// How statement texts differ between the engines: parameters as "?" or "$1", "$2", ...; the
// case-insensitive match of searches as LIKE with Tarvo's Unicode function or as the server's ILIKE.
enum class SqlDialect { File, Server };

// Statement text with user values kept apart. sql() appends SQL as written; text() appends a
// user's value: rendered as "value" (inner quotes doubled) for tests and messages, bound as a
// parameter when run. blob() appends the marker ":name" and binds the bytes.
class SqlStatement {
public:
    SqlStatement() = default;
    explicit SqlStatement(const QString &sql) { this->sql(sql); }

    SqlStatement &sql(const QString &piece);
    SqlStatement &text(const QString &value);
    SqlStatement &blob(const QString &name, const QByteArray &bytes);
    // A whole number typed by a user stays bare SQL; anything else is appended as text().
    SqlStatement &numberOrText(const QString &value);
    // `column` matches the user's LIKE pattern, ignoring case (beyond ASCII) and normalization.
    SqlStatement &matches(const QString &column, const QString &pattern);
    SqlStatement &append(const SqlStatement &other);

    bool isEmpty() const { return m_pieces.isEmpty(); }
    // The text form for tests and messages: values in double quotes, blobs as ":name" markers.
    QString renderedText() const;
    // What runs, with the values in order.
    QString parameterisedSql(SqlDialect dialect = SqlDialect::File) const;
    QList<QVariant> parameters() const; // QString for texts, QByteArray for blobs

private:
    struct Piece {
        enum Kind { Sql, Text, Blob, Match } kind;
        QString text;     // SQL, the text value (the pattern of a match), or the blob's name
        QString column;   // match only
        QByteArray bytes; // blob only
    };
    QList<Piece> m_pieces;
};

// A forward-only result: positioned on the first row when created; released when destroyed.
class SqlQuery {
public:
    SqlQuery(SqlQuery &&other) noexcept;
    SqlQuery &operator=(SqlQuery &&other) noexcept;
    SqlQuery(const SqlQuery &) = delete;
    SqlQuery &operator=(const SqlQuery &) = delete;
    ~SqlQuery();

    int columnCount() const;
    QString columnName(int column) const;
    QStringList columnNames() const;
    int columnIndex(const QString &name) const; // ignoring case; -1 when absent

    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_empty; } // the query yielded no row at all
    void next();                             // raises DatabaseError

    bool isNull(int column) const;
    bool isBlob(int column) const;
    // Value text rules: INTEGER as digits, REAL in general notation (15 significant digits, the
    // locale's decimal separator), TEXT as stored, NULL as empty text.
    QString text(int column) const;
    QString text(const QString &name) const; // by column name, ignoring case
    qint64 integer(int column) const;        // raises ConversionError for a text that is no integer
    // The UTF-8 text that text() decodes, without a copy; valid until next(). Empty for NULL;
    // nullopt where the text is made (REAL, whose text depends on the locale; bytes on the server).
    // For reading large results cheaply.
    std::optional<QByteArrayView> utf8(int column) const;
    QByteArray bytes(int column) const;
    // The value in its storage class: null, qint64, double, QString or QByteArray.
    QVariant value(int column) const;
    // Whether the column holds what value() gave for it earlier: same storage class, same
    // content.
    bool holds(int column, const QVariant &earlier) const;

    SqlConnection *connection() const { return m_connection; } // the one that ran the query

private:
    friend class SqlConnection;
    SqlQuery(std::unique_ptr<ResultCursor> cursor, SqlConnection *connection);
    std::unique_ptr<ResultCursor> m_cursor;
    SqlConnection *m_connection = nullptr;
    bool m_eof = true;
    bool m_empty = true;
};

class SqlConnection {
public:
    SqlConnection();
    ~SqlConnection();
    SqlConnection(const SqlConnection &) = delete;
    SqlConnection &operator=(const SqlConnection &) = delete;

    // A database file path, or a PostgreSQL connection URI (or keyword=value text).
    void setDatabase(const QString &location);
    QString database() const { return m_location; }
    // A file is opened or created, with a 5 s busy timeout and "PRAGMA foreign_keys=ON;" first.
    // A server that asks for a password libpq does not have gets it from the user, asked through
    // the interaction layer and kept in memory only. Raises DatabaseError with the engine's message.
    void open();
    bool isOpen() const { return m_engine != nullptr; }
    void close();

    // Every statement commits on its own; all raise DatabaseError with the engine's message.
    void execute(const QString &sql);
    void execute(const SqlStatement &statement);
    // ":name" markers outside quoted text become positional parameters; the n-th marker gets
    // the n-th value.
    void executeWithBlobs(const QString &sql, const QList<QByteArray> &values);
    SqlQuery query(const QString &sql);
    SqlQuery query(const SqlStatement &statement);
    // query() for a statement run again and again with other values (a few such texts per run):
    // the engine may keep it prepared until the connection closes.
    SqlQuery queryKept(const SqlStatement &statement);

    // Whether other connections committed changes since the last call (false on the first).
    bool othersChanged();
    // The tables this connection changed since the last call, in the order first changed.
    QStringList takeChangedTables();
    // Readable when other users' changes are announced (a server); -1 when not open or a file.
    int changeNoticeSocket() const;
    // The columns of `table` that hold a foreign key.
    QStringList foreignKeyColumns(const QString &table);
    // The tables the database holds, lower case.
    QStringList tableNames();
    // The tables of a new database; raises DatabaseError with the first failure. On a server all
    // tables are made or none.
    void createSchema(const QList<TableDefinition> &tables);
    // Readies a server database made by other means for several users of these tables (writers
    // take turns, changes are announced); nothing to do for a file.
    void shareTables(const QStringList &tables);

    // The file database's own handle, for tools that inspect SQLite itself; null on a server.
    sqlite3 *handle() const;
    DatabaseEngine &engine() const; // raises DatabaseError when not open

private:
    SqlQuery run(const SqlStatement &statement, bool reuse);
    QString m_location;
    QString m_password; // as the user gave it for this server; never written anywhere
    std::unique_ptr<DatabaseEngine> m_engine;
};

// A write transaction, begun when created and rolled back when destroyed uncommitted.
class SqlTransaction {
public:
    // No other writer of the database can come in between; raises DatabaseBusyError when another
    // holds it past the lock timeout.
    explicit SqlTransaction(SqlConnection &connection);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;
    void commit();
    void rollback();

private:
    SqlConnection &m_connection;
    bool m_done = false;
};

} // namespace tarvo

#pragma once
// The one SQLite connection of a run, on the C API, and what runs on it: statements, statements
// with BLOB parameters, forward-read queries, and the statement builder that binds user values.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;
extern "C" int sqlite3_finalize(sqlite3_stmt *);

namespace tarvo {

class SqlConnection;

struct StatementFinalizer {
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
// A prepared statement, finalized when its handle goes.
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

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
    SqlStatement &append(const SqlStatement &other);

    bool isEmpty() const { return m_pieces.isEmpty(); }
    // The described text form: values in double quotes, blobs as their ":name" markers.
    QString renderedText() const;
    // What runs: "?" for each value, with the values in order.
    QString parameterisedSql() const;
    QList<QVariant> parameters() const; // QString for texts, QByteArray for blobs

private:
    struct Piece {
        enum Kind { Sql, Text, Blob } kind;
        QString text;      // SQL, the text value, or the blob's name
        QByteArray bytes;  // blob only
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
    void next();                              // raises DatabaseError

    bool isNull(int column) const;
    bool isBlob(int column) const;
    // Value text rules: INTEGER as digits, REAL in general notation (15 significant digits, the
    // locale's decimal separator), TEXT as stored, NULL as empty text.
    QString text(int column) const;
    QString text(const QString &name) const; // by column name, ignoring case
    qint64 integer(int column) const;        // raises ConversionError for a text that is no integer
    // The UTF-8 text that text() decodes, without a copy; valid until next(). Empty for NULL;
    // nullopt for REAL, whose text depends on the locale. For reading large results cheaply.
    std::optional<QByteArrayView> utf8(int column) const;
    QByteArray bytes(int column) const;
    // The value in its storage class: null, qint64, double, QString or QByteArray.
    QVariant value(int column) const;
    // Whether the column holds what value() gave for it earlier: same storage class, same
    // content. Reads in place, without building the value.
    bool holds(int column, const QVariant &earlier) const;

    sqlite3_stmt *handle() const { return m_stmt; }
    SqlConnection *connection() const { return m_connection; } // the one that ran the query

private:
    friend class SqlConnection;
    // Either owns its statement, or uses one the connection keeps for reuse (`kept`, with its
    // in-use flag), which it resets and hands back when done.
    SqlQuery(sqlite3 *db, StatementHandle owned, sqlite3_stmt *kept, bool *inUse);
    void handBack();
    void start(); // steps to the first row
    sqlite3 *m_db = nullptr;
    StatementHandle m_owned;
    sqlite3_stmt *m_stmt = nullptr;
    bool *m_inUse = nullptr;
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

    void setDatabase(const QString &path);
    QString database() const { return m_path; }
    // Opens or creates the file, sets a 5 s busy timeout and runs "PRAGMA foreign_keys=ON;"
    // first. Raises DatabaseError with SQLite's message.
    void open();
    bool isOpen() const { return m_db != nullptr; }
    void close();

    // Every statement commits on its own; all raise DatabaseError with SQLite's message.
    void execute(const QString &sql);
    void execute(const SqlStatement &statement);
    // ":name" markers outside quoted text become positional parameters; the n-th marker gets
    // the n-th value.
    void executeWithBlobs(const QString &sql, const QList<QByteArray> &values);
    SqlQuery query(const QString &sql);
    SqlQuery query(const SqlStatement &statement);
    // query() for a statement run again and again with other values (a few such texts per run):
    // prepared once and kept until the connection closes.
    SqlQuery queryKept(const SqlStatement &statement);

    // Changes committed by other connections since the last call differ in this number.
    qint64 dataVersion();
    // The tables this connection changed since the last call, in the order first changed.
    QStringList takeChangedTables();

    sqlite3 *handle() const { return m_db; }

private:
    static void rememberChange(void *self, int op, const char *db, const char *table, long long rowid);
    struct KeptStatement {
        StatementHandle stmt;
        bool inUse = false;
    };
    SqlQuery run(SqlQuery query, const SqlStatement &statement);
    QString m_path;
    sqlite3 *m_db = nullptr;
    std::map<QByteArray, KeptStatement> m_kept; // node-based: an entry's address stays put
    QStringList m_changedTables;
    QByteArray m_lastChangedTable;
};

// A write transaction: BEGIN IMMEDIATE when created, rolled back when destroyed uncommitted.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlConnection &connection); // raises DatabaseBusyError after the timeout
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

#include "schema/sqlconnection.h"

#include "platform/errors.h"
#include "schema/valueconventions.h"

#include <sqlite3.h>
#include <utility>

namespace tarvo {

namespace {

[[noreturn]] void raise(sqlite3 *db)
{
    throw DatabaseError(QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"));
}

[[noreturn]] void raise(sqlite3 *db, int rc)
{
    // Without a handle (or when the handle holds no error yet) the code's own text is all we have.
    if (db && sqlite3_errcode(db) != SQLITE_OK)
        raise(db);
    throw DatabaseError(QString::fromUtf8(sqlite3_errstr(rc)));
}

void bindAll(sqlite3 *db, sqlite3_stmt *stmt, const QList<QVariant> &values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values[i];
        int rc;
        if (value.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(stmt, i + 1, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
        } else {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, i + 1, utf8.constData(), sqlite3_uint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK)
            raise(db, rc);
    }
}

// Prepares the first statement of `utf8` from `offset`; sets `offset` past it. Null when only
// blanks or comments remain.
sqlite3_stmt *prepareNext(sqlite3 *db, const QByteArray &utf8, int &offset)
{
    sqlite3_stmt *stmt = nullptr;
    const char *start = utf8.constData() + offset;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, start, int(utf8.size() - offset), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        raise(db, rc);
    }
    offset = tail ? int(tail - utf8.constData()) : int(utf8.size());
    return stmt;
}

void runToEnd(sqlite3 *db, sqlite3_stmt *stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const DatabaseError error(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_finalize(stmt);
        throw error;
    }
    sqlite3_finalize(stmt);
}

// Runs every statement of the text; parameters are bound to the statement that holds them.
void executeText(sqlite3 *db, const QString &sql, const QList<QVariant> &values)
{
    if (!db)
        throw DatabaseError(QStringLiteral("Database is not open"));
    const QByteArray utf8 = sql.toUtf8();
    int offset = 0;
    int used = 0;
    while (offset < utf8.size()) {
        sqlite3_stmt *stmt = prepareNext(db, utf8, offset);
        if (!stmt)
            break;
        const int count = sqlite3_bind_parameter_count(stmt);
        try {
            bindAll(db, stmt, values.mid(used, count));
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
        used += count;
        runToEnd(db, stmt);
    }
}

// ":name" outside quoted text becomes "?"; quoted text is copied as it is.
QString markersToParameters(const QString &sql)
{
    QString out;
    out.reserve(sql.size());
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
        } else if (c == u':' && i + 1 < sql.size()
                   && (sql[i + 1].isLetterOrNumber() || sql[i + 1] == u'_')) {
            while (i + 1 < sql.size() && (sql[i + 1].isLetterOrNumber() || sql[i + 1] == u'_'))
                ++i;
            out += u'?';
        } else {
            out += c;
        }
    }
    return out;
}

QString doubledQuotes(const QString &value)
{
    QString copy = value;
    return copy.replace(u'"', QStringLiteral("\"\""));
}

} // namespace

// ---- SqlStatement ----

SqlStatement &SqlStatement::sql(const QString &piece)
{
    m_pieces.append({Piece::Sql, piece, {}});
    return *this;
}

SqlStatement &SqlStatement::text(const QString &value)
{
    m_pieces.append({Piece::Text, value, {}});
    return *this;
}

SqlStatement &SqlStatement::numberOrText(const QString &value)
{
    return isWholeNumber(value) ? sql(value) : text(value);
}

SqlStatement &SqlStatement::blob(const QString &name, const QByteArray &bytes)
{
    m_pieces.append({Piece::Blob, name, bytes});
    return *this;
}

SqlStatement &SqlStatement::append(const SqlStatement &other)
{
    m_pieces.append(other.m_pieces);
    return *this;
}

QString SqlStatement::renderedText() const
{
    QString out;
    for (const Piece &piece : m_pieces) {
        switch (piece.kind) {
        case Piece::Sql: out += piece.text; break;
        case Piece::Text: out += u'"' + doubledQuotes(piece.text) + u'"'; break;
        case Piece::Blob: out += u':' + piece.text; break;
        }
    }
    return out;
}

QString SqlStatement::parameterisedSql() const
{
    QString out;
    for (const Piece &piece : m_pieces)
        out += piece.kind == Piece::Sql ? piece.text : QStringLiteral("?");
    return out;
}

QList<QVariant> SqlStatement::parameters() const
{
    QList<QVariant> values;
    for (const Piece &piece : m_pieces) {
        if (piece.kind == Piece::Text)
            values.append(piece.text);
        else if (piece.kind == Piece::Blob)
            values.append(piece.bytes);
    }
    return values;
}

// ---- SqlQuery ----

SqlQuery::SqlQuery(sqlite3 *db, sqlite3_stmt *stmt) : m_db(db), m_stmt(stmt)
{
    m_eof = false;
    try {
        next();
    } catch (...) {
        sqlite3_finalize(m_stmt); // a throwing constructor runs no destructor
        throw;
    }
    m_empty = m_eof;
}

SqlQuery::SqlQuery(SqlQuery &&other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr)),
      m_eof(std::exchange(other.m_eof, true)), m_empty(std::exchange(other.m_empty, true)),
      m_connection(other.m_connection)
{
}

SqlQuery &SqlQuery::operator=(SqlQuery &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_eof = std::exchange(other.m_eof, true);
        m_empty = std::exchange(other.m_empty, true);
        m_connection = other.m_connection;
    }
    return *this;
}

SqlQuery::~SqlQuery()
{
    sqlite3_finalize(m_stmt);
}

int SqlQuery::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QString SqlQuery::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QStringList SqlQuery::columnNames() const
{
    QStringList names;
    for (int i = 0; i < columnCount(); ++i)
        names.append(columnName(i));
    return names;
}

int SqlQuery::columnIndex(const QString &name) const
{
    for (int i = 0; i < columnCount(); ++i) {
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void SqlQuery::next()
{
    if (m_eof || !m_stmt)
        return;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return;
    m_eof = true;
    if (rc != SQLITE_DONE)
        raise(m_db, rc);
}

bool SqlQuery::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool SqlQuery::isBlob(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_BLOB;
}

// One sqlite3_column_value and then the value routines, which take no connection mutex: three
// column calls per cell each locked it, and that cost as much as stepping a large result. Safe
// because a connection and its statements are used from one thread only.
QString SqlQuery::text(int column) const
{
    sqlite3_value *value = sqlite3_column_value(m_stmt, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_FLOAT:
        return realText(sqlite3_value_double(value));
    default: {
        const char *ptr = reinterpret_cast<const char *>(sqlite3_value_text(value));
        return QString::fromUtf8(ptr, sqlite3_value_bytes(value));
    }
    }
}

std::optional<QByteArrayView> SqlQuery::utf8(int column) const
{
    sqlite3_value *value = sqlite3_column_value(m_stmt, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL: return QByteArrayView();
    case SQLITE_FLOAT: return std::nullopt;
    default: {
        const char *ptr = reinterpret_cast<const char *>(sqlite3_value_text(value));
        return QByteArrayView(ptr, sqlite3_value_bytes(value));
    }
    }
}

QString SqlQuery::text(const QString &name) const
{
    const int column = columnIndex(name);
    return column < 0 ? QString() : text(column);
}

qint64 SqlQuery::integer(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return sqlite3_column_int64(m_stmt, column);
    default: {
        const QString value = text(column);
        bool ok = false;
        const qint64 number = value.trimmed().toLongLong(&ok);
        if (!ok)
            throw ConversionError(u'\'' + value + QStringLiteral("' is not a valid integer value"));
        return number;
    }
    }
}

QByteArray SqlQuery::bytes(int column) const
{
    const char *ptr = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(ptr, sqlite3_column_bytes(m_stmt, column));
}

// ---- SqlConnection ----

SqlConnection::SqlConnection() = default;

SqlConnection::~SqlConnection()
{
    close();
}

void SqlConnection::setDatabase(const QString &path)
{
    m_path = path;
}

void SqlConnection::open()
{
    close();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(m_path.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        throw DatabaseError(message);
    }
    sqlite3_busy_timeout(db, 5000);
    try {
        executeText(db, QStringLiteral("PRAGMA foreign_keys=ON;"), {});
        // SQLite reads the file lazily: touching the schema makes a non-database fail here.
        executeText(db, QStringLiteral("SELECT count(*) FROM sqlite_master;"), {});
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    m_db = db;
}

void SqlConnection::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void SqlConnection::execute(const QString &sql)
{
    executeText(m_db, sql, {});
}

void SqlConnection::execute(const SqlStatement &statement)
{
    executeText(m_db, statement.parameterisedSql(), statement.parameters());
}

void SqlConnection::executeWithBlobs(const QString &sql, const QList<QByteArray> &values)
{
    QList<QVariant> parameters;
    for (const QByteArray &value : values)
        parameters.append(value);
    executeText(m_db, markersToParameters(sql), parameters);
}

SqlQuery SqlConnection::query(const QString &sql)
{
    return query(SqlStatement(sql));
}

SqlQuery SqlConnection::query(const SqlStatement &statement)
{
    if (!m_db)
        throw DatabaseError(QStringLiteral("Database is not open"));
    const QByteArray utf8 = statement.parameterisedSql().toUtf8();
    int offset = 0;
    sqlite3_stmt *stmt = prepareNext(m_db, utf8, offset);
    if (!stmt)
        throw DatabaseError(QStringLiteral("not an SQL statement"));
    try {
        bindAll(m_db, stmt, statement.parameters());
    } catch (...) {
        sqlite3_finalize(stmt);
        throw;
    }
    SqlQuery result(m_db, stmt);
    result.m_connection = this;
    return result;
}

} // namespace tarvo

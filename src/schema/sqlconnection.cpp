#include "schema/sqlconnection.h"

#include "platform/errors.h"
#include "schema/valueconventions.h"

#include <sqlite3.h>
#include <utility>

namespace tarvo {

namespace {

bool isBusy(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

[[noreturn]] void raise(sqlite3 *db)
{
    const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
    if (db && isBusy(sqlite3_extended_errcode(db)))
        throw DatabaseBusyError(message);
    throw DatabaseError(message);
}

[[noreturn]] void raise(sqlite3 *db, int rc)
{
    // Without a handle (or when the handle holds no error yet) the code's own text is all we have.
    if (db && sqlite3_errcode(db) != SQLITE_OK)
        raise(db);
    if (isBusy(rc))
        throw DatabaseBusyError(QString::fromUtf8(sqlite3_errstr(rc)));
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
StatementHandle prepareNext(sqlite3 *db, const QByteArray &utf8, int &offset)
{
    sqlite3_stmt *stmt = nullptr;
    const char *start = utf8.constData() + offset;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, start, int(utf8.size() - offset), &stmt, &tail);
    StatementHandle handle(stmt);
    if (rc != SQLITE_OK)
        raise(db, rc);
    offset = tail ? int(tail - utf8.constData()) : int(utf8.size());
    return handle;
}

void runToEnd(sqlite3 *db, sqlite3_stmt *stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        raise(db, rc);
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
        const StatementHandle stmt = prepareNext(db, utf8, offset);
        if (!stmt)
            break;
        const int count = sqlite3_bind_parameter_count(stmt.get());
        bindAll(db, stmt.get(), values.mid(used, count));
        used += count;
        runToEnd(db, stmt.get());
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

SqlQuery::SqlQuery(sqlite3 *db, StatementHandle owned, sqlite3_stmt *kept, bool *inUse)
    : m_db(db), m_owned(std::move(owned)), m_stmt(m_owned ? m_owned.get() : kept), m_inUse(inUse)
{
    if (m_inUse)
        *m_inUse = true;
}

SqlQuery::SqlQuery(SqlQuery &&other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_owned(std::move(other.m_owned)),
      m_stmt(std::exchange(other.m_stmt, nullptr)), m_inUse(std::exchange(other.m_inUse, nullptr)),
      m_connection(other.m_connection),
      m_eof(std::exchange(other.m_eof, true)), m_empty(std::exchange(other.m_empty, true))
{
}

SqlQuery &SqlQuery::operator=(SqlQuery &&other) noexcept
{
    if (this != &other) {
        handBack();
        m_db = std::exchange(other.m_db, nullptr);
        m_owned = std::move(other.m_owned);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_inUse = std::exchange(other.m_inUse, nullptr);
        m_connection = other.m_connection;
        m_eof = std::exchange(other.m_eof, true);
        m_empty = std::exchange(other.m_empty, true);
    }
    return *this;
}

SqlQuery::~SqlQuery()
{
    handBack();
}

// A kept statement is reset for its next use, which also gives up the read lock that an
// unfinished statement holds; an owned one is finalized with m_owned.
void SqlQuery::handBack()
{
    if (m_inUse) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        *std::exchange(m_inUse, nullptr) = false;
    }
}

void SqlQuery::start()
{
    m_eof = false;
    next();
    m_empty = m_eof;
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

QVariant SqlQuery::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_BLOB: return QVariant(bytes(column));
    default: return QVariant(text(column));
    }
}

bool SqlQuery::holds(int column, const QVariant &earlier) const
{
    sqlite3_value *value = sqlite3_column_value(m_stmt, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return !earlier.isValid();
    case SQLITE_INTEGER:
        return earlier.typeId() == QMetaType::LongLong && earlier.toLongLong() == sqlite3_value_int64(value);
    case SQLITE_FLOAT:
        return earlier.typeId() == QMetaType::Double && earlier.toDouble() == sqlite3_value_double(value);
    case SQLITE_BLOB: {
        if (earlier.typeId() != QMetaType::QByteArray)
            return false;
        const auto *ptr = static_cast<const char *>(sqlite3_value_blob(value));
        return QByteArrayView(ptr, sqlite3_value_bytes(value)) == *static_cast<const QByteArray *>(earlier.constData());
    }
    default: {
        if (earlier.typeId() != QMetaType::QString)
            return false;
        const auto *ptr = reinterpret_cast<const char *>(sqlite3_value_text(value));
        return QAnyStringView::equal(QUtf8StringView(ptr, sqlite3_value_bytes(value)),
                                     *static_cast<const QString *>(earlier.constData()));
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
    sqlite3_update_hook(db, &SqlConnection::rememberChange, this);
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

void SqlConnection::rememberChange(void *self, int, const char *, const char *table, long long)
{
    auto *connection = static_cast<SqlConnection *>(self);
    // Bulk statements change one table row after row: only a new name costs a conversion.
    if (connection->m_lastChangedTable == table)
        return;
    connection->m_lastChangedTable = table;
    const QString name = QString::fromUtf8(table);
    if (!connection->m_changedTables.contains(name))
        connection->m_changedTables.append(name);
}

QStringList SqlConnection::takeChangedTables()
{
    m_lastChangedTable.clear();
    return std::exchange(m_changedTables, {});
}

qint64 SqlConnection::dataVersion()
{
    return query(QStringLiteral("PRAGMA data_version")).integer(0);
}

void SqlConnection::close()
{
    m_kept.clear();
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
    int offset = 0;
    StatementHandle stmt = prepareNext(m_db, statement.parameterisedSql().toUtf8(), offset);
    if (!stmt)
        throw DatabaseError(QStringLiteral("not an SQL statement"));
    return run(SqlQuery(m_db, std::move(stmt), nullptr, nullptr), statement);
}

SqlQuery SqlConnection::queryKept(const SqlStatement &statement)
{
    if (!m_db)
        throw DatabaseError(QStringLiteral("Database is not open"));
    const QByteArray utf8 = statement.parameterisedSql().toUtf8();
    KeptStatement &kept = m_kept[utf8];
    if (kept.inUse) // the same text read twice at once: the second gets a statement of its own
        return query(statement);
    if (!kept.stmt) {
        int offset = 0;
        kept.stmt = prepareNext(m_db, utf8, offset);
        if (!kept.stmt) {
            m_kept.erase(utf8);
            throw DatabaseError(QStringLiteral("not an SQL statement"));
        }
    }
    return run(SqlQuery(m_db, nullptr, kept.stmt.get(), &kept.inUse), statement);
}

// Binds the values and steps to the first row; on an error the query's destructor releases the
// statement.
SqlQuery SqlConnection::run(SqlQuery query, const SqlStatement &statement)
{
    bindAll(m_db, query.m_stmt, statement.parameters());
    query.m_connection = this;
    query.start();
    return query;
}

// ---- SqlTransaction ----

SqlTransaction::SqlTransaction(SqlConnection &connection) : m_connection(connection)
{
    // IMMEDIATE takes the write lock now (waiting out the busy timeout), so what is read inside
    // the transaction cannot be changed by another writer before this one commits.
    m_connection.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

SqlTransaction::~SqlTransaction()
{
    rollback();
}

void SqlTransaction::rollback()
{
    // A failed COMMIT or a statement error may already have ended the transaction.
    if (!m_done && m_connection.handle() && !sqlite3_get_autocommit(m_connection.handle()))
        sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_done = true;
}

void SqlTransaction::commit()
{
    m_connection.execute(QStringLiteral("COMMIT"));
    m_done = true;
}

} // namespace tarvo

#include "schema/sqlconnection.h"

#include "platform/errors.h"
#include "platform/interaction.h"
#include "schema/databaseengine.h"
#include "schema/databaselocation.h"
#include "schema/postgresengine.h"
#include "schema/sqliteengine.h"
#include "schema/valueconventions.h"

#include <utility>

namespace tarvo {

namespace {

QString parameterMarker(SqlDialect dialect, int n)
{
    return dialect == SqlDialect::Server ? u'$' + QString::number(n) : QStringLiteral("?");
}

// ":name" outside quoted text becomes "?" (or "$n"); quoted text is copied as it is.
QString markersToParameters(const QString &sql, SqlDialect dialect)
{
    int count = 0;
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
        } else if (c == u':' && i + 1 < sql.size() && (sql[i + 1].isLetterOrNumber() || sql[i + 1] == u'_')) {
            while (i + 1 < sql.size() && (sql[i + 1].isLetterOrNumber() || sql[i + 1] == u'_'))
                ++i;
            out += parameterMarker(dialect, ++count);
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
    m_pieces.append({Piece::Sql, piece, {}, {}});
    return *this;
}

SqlStatement &SqlStatement::text(const QString &value)
{
    m_pieces.append({Piece::Text, value, {}, {}});
    return *this;
}

SqlStatement &SqlStatement::numberOrText(const QString &value)
{
    return isWholeNumber(value) ? sql(value) : text(value);
}

SqlStatement &SqlStatement::matches(const QString &column, const QString &pattern)
{
    m_pieces.append({Piece::Match, pattern, column, {}});
    return *this;
}

SqlStatement &SqlStatement::blob(const QString &name, const QByteArray &bytes)
{
    m_pieces.append({Piece::Blob, name, {}, bytes});
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
        case Piece::Sql:
            out += piece.text;
            break;
        case Piece::Text:
            out += u'"' + doubledQuotes(piece.text) + u'"';
            break;
        case Piece::Blob:
            out += u':' + piece.text;
            break;
        case Piece::Match:
            out += piece.column + QStringLiteral(" LIKE \"") + doubledQuotes(piece.text) + u'"';
            break;
        }
    }
    return out;
}

// The server's ILIKE folds case by its own Unicode rules; normalize() puts both sides in NFC, and
// ESCAPE '' keeps a backslash an ordinary character, as it is in the file database's LIKE.
QString SqlStatement::parameterisedSql(SqlDialect dialect) const
{
    QString out;
    int count = 0;
    for (const Piece &piece : m_pieces) {
        if (piece.kind == Piece::Sql)
            out += piece.text;
        else if (piece.kind != Piece::Match)
            out += parameterMarker(dialect, ++count);
        else if (dialect == SqlDialect::File)
            out += piece.column + QStringLiteral(" LIKE ") + parameterMarker(dialect, ++count);
        else
            out += QStringLiteral("normalize(CAST(%1 AS TEXT), NFC) ILIKE normalize(%2, NFC) ESCAPE ''")
                       .arg(piece.column, parameterMarker(dialect, ++count));
    }
    return out;
}

QList<QVariant> SqlStatement::parameters() const
{
    QList<QVariant> values;
    for (const Piece &piece : m_pieces) {
        if (piece.kind == Piece::Text || piece.kind == Piece::Match)
            values.append(piece.text);
        else if (piece.kind == Piece::Blob)
            values.append(piece.bytes);
    }
    return values;
}

// ---- SqlQuery ----

SqlQuery::SqlQuery(std::unique_ptr<ResultCursor> cursor, SqlConnection *connection)
    : m_cursor(std::move(cursor)), m_connection(connection)
{
    m_eof = !m_cursor->step();
    m_empty = m_eof;
}

// A moved-from query reads as finished.
SqlQuery::SqlQuery(SqlQuery &&other) noexcept
    : m_cursor(std::move(other.m_cursor)), m_connection(other.m_connection), m_eof(std::exchange(other.m_eof, true)),
      m_empty(std::exchange(other.m_empty, true))
{
}

SqlQuery &SqlQuery::operator=(SqlQuery &&other) noexcept
{
    m_cursor = std::move(other.m_cursor);
    m_connection = other.m_connection;
    m_eof = std::exchange(other.m_eof, true);
    m_empty = std::exchange(other.m_empty, true);
    return *this;
}
SqlQuery::~SqlQuery() = default;

int SqlQuery::columnCount() const
{
    return m_cursor ? m_cursor->columnCount() : 0;
}

QString SqlQuery::columnName(int column) const
{
    return m_cursor->columnName(column);
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
    if (m_eof || !m_cursor)
        return;
    m_eof = true; // stays at the end when the step fails
    m_eof = !m_cursor->step();
}

bool SqlQuery::isNull(int column) const
{
    return m_cursor->isNull(column);
}
bool SqlQuery::isBlob(int column) const
{
    return m_cursor->isBlob(column);
}
QString SqlQuery::text(int column) const
{
    return m_cursor->text(column);
}
std::optional<QByteArrayView> SqlQuery::utf8(int column) const
{
    return m_cursor->utf8(column);
}
qint64 SqlQuery::integer(int column) const
{
    return m_cursor->integer(column);
}
QByteArray SqlQuery::bytes(int column) const
{
    return m_cursor->bytes(column);
}
QVariant SqlQuery::value(int column) const
{
    return m_cursor->value(column);
}
bool SqlQuery::holds(int column, const QVariant &earlier) const
{
    return m_cursor->holds(column, earlier);
}

QString SqlQuery::text(const QString &name) const
{
    const int column = columnIndex(name);
    return column < 0 ? QString() : text(column);
}

// ---- SqlConnection ----

SqlConnection::SqlConnection() = default;

SqlConnection::~SqlConnection() = default;

void SqlConnection::setDatabase(const QString &location)
{
    if (location != m_location)
        m_password.clear();
    m_location = location;
}

void SqlConnection::open()
{
    close();
    if (!isServerLocation(m_location)) {
        m_engine = std::make_unique<SqliteEngine>(m_location);
        return;
    }
    // Asked again after a refusal; cancelling ends the attempt with the server's request.
    for (;;) {
        try {
            m_engine = std::make_unique<PostgresEngine>(m_location, m_password);
            return;
        } catch (const PasswordRequiredError &request) {
            const QString prompt = m_password.isEmpty()
                                       ? request.message()
                                       : QStringLiteral("The password was refused. ") + request.message();
            const std::optional<QString> password = interaction().askPassword(nullptr, prompt);
            if (!password || password->isEmpty())
                throw DatabaseError(request.message() + QStringLiteral(" No password was given."));
            m_password = *password;
        }
    }
}

void SqlConnection::close()
{
    m_engine.reset();
}

DatabaseEngine &SqlConnection::engine() const
{
    if (!m_engine)
        throw DatabaseError(QStringLiteral("Database is not open"));
    return *m_engine;
}

sqlite3 *SqlConnection::handle() const
{
    const auto *file = dynamic_cast<const SqliteEngine *>(m_engine.get());
    return file ? file->handle() : nullptr;
}

void SqlConnection::execute(const QString &sql)
{
    engine().execute(sql, {});
}

void SqlConnection::execute(const SqlStatement &statement)
{
    DatabaseEngine &db = engine();
    db.execute(statement.parameterisedSql(db.dialect()), statement.parameters());
}

void SqlConnection::executeWithBlobs(const QString &sql, const QList<QByteArray> &values)
{
    DatabaseEngine &db = engine();
    QList<QVariant> parameters;
    for (const QByteArray &value : values)
        parameters.append(value);
    db.execute(markersToParameters(sql, db.dialect()), parameters);
}

SqlQuery SqlConnection::query(const QString &sql)
{
    return run(SqlStatement(sql), false);
}

SqlQuery SqlConnection::query(const SqlStatement &statement)
{
    return run(statement, false);
}

SqlQuery SqlConnection::queryKept(const SqlStatement &statement)
{
    return run(statement, true);
}

SqlQuery SqlConnection::run(const SqlStatement &statement, bool reuse)
{
    DatabaseEngine &db = engine();
    return SqlQuery(db.query(statement.parameterisedSql(db.dialect()), statement.parameters(), reuse), this);
}

bool SqlConnection::othersChanged()
{
    return engine().othersChanged();
}

QStringList SqlConnection::takeChangedTables()
{
    return engine().takeChangedTables();
}

int SqlConnection::changeNoticeSocket() const
{
    return m_engine ? m_engine->changeNoticeSocket() : -1;
}

QStringList SqlConnection::foreignKeyColumns(const QString &table)
{
    return engine().foreignKeyColumns(table);
}

QStringList SqlConnection::tableNames()
{
    return engine().tableNames();
}

void SqlConnection::createSchema(const QList<TableDefinition> &tables)
{
    engine().createSchema(tables);
}

void SqlConnection::shareTables(const QStringList &tables)
{
    engine().shareTables(tables);
}

// ---- SqlTransaction ----

SqlTransaction::SqlTransaction(SqlConnection &connection) : m_connection(connection)
{
    m_connection.engine().beginWrite();
}

SqlTransaction::~SqlTransaction()
{
    rollback();
}

void SqlTransaction::rollback()
{
    if (!m_done && m_connection.isOpen())
        m_connection.engine().rollback();
    m_done = true;
}

void SqlTransaction::commit()
{
    m_connection.engine().commit();
    m_done = true;
}

} // namespace tarvo

#include "schema/postgresengine.h"

#include "schema/databaselocation.h"
#include "schema/valueconventions.h"

#include <charconv>
#include <libpq-fe.h>
#include <utility>
#include <vector>

namespace tarvo {

namespace {

struct ResultDeleter {
    void operator()(PGresult *result) const { PQclear(result); }
};
using ResultHandle = std::unique_ptr<PGresult, ResultDeleter>;

// The channel of the change triggers; the payload names the changed table.
constexpr const char *kChannel = "tarvo_changes";

// Server error codes that mean "another connection holds what this one waits for".
bool isBusyState(const char *state)
{
    static const char *const busy[] = {"55P03" /* lock_not_available */, "40001" /* serialization_failure */,
                                       "40P01" /* deadlock_detected */};
    for (const char *code : busy)
        if (state && qstrcmp(state, code) == 0)
            return true;
    return false;
}

QString trimmedMessage(const char *text)
{
    return QString::fromUtf8(text).trimmed();
}

enum class Kind { Integer, Real, Boolean, Bytes, Text };

Kind kindOf(Oid type)
{
    switch (type) {
    case 20:
    case 21:
    case 23:
    case 26:
        return Kind::Integer; // int8, int2, int4, oid
    case 700:
    case 701:
    case 1700:
        return Kind::Real; // float4, float8, numeric
    case 16:
        return Kind::Boolean;
    case 17:
        return Kind::Bytes;
    default:
        return Kind::Text;
    }
}

// A whole result, read forward in place: the values stay libpq's texts until asked for.
class PostgresCursor final : public ResultCursor {
public:
    explicit PostgresCursor(ResultHandle result) : m_result(std::move(result)), m_rows(PQntuples(m_result.get()))
    {
        const int columns = PQnfields(m_result.get());
        m_kinds.reserve(columns);
        for (int c = 0; c < columns; ++c)
            m_kinds.push_back(kindOf(PQftype(m_result.get(), c)));
    }

    int columnCount() const override { return int(m_kinds.size()); }
    QString columnName(int column) const override { return QString::fromUtf8(PQfname(m_result.get(), column)); }
    bool step() override { return ++m_row < m_rows; }

    bool isNull(int column) const override { return PQgetisnull(m_result.get(), m_row, column); }
    bool isBlob(int column) const override { return m_kinds[column] == Kind::Bytes && !isNull(column); }

    QString text(int column) const override
    {
        if (isNull(column))
            return QString();
        switch (m_kinds[column]) {
        case Kind::Real:
            return realText(real(column));
        case Kind::Boolean:
            return raw(column) == "t" ? QStringLiteral("1") : QStringLiteral("0");
        case Kind::Bytes:
            return QString::fromUtf8(bytes(column));
        default:
            return QString::fromUtf8(raw(column));
        }
    }

    std::optional<QByteArrayView> utf8(int column) const override
    {
        if (isNull(column))
            return QByteArrayView();
        switch (m_kinds[column]) {
        case Kind::Integer:
        case Kind::Text:
            return raw(column);
        case Kind::Boolean:
            return raw(column) == "t" ? QByteArrayView("1") : QByteArrayView("0");
        default:
            return std::nullopt;
        }
    }

    qint64 integer(int column) const override
    {
        if (isNull(column))
            return 0;
        switch (m_kinds[column]) {
        case Kind::Integer: {
            const QByteArrayView digits = raw(column);
            qint64 number = 0;
            std::from_chars(digits.begin(), digits.end(), number);
            return number;
        }
        case Kind::Boolean:
            return raw(column) == "t" ? 1 : 0;
        default:
            return integerOfText(text(column));
        }
    }

    QByteArray bytes(int column) const override
    {
        if (m_kinds[column] != Kind::Bytes)
            return raw(column).toByteArray();
        size_t length = 0;
        unsigned char *decoded =
            PQunescapeBytea(reinterpret_cast<const unsigned char *>(PQgetvalue(m_result.get(), m_row, column)),
                            &length);
        const QByteArray out(reinterpret_cast<const char *>(decoded), qsizetype(length));
        PQfreemem(decoded);
        return out;
    }

    QVariant value(int column) const override
    {
        if (isNull(column))
            return QVariant();
        switch (m_kinds[column]) {
        case Kind::Integer:
        case Kind::Boolean:
            return QVariant(integer(column));
        case Kind::Real:
            return QVariant(real(column));
        case Kind::Bytes:
            return QVariant(bytes(column));
        default:
            return QVariant(QString::fromUtf8(raw(column)));
        }
    }

    bool holds(int column, const QVariant &earlier) const override
    {
        const QVariant now = value(column);
        return now.typeId() == earlier.typeId() && now == earlier;
    }

private:
    QByteArrayView raw(int column) const
    {
        return QByteArrayView(PQgetvalue(m_result.get(), m_row, column), PQgetlength(m_result.get(), m_row, column));
    }
    double real(int column) const { return std::strtod(PQgetvalue(m_result.get(), m_row, column), nullptr); }

    ResultHandle m_result;
    int m_rows;
    int m_row = -1;
    std::vector<Kind> m_kinds;
};

// The columns of a new table on the server. Integers are 64 bits, as in the file database.
QString serverType(const QString &type)
{
    static const QList<QPair<QStringList, QString>> mapped = {
        {{QStringLiteral("INTEGER"), QStringLiteral("INT")}, QStringLiteral("BIGINT")},
        {{QStringLiteral("REAL"), QStringLiteral("FLOAT"), QStringLiteral("DOUBLE")},
         QStringLiteral("DOUBLE PRECISION")},
        {{QStringLiteral("BLOB")}, QStringLiteral("BYTEA")},
        {{QString()}, QStringLiteral("TEXT")}, // no declared type: the file database keeps any value
    };
    for (const auto &[words, serverWord] : mapped)
        if (words.contains(type.trimmed(), Qt::CaseInsensitive))
            return serverWord;
    return type;
}

QString serverCreateStatement(const TableDefinition &table)
{
    QString sql = QStringLiteral("CREATE TABLE ") + table.name
                  + QStringLiteral(" (id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    for (const ColumnDefinition &column : table.columns)
        sql += QStringLiteral(", ") + column.name + u' ' + serverType(column.type)
               + (column.notNull ? QStringLiteral(" NOT NULL") : QString());
    return sql + u')';
}

// Added after all tables exist: the server checks that a referenced table is there.
QString serverForeignKey(const TableDefinition &table, const ColumnDefinition &key)
{
    return QStringLiteral("ALTER TABLE ") + table.name + QStringLiteral(" ADD FOREIGN KEY (") + key.name
           + QStringLiteral(") REFERENCES ") + key.type + QStringLiteral("(id) ON DELETE CASCADE");
}

void ignoreNotice(void *, const char *) {}

} // namespace

PostgresEngine::PostgresEngine(const QString &location, const QString &password) : m_location(location)
{
    char *parseError = nullptr;
    PQconninfoOption *parsed = PQconninfoParse(location.toUtf8().constData(), &parseError);
    if (!parsed) {
        const QString reason = parseError ? trimmedMessage(parseError) : QStringLiteral("out of memory");
        PQfreemem(parseError);
        throw DatabaseError(QStringLiteral("The database server address cannot be read: ") + reason);
    }
    PQconninfoFree(parsed);

    // Later entries win over what the address says, earlier ones give way to it: a timeout of its
    // own in the address counts, the encoding never changes.
    const QByteArray address = location.toUtf8();
    const QByteArray secret = password.toUtf8();
    std::vector<const char *> keys = {"connect_timeout", "fallback_application_name", "dbname", "client_encoding"};
    std::vector<const char *> values = {"10", "tarvo", address.constData(), "UTF8"};
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(secret.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_conn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString reason = trimmedMessage(PQerrorMessage(m_conn));
        // A refused password counts as none: the user is asked (again).
        const bool wantsPassword = PQconnectionNeedsPassword(m_conn) || PQconnectionUsedPassword(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        const QString where = serverDescription(location);
        if (wantsPassword)
            throw PasswordRequiredError(QStringLiteral("The database server (%1) asks for a password.").arg(where));
        throw DatabaseError(QStringLiteral("The database server cannot be reached (%1): %2").arg(where, reason));
    }
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    try {
        setUpSession();
    } catch (...) {
        PQfinish(m_conn);
        throw;
    }
}

PostgresEngine::~PostgresEngine()
{
    PQfinish(m_conn);
}

// A wait for a lock ends after the same 5 s as with the file database; changes arrive as
// notifications from the triggers that come with the schema. Opening changes nothing in the
// database: a connection may only be looking (the options dialog's test).
void PostgresEngine::setUpSession()
{
    // Backslashes in a '…' literal stay text, as placeholder values are escaped for (E'…' aside).
    execute(QStringLiteral("SET lock_timeout = '5s'; SET bytea_output = 'hex'; SET standard_conforming_strings = on; "
                           "LISTEN ")
                + QLatin1String(kChannel),
            {});
}

void PostgresEngine::shareTables(const QStringList &tables)
{
    if (firstColumn(query(QStringLiteral("SELECT to_regclass('tarvo_writer') IS NOT NULL"), {}, false))
        == QStringList{QStringLiteral("1")})
        return;
    execute(QStringLiteral("BEGIN"), {});
    try {
        followChangesOf(tables);
        execute(QStringLiteral("COMMIT"), {});
    } catch (...) {
        rollback();
        throw;
    }
}

// The one row every writer updates first: writers take turns as with the file database, so the
// check against other users' changes and the record counter cannot be overtaken. The trigger
// function names the changed table to every listening connection.
void PostgresEngine::followChangesOf(const QStringList &tables)
{
    QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS tarvo_writer (turn BIGINT NOT NULL);"
                                 "INSERT INTO tarvo_writer SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM tarvo_writer);"
                                 "CREATE OR REPLACE FUNCTION tarvo_notify_change() RETURNS trigger LANGUAGE plpgsql AS "
                                 "$$BEGIN PERFORM pg_notify('tarvo_changes', TG_TABLE_NAME); RETURN NULL; END$$;");
    for (const QString &table : tables)
        if (table != QLatin1String("tarvo_writer"))
            sql += QStringLiteral("CREATE OR REPLACE TRIGGER tarvo_changes AFTER INSERT OR UPDATE OR DELETE ON ")
                   + table + QStringLiteral(" FOR EACH STATEMENT EXECUTE FUNCTION tarvo_notify_change();");
    execute(sql, {});
}

// The connection, made again when the server went away since the last action.
PGconn *PostgresEngine::connected()
{
    if (PQstatus(m_conn) == CONNECTION_OK)
        return m_conn;
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        throw DatabaseError(QStringLiteral("The database server cannot be reached (%1): %2")
                                .arg(serverDescription(m_location), trimmedMessage(PQerrorMessage(m_conn))));
    setUpSession();
    return m_conn;
}

namespace {

ResultHandle run(PGconn *conn, const QString &sql, const QList<QVariant> &values)
{
    const QByteArray text = sql.toUtf8();
    if (values.isEmpty()) // several statements may stand in a text without parameters
        return ResultHandle(PQexec(conn, text.constData()));
    std::vector<QByteArray> kept;
    std::vector<const char *> pointers;
    std::vector<int> lengths, formats;
    kept.reserve(values.size());
    for (const QVariant &value : values) {
        const bool isBytes = value.typeId() == QMetaType::QByteArray;
        kept.push_back(isBytes ? value.toByteArray() : value.toString().toUtf8());
        pointers.push_back(kept.back().constData());
        lengths.push_back(int(kept.back().size()));
        formats.push_back(isBytes ? 1 : 0);
    }
    return ResultHandle(PQexecParams(conn, text.constData(), int(values.size()), nullptr, pointers.data(),
                                     lengths.data(), formats.data(), 0));
}

} // namespace

void PostgresEngine::execute(const QString &sql, const QList<QVariant> &values)
{
    PGconn *conn = connected();
    const ResultHandle result = run(conn, sql, values);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY)
        return;
    raise(result.get());
}

std::unique_ptr<ResultCursor> PostgresEngine::query(const QString &sql, const QList<QVariant> &values, bool)
{
    PGconn *conn = connected();
    ResultHandle result = run(conn, sql, values);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_EMPTY_QUERY)
        throw DatabaseError(QStringLiteral("not an SQL statement"));
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        raise(result.get());
    return std::make_unique<PostgresCursor>(std::move(result));
}

void PostgresEngine::raise(const PGresult *result)
{
    if (PQstatus(m_conn) != CONNECTION_OK)
        throw DatabaseError(QStringLiteral("The connection to the database server (%1) was lost: %2 "
                                           "The next action connects again.")
                                .arg(serverDescription(m_location), trimmedMessage(PQerrorMessage(m_conn))));
    const char *primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    const QString message = primary ? QString::fromUtf8(primary) : trimmedMessage(PQerrorMessage(m_conn));
    if (isBusyState(PQresultErrorField(result, PG_DIAG_SQLSTATE)))
        throw DatabaseBusyError(message);
    throw DatabaseError(message);
}

void PostgresEngine::beginWrite()
{
    execute(QStringLiteral("BEGIN"), {});
    try {
        execute(QStringLiteral("UPDATE tarvo_writer SET turn = turn + 1"), {});
    } catch (...) {
        rollback();
        throw;
    }
}

void PostgresEngine::commit()
{
    execute(QStringLiteral("COMMIT"), {});
}

void PostgresEngine::rollback()
{
    if (PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) != PQTRANS_IDLE)
        ResultHandle(PQexec(m_conn, "ROLLBACK"));
}

// Notifications of this connection's own commits come back to it too: they name what it changed.
void PostgresEngine::drainNotifications()
{
    if (PQstatus(m_conn) != CONNECTION_OK || !PQconsumeInput(m_conn))
        return;
    const int self = PQbackendPID(m_conn);
    while (PGnotify *notice = PQnotifies(m_conn)) {
        if (notice->be_pid != self) {
            m_othersChanged = true;
        } else {
            const QString table = QString::fromUtf8(notice->extra);
            if (!m_changedTables.contains(table, Qt::CaseInsensitive))
                m_changedTables.append(table);
        }
        PQfreemem(notice);
    }
}

// One round trip first: the server hands over the notices of commits made before it answers.
bool PostgresEngine::othersChanged()
{
    if (PQstatus(m_conn) == CONNECTION_OK)
        ResultHandle(PQexec(m_conn, ""));
    drainNotifications();
    return std::exchange(m_othersChanged, false);
}

QStringList PostgresEngine::takeChangedTables()
{
    drainNotifications();
    return std::exchange(m_changedTables, {});
}

int PostgresEngine::changeNoticeSocket() const
{
    return PQsocket(m_conn);
}

QStringList PostgresEngine::foreignKeyColumns(const QString &table)
{
    return firstColumn(
        query(QStringLiteral(
                  "SELECT a.attname FROM pg_constraint c JOIN pg_attribute a ON a.attrelid = c.conrelid "
                  "AND a.attnum = ANY (c.conkey) WHERE c.contype = 'f' AND c.conrelid = to_regclass(lower($1))"),
              {table}, false));
}

QStringList PostgresEngine::tableNames()
{
    return firstColumn(query(QStringLiteral("SELECT lower(table_name) FROM information_schema.tables "
                                            "WHERE table_schema = current_schema() AND table_type = 'BASE TABLE'"),
                             {}, false));
}

// All tables or none: a failure rolls back what ran before it.
void PostgresEngine::createSchema(const QList<TableDefinition> &tables)
{
    execute(QStringLiteral("BEGIN"), {});
    try {
        QStringList names;
        for (const TableDefinition &table : tables) {
            execute(serverCreateStatement(table), {});
            names << table.name;
        }
        for (const TableDefinition &table : tables)
            for (const ColumnDefinition &key : table.foreignKeys)
                execute(serverForeignKey(table, key), {});
        followChangesOf(names);
        execute(QStringLiteral("COMMIT"), {});
    } catch (...) {
        rollback();
        throw;
    }
}

} // namespace tarvo

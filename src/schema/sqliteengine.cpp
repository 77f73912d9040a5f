#include "schema/sqliteengine.h"

#include "platform/errors.h"
#include "platform/workprogress.h"
#include "schema/textmatch.h"
#include "schema/valueconventions.h"

#include <array>
#include <charconv>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace tarvo {

namespace {

bool isBusy(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

[[noreturn]] void raise(sqlite3 *db)
{
    // Only the progress handler interrupts, when the user cancels long work.
    if (db && sqlite3_errcode(db) == SQLITE_INTERRUPT)
        throw SilentAbort();
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
            rc = sqlite3_bind_blob64(stmt, i + 1, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        } else {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, i + 1, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
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

QStringView textOf(sqlite3_value *value, QString &buffer)
{
    const auto *ptr = reinterpret_cast<const char *>(sqlite3_value_text(value));
    buffer = QString::fromUtf8(ptr, sqlite3_value_bytes(value));
    return buffer;
}

void destroyPattern(void *pattern)
{
    delete static_cast<TextPattern *>(pattern);
}

// like(pattern, text[, escape]): SQLite's own LIKE folds ASCII letters only; this one matches
// "müller" with "MÜLLER" and a decomposed "á" with a composed one, as the server does.
void unicodeLike(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return; // NULL, as with the built-in LIKE
    QChar escape;
    if (argc == 3) {
        QString escapeText;
        textOf(argv[2], escapeText);
        if (escapeText.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = escapeText.front();
    }
    QString text;
    textOf(argv[1], text);
    // The pattern is made once per statement and kept with it; SQLite frees it when it cannot keep it.
    const auto *kept = static_cast<const TextPattern *>(sqlite3_get_auxdata(context, 0));
    if (kept && kept->escape() == escape) {
        sqlite3_result_int(context, kept->matches(text) ? 1 : 0);
        return;
    }
    QString patternText;
    auto *pattern = new TextPattern(textOf(argv[0], patternText), escape);
    sqlite3_result_int(context, pattern->matches(text) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, pattern, destroyPattern);
}

class SqliteCursor final : public ResultCursor {
public:
    // Either owns its statement, or uses one the engine keeps for reuse (`kept`, with its in-use
    // flag), which it resets and hands back when done.
    SqliteCursor(sqlite3 *db, StatementHandle owned, sqlite3_stmt *kept, bool *inUse)
        : m_db(db), m_owned(std::move(owned)), m_stmt(m_owned ? m_owned.get() : kept), m_inUse(inUse)
    {
        if (m_inUse)
            *m_inUse = true;
    }
    ~SqliteCursor() override
    {
        // Resetting a kept statement also gives up the read lock that an unfinished one holds.
        if (m_inUse) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
            *m_inUse = false;
        }
    }
    sqlite3_stmt *statement() const { return m_stmt; }

    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    QString columnName(int column) const override { return QString::fromUtf8(sqlite3_column_name(m_stmt, column)); }
    bool step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            raise(m_db, rc);
        return false;
    }

    bool isNull(int column) const override { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    bool isBlob(int column) const override { return sqlite3_column_type(m_stmt, column) == SQLITE_BLOB; }

    // One sqlite3_column_value and then the value routines, which take no connection mutex: three
    // column calls per cell each locked it, and that cost as much as stepping a large result. Safe
    // because a connection and its statements are used from one thread only.
    QString text(int column) const override
    {
        sqlite3_value *value = sqlite3_column_value(m_stmt, column);
        switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return QString();
        case SQLITE_FLOAT:
            return realText(sqlite3_value_double(value));
        case SQLITE_INTEGER:
            return QString::fromLatin1(digitsOf(column, sqlite3_value_int64(value)));
        default: {
            const char *ptr = reinterpret_cast<const char *>(sqlite3_value_text(value));
            return QString::fromUtf8(ptr, sqlite3_value_bytes(value));
        }
        }
    }

    std::optional<QByteArrayView> utf8(int column) const override
    {
        sqlite3_value *value = sqlite3_column_value(m_stmt, column);
        switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return QByteArrayView();
        case SQLITE_FLOAT:
            return std::nullopt;
        case SQLITE_INTEGER:
            return digitsOf(column, sqlite3_value_int64(value));
        default: {
            const char *ptr = reinterpret_cast<const char *>(sqlite3_value_text(value));
            return QByteArrayView(ptr, sqlite3_value_bytes(value));
        }
        }
    }

    // An integer's decimal text, written here: SQLite's own conversion allocates a text per value
    // and cost a grid of numbers a quarter of its fill. It stays valid until the next row, as a
    // column's text from SQLite does.
    QByteArrayView digitsOf(int column, qint64 number) const
    {
        if (m_digits.empty())
            m_digits.resize(size_t(columnCount()));
        std::array<char, 20> &buffer = m_digits[size_t(column)];
        const char *end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number).ptr;
        return QByteArrayView(buffer.data(), end - buffer.data());
    }

    qint64 integer(int column) const override
    {
        sqlite3_value *value = sqlite3_column_value(m_stmt, column);
        switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return 0;
        case SQLITE_INTEGER:
            return sqlite3_value_int64(value);
        default:
            return integerOfText(text(column));
        }
    }

    QByteArray bytes(int column) const override
    {
        const char *ptr = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QByteArray(ptr, sqlite3_column_bytes(m_stmt, column));
    }

    QVariant value(int column) const override
    {
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_INTEGER:
            return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(m_stmt, column));
        case SQLITE_BLOB:
            return QVariant(bytes(column));
        default:
            return QVariant(text(column));
        }
    }

    bool holds(int column, const QVariant &earlier) const override
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
            return QByteArrayView(ptr, sqlite3_value_bytes(value))
                   == *static_cast<const QByteArray *>(earlier.constData());
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

private:
    sqlite3 *m_db;
    StatementHandle m_owned;
    sqlite3_stmt *m_stmt;
    bool *m_inUse;
    mutable std::vector<std::array<char, 20>> m_digits; // one buffer a column: several stay readable at once
};

std::unique_ptr<ResultCursor> bound(std::unique_ptr<SqliteCursor> cursor, sqlite3 *db, const QList<QVariant> &values)
{
    bindAll(db, cursor->statement(), values);
    return cursor;
}

} // namespace

SqliteEngine::SqliteEngine(const QString &path)
{
    // A connection and its statements are used from one thread at a time: SQLite's own locking of
    // each call would only cost time.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        sqlite3_close(m_db);
        throw DatabaseError(message);
    }
    sqlite3_busy_timeout(m_db, 5000);
    // A statement that sorts a large result works long before its first row: meanwhile the
    // windows repaint, and Cancel in the progress window interrupts it.
    sqlite3_progress_handler(
        m_db, 20000, [](void *) { return WorkProgress::pulse() ? 0 : 1; }, nullptr);
    sqlite3_update_hook(m_db, &SqliteEngine::rememberChange, this);
    for (int arguments : {2, 3})
        sqlite3_create_function(m_db, "like", arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, unicodeLike,
                                nullptr, nullptr);
    try {
        execute(QStringLiteral("PRAGMA foreign_keys=ON;"), {});
        // SQLite reads the file lazily: touching the schema makes a non-database fail here.
        execute(QStringLiteral("SELECT count(*) FROM sqlite_master;"), {});
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SqliteEngine::~SqliteEngine()
{
    m_kept.clear();
    sqlite3_close_v2(m_db);
}

// Runs every statement of the text; parameters are bound to the statement that holds them.
void SqliteEngine::execute(const QString &sql, const QList<QVariant> &values)
{
    const QByteArray utf8 = sql.toUtf8();
    int offset = 0;
    int used = 0;
    while (offset < utf8.size()) {
        const StatementHandle stmt = prepareNext(m_db, utf8, offset);
        if (!stmt)
            break;
        const int count = sqlite3_bind_parameter_count(stmt.get());
        bindAll(m_db, stmt.get(), values.mid(used, count));
        used += count;
        runToEnd(m_db, stmt.get());
    }
}

std::unique_ptr<ResultCursor> SqliteEngine::query(const QString &sql, const QList<QVariant> &values, bool reuse)
{
    const QByteArray utf8 = sql.toUtf8();
    if (reuse) {
        KeptStatement &kept = m_kept[utf8];
        if (!kept.inUse) { // the same text read twice at once: the second gets a statement of its own
            if (!kept.stmt) {
                int offset = 0;
                kept.stmt = prepareNext(m_db, utf8, offset);
                if (!kept.stmt) {
                    m_kept.erase(utf8);
                    throw DatabaseError(QStringLiteral("not an SQL statement"));
                }
            }
            return bound(std::make_unique<SqliteCursor>(m_db, nullptr, kept.stmt.get(), &kept.inUse), m_db, values);
        }
    }
    int offset = 0;
    StatementHandle stmt = prepareNext(m_db, utf8, offset);
    if (!stmt)
        throw DatabaseError(QStringLiteral("not an SQL statement"));
    return bound(std::make_unique<SqliteCursor>(m_db, std::move(stmt), nullptr, nullptr), m_db, values);
}

// IMMEDIATE takes the write lock now (waiting out the busy timeout), so what is read inside the
// transaction cannot be changed by another writer before this one commits.
void SqliteEngine::beginWrite()
{
    execute(QStringLiteral("BEGIN IMMEDIATE"), {});
}

void SqliteEngine::commit()
{
    execute(QStringLiteral("COMMIT"), {});
}

void SqliteEngine::rollback()
{
    // A failed COMMIT or a statement error may already have ended the transaction.
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteEngine::rememberChange(void *self, int, const char *, const char *table, long long)
{
    auto *engine = static_cast<SqliteEngine *>(self);
    // Bulk statements change one table row after row: only a new name costs a conversion.
    if (engine->m_lastChangedTable == table)
        return;
    engine->m_lastChangedTable = table;
    const QString name = QString::fromUtf8(table);
    if (!engine->m_changedTables.contains(name))
        engine->m_changedTables.append(name);
}

QStringList SqliteEngine::takeChangedTables()
{
    m_lastChangedTable.clear();
    return std::exchange(m_changedTables, {});
}

// The file's data_version moves with every commit of another connection; it does not say which
// tables changed.
bool SqliteEngine::othersChanged()
{
    const std::unique_ptr<ResultCursor> row = query(QStringLiteral("PRAGMA data_version"), {}, true);
    const qint64 version = row->step() ? row->integer(0) : 0;
    const bool changed = m_seenDataVersion && *m_seenDataVersion != version;
    m_seenDataVersion = version;
    return changed;
}

QStringList SqliteEngine::foreignKeyColumns(const QString &table)
{
    return firstColumn(query(QStringLiteral("SELECT \"from\" FROM pragma_foreign_key_list(?)"), {table}, false));
}

QStringList SqliteEngine::tableNames()
{
    return firstColumn(query(QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type='table'"), {}, false));
}

// One statement after the other, as written: the first failure stops the rest, and what ran stays.
void SqliteEngine::createSchema(const QList<TableDefinition> &tables)
{
    for (const TableDefinition &table : tables)
        execute(createTableStatement(table), {});
}

} // namespace tarvo

#pragma once
// The embedded engine: one SQLite database file through the SQLite C API.
#include "schema/databaseengine.h"

#include <map>

struct sqlite3;
struct sqlite3_stmt;
extern "C" int sqlite3_finalize(sqlite3_stmt *);

namespace tarvo {

struct StatementFinalizer {
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
// A prepared statement, finalized when its handle goes.
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class SqliteEngine final : public DatabaseEngine {
public:
    // Opens or creates the file, sets a 5 s busy timeout, turns foreign keys on and makes LIKE
    // compare beyond ASCII. Raises DatabaseError with SQLite's message.
    explicit SqliteEngine(const QString &path);
    ~SqliteEngine() override;

    SqlDialect dialect() const override { return SqlDialect::File; }
    void execute(const QString &sql, const QList<QVariant> &values) override;
    std::unique_ptr<ResultCursor> query(const QString &sql, const QList<QVariant> &values, bool reuse) override;
    void beginWrite() override;
    void commit() override;
    void rollback() override;
    bool othersChanged() override;
    QStringList takeChangedTables() override;
    QStringList foreignKeyColumns(const QString &table) override;
    QStringList tableNames() override;
    void createSchema(const QList<TableDefinition> &tables) override;

    sqlite3 *handle() const { return m_db; }

private:
    static void rememberChange(void *self, int op, const char *db, const char *table, long long rowid);
    struct KeptStatement {
        StatementHandle stmt;
        bool inUse = false;
    };
    sqlite3 *m_db = nullptr;
    std::map<QByteArray, KeptStatement> m_kept; // node-based: an entry's address stays put
    std::optional<qint64> m_seenDataVersion;
    QStringList m_changedTables;
    QByteArray m_lastChangedTable;
};

} // namespace tarvo

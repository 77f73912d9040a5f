#pragma once
// The server engine: a PostgreSQL database through libpq.
#include "platform/errors.h"
#include "schema/databaseengine.h"

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace tarvo {

// The server wants a password that libpq's password and service files do not give.
class PasswordRequiredError : public DatabaseError {
    using DatabaseError::DatabaseError;
};

class PostgresEngine final : public DatabaseEngine {
public:
    // `location`: a connection URI or keyword/value text, anything libpq accepts; `password` as
    // the user gave it, empty when none was asked for. Raises PasswordRequiredError, or
    // DatabaseError naming the host, port and database.
    PostgresEngine(const QString &location, const QString &password);
    ~PostgresEngine() override;

    SqlDialect dialect() const override { return SqlDialect::Server; }
    void execute(const QString &sql, const QList<QVariant> &values) override;
    std::unique_ptr<ResultCursor> query(const QString &sql, const QList<QVariant> &values, bool reuse) override;
    void beginWrite() override;
    void commit() override;
    void rollback() override;
    bool othersChanged() override;
    QStringList takeChangedTables() override;
    int changeNoticeSocket() const override;
    QStringList foreignKeyColumns(const QString &table) override;
    QStringList tableNames() override;
    void createSchema(const QList<TableDefinition> &tables) override;
    void shareTables(const QStringList &tables) override;

private:
    PGconn *connected();
    void setUpSession();
    void followChangesOf(const QStringList &tables);
    void drainNotifications();
    [[noreturn]] void raise(const PGresult *result);
    PGconn *m_conn = nullptr;
    QString m_location;
    bool m_othersChanged = false;
    QStringList m_changedTables;
};

} // namespace tarvo

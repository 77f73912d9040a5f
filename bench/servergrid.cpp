// The result grid's search fill on a PostgreSQL server against its floor: the same statement run
// with libpq alone, every value read in place. Needs a server: TARVO_TEST_SERVER names one whose
// user may create databases (scripts/bench starts a throw-away one when it is unset); the
// benchmark works in a database of its own, dropped at the end.
#include "schema/createtables.h"
#include "support/itemgrid.h"
#include "support/libpqfloor.h"

#include <QCoreApplication>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <stdexcept>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 100000;

QString server()
{
    return qEnvironmentVariable("TARVO_TEST_SERVER");
}

QString databaseOnServer(const QString &name)
{
    QUrl url(server());
    url.setPath(u'/' + name);
    return url.toString();
}

PGconn *connectTo(const QString &location)
{
    PGconn *conn = PQconnectdb(location.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK)
        throw std::runtime_error(PQerrorMessage(conn));
    return conn;
}

void runOn(PGconn *conn, const QString &sql)
{
    PGresult *result = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!ok)
        throw std::runtime_error(PQerrorMessage(conn));
}

struct Project {
    QTemporaryDir dir;
    QString name = QStringLiteral("tarvo_bench_%1").arg(QCoreApplication::applicationPid());
    PGconn *admin = nullptr; // plain libpq: Tarvo would add its change tables to the server's own database
    SqlConnection db;
    PGconn *floor = nullptr;
    TForm form;
    TdbStringGridEx *grid = nullptr;

    Project()
    {
        // The tables as Tarvo makes them on a server (with its change triggers); the same rows as
        // the file benchmark (bench/grid.cpp).
        const QString tablesIni = writeItemProject(dir);
        admin = connectTo(server());
        runOn(admin, dropStatement()); // left by a run that did not end
        runOn(admin, QStringLiteral("CREATE DATABASE %1").arg(name));
        db.setDatabase(databaseOnServer(name));
        db.open();
        db.createSchema(ReadTableDefinitions(tablesIni));
        db.execute(u"INSERT INTO kind (id, name) SELECT k, 'kind ' || k FROM generate_series(1, 50) k"_s);
        db.execute(QStringLiteral("INSERT INTO item (id, name, born, active, qty, id_kind)"
                                  " SELECT i, 'name ' || lpad(i::text, 6, '0'),"
                                  " to_char(date '2000-01-01' + i % 9000, 'YYYY-MM-DD') || ' 00:00:00.000',"
                                  " i % 2, i * 7, i % 50 + 1 FROM generate_series(1, %1) i")
                       .arg(kRows));
        db.execute(u"ANALYZE"_s);
        floor = connectTo(databaseOnServer(name));
        grid = addItemGrid(form, db);
    }
    ~Project()
    {
        PQfinish(floor);
        db.close();
        PQclear(PQexec(admin, dropStatement().toUtf8().constData()));
        PQfinish(admin);
    }
    QString dropStatement() const { return QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name); }
};

// Null and the benchmark skipped when no server is named.
Project *project(benchmark::State &state)
{
    if (server().isEmpty()) {
        state.SkipWithError("TARVO_TEST_SERVER names no server (scripts/bench starts one)");
        return nullptr;
    }
    static Project p;
    return &p;
}

void BM_ServerGridSearchFill(benchmark::State &state)
{
    Project *p = project(state);
    if (!p)
        return;
    for (auto _ : state)
        p->grid->dbExecute();
    state.counters["rows"] = p->grid->rowCount() - 1;
}
BENCHMARK(BM_ServerGridSearchFill)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_LibpqFloor(benchmark::State &state)
{
    Project *p = project(state);
    if (!p)
        return;
    p->grid->dbExecute();
    const SqlStatement &search = p->grid->lastSearch();
    const QByteArray sql = search.parameterisedSql(SqlDialect::Server).toUtf8();
    const QList<QVariant> parameters = search.parameters();
    for (auto _ : state)
        readEveryValueWithLibpq(p->floor, sql, parameters);
}
BENCHMARK(BM_LibpqFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

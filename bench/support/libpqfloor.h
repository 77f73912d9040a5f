#pragma once
// The floor of the server benchmarks: a statement run with libpq alone (PQexecParams, results as
// text) and every value read in place.
#include <QByteArray>
#include <QList>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <stdexcept>
#include <vector>

inline void readEveryValueWithLibpq(PGconn *conn, const QByteArray &sql, const QList<QVariant> &parameters = {})
{
    std::vector<QByteArray> texts;
    std::vector<const char *> values;
    for (const QVariant &parameter : parameters) {
        texts.push_back(parameter.toString().toUtf8());
        values.push_back(texts.back().constData());
    }
    PGresult *result = PQexecParams(conn, sql.constData(), int(values.size()), nullptr, values.data(), nullptr, nullptr,
                                    0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const std::string message = PQresultErrorMessage(result);
        PQclear(result);
        throw std::runtime_error(message);
    }
    const int rows = PQntuples(result), columns = PQnfields(result);
    qint64 bytes = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            benchmark::DoNotOptimize(PQgetvalue(result, r, c));
            bytes += PQgetlength(result, r, c);
        }
    PQclear(result);
    benchmark::DoNotOptimize(bytes);
}

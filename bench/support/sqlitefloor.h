#pragma once
// The floor of the data benchmarks: a statement prepared and stepped with the SQLite C API
// alone, every column read as text.
#include <QByteArray>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

inline void stepEveryColumnAsText(sqlite3 *db, const QByteArray &sql)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    qint64 bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int c = 0; c < columns; ++c) {
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
            bytes += sqlite3_column_bytes(stmt, c);
        }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(bytes);
}

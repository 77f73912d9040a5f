// The result grid's search fill against its floor: the same statement stepped with the SQLite C
// API alone, reading every column as text. Also the memory held per cell of a large fill.
#include "controls/gridmodel.h"
#include "support/itemgrid.h"
#include "support/sqlitefloor.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 100000;

struct Project {
    QTemporaryDir dir;
    SqlConnection db;
    TForm form;
    TdbStringGridEx *grid = nullptr;

    Project()
    {
        writeItemProject(dir);
        db.setDatabase(dir.filePath(u"bench.db"_s));
        db.open();
        db.execute(u"CREATE TABLE kind (id INTEGER PRIMARY KEY, name TEXT)"_s);
        db.execute(u"CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, born TEXT,"_s
                   " active INTEGER, qty INTEGER, id_kind INTEGER)");
        db.execute(u"BEGIN"_s);
        for (int k = 1; k <= 50; ++k)
            db.execute(QStringLiteral("INSERT INTO kind VALUES (%1, 'kind %1')").arg(k));
        for (int i = 1; i <= kRows; ++i)
            db.execute(QStringLiteral("INSERT INTO item VALUES (%1, 'name %2', "
                                      "'%3 00:00:00.000', %4, %5, %6)")
                           .arg(i)
                           .arg(i, 6, 10, QLatin1Char('0'))
                           .arg(QDate(2000, 1, 1).addDays(i % 9000).toString(u"yyyy-MM-dd"_s))
                           .arg(i % 2)
                           .arg(i * 7)
                           .arg(i % 50 + 1));
        db.execute(u"COMMIT"_s);
        grid = addItemGrid(form, db);
    }
};

Project &project()
{
    static Project p;
    return p;
}

void BM_GridSearchFill(benchmark::State &state)
{
    Project &p = project();
    for (auto _ : state)
        p.grid->dbExecute();
    state.counters["rows"] = p.grid->rowCount() - 1;
}
BENCHMARK(BM_GridSearchFill)->Unit(benchmark::kMillisecond)->MinTime(3);

// The first fill of a grid just made, as when a form opens: nothing is left from an earlier fill.
void BM_GridFirstFill(benchmark::State &state)
{
    Project &p = project();
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TForm>();
        TdbStringGridEx *grid = addItemGrid(*form, p.db);
        state.ResumeTiming();
        grid->dbExecute();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GridFirstFill)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_SqliteFloor(benchmark::State &state)
{
    Project &p = project();
    p.grid->dbExecute();
    const QByteArray sql = p.grid->lastSearch().parameterisedSql().toUtf8();
    for (auto _ : state)
        stepEveryColumnAsText(p.db.handle(), sql);
}
BENCHMARK(BM_SqliteFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

// Bytes that the model holds per cell of a 1,000,000 x 5 fill of 10-character texts.
void BM_BytesPerCell(benchmark::State &state)
{
    constexpr int rows = 1000000, columns = 5;
    for (auto _ : state) {
        PackedCells cells;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                cells.append(QStringLiteral("text%1").arg(r, 6, 10, QLatin1Char('0')));
        GridModel model(columns, 1);
        model.fill(columns, rows, std::move(cells));
        state.counters["bytes_per_cell"] = double(model.bytesHeld()) / (double(rows) * columns);
    }
}
BENCHMARK(BM_BytesPerCell)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

// FillDictionaries over 20 lookup combo boxes on one form, each bound to a table of 10,000
// rows, against its floor in the same run: the same 20 queries stepped with the SQLite C API
// alone, reading every column as text.
#include "actions/dictionaries.h"
#include "controls/dbcombobox.h"
#include "controls/tform.h"
#include "schema/lookuplist.h"
#include "schema/sqlconnection.h"
#include "support/sqlitefloor.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

constexpr int kBoxes = 20;
constexpr int kRows = 10000;

struct Project {
    QTemporaryDir dir;
    SqlConnection db;
    TForm form;
    QList<TdbComboBox *> boxes;

    Project()
    {
        db.setDatabase(dir.filePath(u"bench.db"_s));
        db.open();
        db.execute(u"BEGIN"_s);
        for (int t = 0; t < kBoxes; ++t) {
            const QString table = QStringLiteral("dict%1").arg(t);
            db.execute(u"CREATE TABLE "_s + table
                       + u" (id INTEGER PRIMARY KEY, name TEXT, lastname TEXT, firstname TEXT)"_s);
            for (int i = 1; i <= kRows; ++i)
                db.execute(QStringLiteral("INSERT INTO %1 VALUES (%2, 'name %3', 'last %3',"
                                          " 'first %2')")
                               .arg(table)
                               .arg(i)
                               .arg((i * 7919) % kRows, 5, 10, QLatin1Char('0')));
            // Most boxes show one column; some a template, some sorted, as forms do.
            auto *box = new TdbComboBox(&form);
            box->setDbTable(table);
            box->setDbField(t % 4 == 3 ? QStringLiteral("{lastname}, {firstname}") : QStringLiteral("name"));
            box->setDbSort(t % 2 == 1);
            form.addComponent(box);
            boxes << box;
        }
        db.execute(u"COMMIT"_s);
    }
};

Project &project()
{
    static Project p;
    return p;
}

void BM_FillDictionaries(benchmark::State &state)
{
    Project &p = project();
    for (auto _ : state)
        FillDictionaries(p.db, QString());
    state.counters["items"] = p.boxes.first()->count();
}
BENCHMARK(BM_FillDictionaries)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_SqliteFloor(benchmark::State &state)
{
    Project &p = project();
    QList<QByteArray> queries;
    for (const TdbComboBox *box : p.boxes)
        queries << lookupQueryText(box->dbTable(), box->dbField(), box->dbSort()).toUtf8();
    for (auto _ : state)
        for (const QByteArray &sql : queries)
            stepEveryColumnAsText(p.db.handle(), sql);
}
BENCHMARK(BM_SqliteFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

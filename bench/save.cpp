// The save of a shown 20-field record with the check against other users' changes (the row read
// again and compared inside the write transaction) against the same save without the check. Both
// run the whole save action on a real database file. The file lies in memory (/dev/shm where there
// is one) so that the disk's flush, which dwarfs both, does not hide what the check itself costs.
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/storedrow.h"
#include "controls/dbbutton.h"
#include "controls/dbedit.h"
#include "controls/tform.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

constexpr int kFields = 20;

QString memoryFolder()
{
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable()
               ? QStringLiteral("/dev/shm/tarvo-bench-XXXXXX")
               : QDir::tempPath() + QStringLiteral("/tarvo-bench-XXXXXX");
}

struct Project {
    QTemporaryDir dir{memoryFolder()};
    SqlConnection db;
    TForm form;
    TdbButton *save = nullptr;
    QList<TdbEdit *> edits;
    ActionContext context;

    Project()
    {
        QByteArray ini = "[person]\r\n";
        QString columns;
        for (int f = 0; f < kFields; ++f) {
            ini += QStringLiteral("_f%1=TEXT\r\n").arg(f).toUtf8();
            columns += QStringLiteral(", f%1 TEXT").arg(f);
        }
        QFile file(dir.filePath(u"tables.ini"_s));
        file.open(QIODevice::WriteOnly);
        file.write(ini);
        file.close();
        setProjectFolder(dir.path() + u"/"_s);
        LoadFieldCatalogue(dir.filePath(u"tables.ini"_s));
        db.setDatabase(dir.filePath(u"bench.db"_s));
        db.open();
        db.execute(u"CREATE TABLE person (id INTEGER PRIMARY KEY"_s + columns + u")"_s);
        db.execute(u"INSERT INTO person (f0) VALUES ('first')"_s);

        QStringList names;
        for (int f = 0; f < kFields; ++f) {
            auto *edit = new TdbEdit(&form);
            edit->setObjectName(QStringLiteral("ed%1").arg(f));
            edit->setDbTable(u"person"_s);
            edit->setDbField(QStringLiteral("f%1").arg(f));
            edit->setText(QStringLiteral("value %1 of a typical record").arg(f));
            form.addComponent(edit);
            edits << edit;
            names << edit->objectName();
        }
        save = new TdbButton(&form);
        save->setObjectName("bSave");
        save->setDbActionType(TdbButton::adbSaveRecord);
        save->setDbGeneralTable(u"person"_s);
        save->setDbGeneralTableId(1);
        save->setDbListControls(names.join(u','));
        form.addComponent(save);
        context.connection = &db;
    }

    // One user's save: a changed field, the form staying open as after an early save.
    void saveOnce(int i, bool checked)
    {
        edits[i % kFields]->setText(QStringLiteral("edit %1").arg(i));
        // The save keeps the row it wrote as the form's row; without the check it must not find one.
        if (!checked)
            context.filledRows.clear();
        else if (!context.filledRows.contains(&form))
            context.filledRows.insert(&form, *readStoredRow(db, u"person"_s, 1));
        save->setDbDoCloseForm(false);
        actionSaveRecord(*save, context);
    }
};

Project &project()
{
    static Project p;
    return p;
}

void run(benchmark::State &state, bool checked)
{
    Project &p = project();
    int i = 0;
    for (auto _ : state)
        p.saveOnce(++i, checked);
}

void BM_SaveWithCheck(benchmark::State &state)
{
    run(state, true);
}
void BM_SaveWithoutCheck(benchmark::State &state)
{
    run(state, false);
}

} // namespace

BENCHMARK(BM_SaveWithoutCheck)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveWithCheck)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Repetitions(3)->ReportAggregatesOnly(true);

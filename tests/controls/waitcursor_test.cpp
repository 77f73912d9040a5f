// The wait cursor shows while a grid fills and is gone afterwards, for both fills.
#include "controls/dbstringgridex.h"
#include "controls/tform.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tarvo {
namespace {

// cursor_probe() answers the cursor shape that is showing while the statement runs.
void cursorProbe(sqlite3_context *context, int, sqlite3_value **)
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    sqlite3_result_int(context, cursor ? int(cursor->shape()) : -1);
}

TEST(GridWaitCursor, ShowsWhileTheGridFills)
{
    test::ProjectFolder folder;
    setProjectFolder(folder.path());
    LoadFieldCatalogue(folder.file(QStringLiteral("tables.ini")));
    SqlConnection db;
    db.setDatabase(QStringLiteral(":memory:"));
    db.open();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY); INSERT INTO t VALUES (1)"));
    sqlite3_create_function(db.handle(), "cursor_probe", 0, SQLITE_UTF8, nullptr, cursorProbe, nullptr, nullptr);
    TForm form;
    auto *grid = new TdbStringGridEx(&form);
    form.addComponent(grid);
    grid->setDbSQLConnection(&db);

    struct Fill {
        const char *label;
        void (*run)(TdbStringGridEx &);
    };
    const Fill fills[] = {
        {"search",
         [](TdbStringGridEx &g) {
             g.setDbGeneralTable(QStringLiteral("t"));
             g.setDbListFields(QStringLiteral("cursor_probe()"));
             g.dbExecute();
         }},
        {"designer SQL",
         [](TdbStringGridEx &g) {
             g.setDbSQL(QStringLiteral("SELECT cursor_probe() FROM t"));
             g.dbSQLExecute();
         }},
    };
    for (const Fill &f : fills) {
        SCOPED_TRACE(f.label);
        f.run(*grid);
        EXPECT_EQ(grid->cell(0, 1), QString::number(int(Qt::WaitCursor)));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    ReleaseFieldCatalogue();
    setProjectFolder(QString());
}

} // namespace
} // namespace tarvo

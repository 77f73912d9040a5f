// A long grid fill keeps the windows painting, shows its progress, Cancel leaves the grid as it
// was, and a fill asked for while one runs is left out. A real database file of some thousands of
// rows; where a test wants the progress window, it shows at once (the scripted desktop's delay
// is 0).
#include "controls/dbstringgridex.h"
#include "controls/tform.h"
#include "platform/projectfolder.h"
#include "platform/workprogress.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"

#include <QGuiApplication>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

using namespace tarvo;
using namespace std::chrono_literals;
using tarvo::test::ProjectFolder;
using tarvo::test::ScriptedInteraction;

namespace {

constexpr int kPets = 20000;

// counted(x) is x, and counts the rows it was read for.
int g_counted = 0;
void counted(sqlite3_context *context, int, sqlite3_value **values)
{
    ++g_counted;
    sqlite3_result_value(context, values[0]);
}

// paced(x) is x, 50 µs later: a fill of a few thousand rows lasts long enough to watch it.
void paced(sqlite3_context *context, int, sqlite3_value **values)
{
    QThread::usleep(50);
    sqlite3_result_value(context, values[0]);
}

// Counts the paints of a widget that come while long work runs.
class PaintsDuringWork : public QObject {
public:
    explicit PaintsDuringWork(QWidget *watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && WorkProgress::running())
            ++count;
        return false;
    }
};

// What a user and the next refresh see of a grid.
struct Shown {
    QStringList cells; // title row first
    QStringList ids;
    int row;
    QString generalTable;
    QString search;
    QString sql;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &s, std::ostream *os)
{
    *os << s.cells.join(u'|').left(200).toStdString() << " ids " << s.ids.size() << " row " << s.row;
}

struct Fill {
    const char *label;
    void (*run)(TdbStringGridEx &);
};

// Both fills of every pet.
const Fill kFills[] = {
    {"search",
     [](TdbStringGridEx &g) {
         g.setDbGeneralTable(u"pet"_s);
         g.setDbListFields(u"pet.name"_s);
         g.dbExecute();
     }},
    {"designer SQL",
     [](TdbStringGridEx &g) {
         g.setDbSQL(u"SELECT name, id FROM pet"_s);
         g.dbSQLExecute();
     }},
};

class GridProgress : public testing::Test {
protected:
    void SetUp() override
    {
        setProjectFolder(folder.path());
        LoadFieldCatalogue(folder.file(u"tables.ini"_s));
        db.setDatabase(folder.file(u"grid.db"_s));
        db.open();
        db.execute(u"CREATE TABLE person (id INTEGER PRIMARY KEY, name TEXT)"_s);
        db.execute(u"CREATE TABLE pet (id INTEGER PRIMARY KEY, name TEXT, id_person INTEGER)"_s);
        db.execute(u"INSERT INTO person (name) VALUES ('ann'), ('bob'), ('cid')"_s);
        db.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                  " INSERT INTO pet (name, id_person) SELECT printf('pet %06d', i), 1 FROM n")
                       .arg(kPets));
        sqlite3_create_function(db.handle(), "counted", 1, SQLITE_UTF8, nullptr, counted, nullptr, nullptr);
        sqlite3_create_function(db.handle(), "paced", 1, SQLITE_UTF8, nullptr, paced, nullptr, nullptr);
        grid = new TdbStringGridEx(&form);
        grid->setObjectName("grdPets");
        form.addComponent(grid);
        grid->setDbSQLConnection(&db);
    }
    void TearDown() override
    {
        ReleaseFieldCatalogue();
        setProjectFolder(QString());
    }

    void searchPeople()
    {
        grid->setDbGeneralTable(u"person"_s);
        grid->setDbListFields(u"person.name"_s);
        grid->dbExecute();
    }
    Shown shown() const
    {
        Shown s{{},           grid->dbListId(), grid->row(), grid->dbGeneralTable(), grid->lastSearch().renderedText(),
                grid->dbSQL()};
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int c = 0; c < grid->colCount(); ++c)
                s.cells << grid->cell(c, r);
        return s;
    }

    ScriptedInteraction ui;
    ProjectFolder folder{u"controls-grid"_s};
    SqlConnection db;
    TForm form;
    TdbStringGridEx *grid = nullptr;
};

TEST_F(GridProgress, TheWindowRepaintsUnderTheWaitCursorWhileRowsArrive)
{
    // About half a second of rows and no progress window: only the fill's own pauses for events
    // let the window paint.
    searchPeople();
    form.resize(400, 300);
    form.show();
    QCoreApplication::processEvents();
    PaintsDuringWork paints(grid->viewport());
    QList<Qt::CursorShape> cursors; // at each damage during the fill
    QTimer damage;                  // as a window dragged over the grid would
    damage.setInterval(20);
    QObject::connect(&damage, &QTimer::timeout, grid->viewport(), [&] {
        grid->viewport()->update();
        if (WorkProgress::running())
            cursors << QGuiApplication::overrideCursor()->shape();
    });
    damage.start();
    grid->setDbSQL(u"SELECT paced(name), id FROM pet WHERE id <= 8000"_s);
    grid->dbSQLExecute();

    EXPECT_GE(paints.count, 2);
    ASSERT_FALSE(cursors.empty());
    EXPECT_EQ(cursors.count(Qt::WaitCursor), cursors.size());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(grid->rowCount() - 1, 8000);
    EXPECT_TRUE(ui.progressWindows().empty());
}

TEST_F(GridProgress, ALongFillShowsItsProgressAndThenEveryRow)
{
    for (const Fill &fill : kFills) {
        SCOPED_TRACE(fill.label);
        ScriptedInteraction desktop;
        desktop.showProgressAfter(0ms);
        fill.run(*grid);

        ASSERT_EQ(desktop.progressWindows().size(), 1u);
        const auto &window = desktop.progressWindows().front();
        EXPECT_EQ(window.total, 0); // a statement does not say how many rows it has
        ASSERT_GE(window.updates.size(), 2);
        for (qsizetype i = 1; i < window.updates.size(); ++i)
            EXPECT_GE(window.updates[i], window.updates[i - 1]);
        EXPECT_LE(window.updates.back(), kPets);
        EXPECT_EQ(window.label, QStringLiteral("Reading rows: %1").arg(QLocale().toString(window.updates.back())));
        EXPECT_TRUE(window.closed);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

        EXPECT_EQ(grid->rowCount() - 1, kPets);
        EXPECT_EQ(grid->dbListId().size(), kPets);
        EXPECT_EQ(grid->cell(0, kPets), u"pet 020000"_s);
        EXPECT_EQ(grid->dbListId().back(), QString::number(kPets));
    }
}

TEST_F(GridProgress, CancelLeavesTheGridAsItWas)
{
    for (const Fill &fill : kFills) {
        SCOPED_TRACE(fill.label);
        searchPeople();
        grid->setRow(2);
        const Shown before = shown();
        ASSERT_EQ(before.ids, QStringList({u"1"_s, u"2"_s, u"3"_s}));

        {
            ScriptedInteraction desktop;
            desktop.showProgressAfter(0ms, [](qint64) { return false; }); // Cancel at once
            fill.run(*grid);
            ASSERT_EQ(desktop.progressWindows().size(), 1u);
            EXPECT_EQ(desktop.progressWindows().front().updates.size(), 1);
            EXPECT_TRUE(desktop.progressWindows().front().closed);
        }
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(grid->dbItemID(), 2);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

        // A refresh runs what the rows on show were read by, not the cancelled fill.
        grid->dbRefresh();
        EXPECT_EQ(shown(), before);
    }
}

TEST_F(GridProgress, CancelWhileTheDatabaseSortsStopsItAndLeavesTheGridAsItWas)
{
    searchPeople();
    const Shown before = shown();
    g_counted = 0;
    grid->setDbSQL(u"SELECT name, id FROM pet ORDER BY counted(name)"_s); // every row sorted before the first
    ScriptedInteraction desktop;
    desktop.showProgressAfter(0ms, [](qint64) { return false; });
    grid->dbSQLExecute();

    EXPECT_LT(g_counted, kPets);
    ASSERT_EQ(desktop.progressWindows().size(), 1u);
    EXPECT_EQ(desktop.progressWindows().front().updates, QList<qint64>({0})); // no row yet
    EXPECT_TRUE(desktop.messages().empty());
    EXPECT_EQ(shown(), before);
}

TEST_F(GridProgress, AFillAskedForWhileOneRunsIsLeftOut)
{
    g_counted = 0;
    grid->setDbSQL(u"SELECT counted(name), id FROM pet"_s);
    ui.showProgressAfter(0ms, [this](qint64 done) {
        if (done <= 512) { // the first update: as a refresh for another user's change would
            grid->dbRefresh();
            grid->dbSQLExecute();
            grid->dbExecute();
        }
        return true;
    });
    grid->dbSQLExecute();

    EXPECT_EQ(g_counted, kPets); // every row read once: none of the three ran
    ASSERT_EQ(ui.progressWindows().size(), 1u);
    EXPECT_EQ(grid->rowCount() - 1, kPets);
    EXPECT_EQ(grid->dbListId().size(), kPets);
    EXPECT_EQ(grid->dbSQL(), u"SELECT counted(name), id FROM pet"_s);

    // Afterwards the grid fills again as asked.
    grid->dbRefresh();
    EXPECT_EQ(g_counted, 2 * kPets);
}

} // namespace

#include "controls/dbbutton.h"
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbeditcount.h"
#include "controls/dbmemo.h"
#include "controls/dbmonthcalendar.h"
#include "controls/dbstringgridex.h"
#include "controls/tform.h"
#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"

#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ProjectFolder;
using tarvo::test::ScriptedInteraction;

namespace {

// A form with one grid named grdPeople on a small database of people, cities and companies.
class Grid : public testing::Test {
protected:
    void SetUp() override
    {
        setProjectFolder(folder.path());
        LoadFieldCatalogue(folder.file(u"tables.ini"_s));
        db.setDatabase(folder.file(u"grid.db"_s));
        db.open();
        for (const char *sql :
             {"CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT)",
              "CREATE TABLE company (id INTEGER PRIMARY KEY, name TEXT)",
              "CREATE TABLE person (id INTEGER PRIMARY KEY, name TEXT, born TEXT, wake TEXT,"
              " seen TEXT, active INTEGER, age INTEGER, id_city INTEGER, id_company INTEGER,"
              " note TEXT, record_count INTEGER)",
              "CREATE TABLE pet (id INTEGER PRIMARY KEY, name TEXT, id_person INTEGER)",
              "INSERT INTO city VALUES (1, 'Oslo'), (2, 'Bergen')", "INSERT INTO company VALUES (1, 'Acme')",
              "INSERT INTO person VALUES (1, 'smith', '2024-03-07 00:00:00.000',"
              " '1899-12-30 13:45:10.000', '2024-03-07 14:05:09.000', 1, 30, 1, 1, 'n', 1)",
              "INSERT INTO person VALUES (2, 'ИВАНОВ', 'garbage', NULL,"
              " '2024-03-08 00:00:00.000', 0, 25, 2, NULL, NULL, 2)",
              "INSERT INTO person VALUES (3, 'a\"b', NULL, NULL, NULL, NULL, 41, NULL, NULL,"
              " '100% sure', 3)",
              "INSERT INTO pet VALUES (1, 'Rex', 1)"})
            db.execute(QString::fromUtf8(sql));
        form.setObjectName("frmMain");
        grid = new TdbStringGridEx(&form);
        grid->setObjectName("grdPeople");
        form.addComponent(grid);
        grid->setDbSQLConnection(&db);
        grid->setDbGeneralTable(u"person"_s);
    }
    void TearDown() override
    {
        ReleaseFieldCatalogue();
        setProjectFolder(QString());
    }

public:
    template <class T> T *add(const QString &name, const QString &table = {}, const QString &field = {})
    {
        auto *control = new T(&form);
        control->setObjectName(name);
        if constexpr (!std::is_same_v<T, TdbButton>) {
            control->setDbTable(table);
            if constexpr (!std::is_same_v<T, TdbEditCount>)
                control->setDbField(field);
        }
        form.addComponent(control);
        return control;
    }

    QStringList column(int col) const
    {
        QStringList cells;
        for (int r = 1; r < grid->rowCount(); ++r)
            cells << grid->cell(col, r);
        return cells;
    }

    ScriptedInteraction ui;
    ProjectFolder folder{u"controls-grid"_s};
    SqlConnection db;
    TForm form;
    TdbStringGridEx *grid = nullptr;
};

TEST_F(Grid, ASearchWithAFilterJoinAndSortRunsAndFills)
{
    auto *age = add<TdbEdit>(u"edAge"_s, u"person"_s, u"age"_s);
    age->setDbFilter(u">="_s);
    age->setText(u"30"_s);
    grid->setDbListFields(u"person.name,city.name"_s);
    grid->setDbListControls(u"edAge"_s);
    grid->setDbSortField(u"person.name"_s);
    grid->setDbSQL(u"SELECT 1"_s);
    grid->dbExecute();
    EXPECT_EQ(grid->lastSearch().renderedText(),
              u"SELECT DISTINCT person.name,city.name,person.id FROM person LEFT OUTER JOIN city"
              " ON person.id_city=city.id WHERE person.age>=30 ORDER BY person.name ASC"_s);
    EXPECT_TRUE(grid->dbSQL().isEmpty());
    EXPECT_TRUE(grid->dbIfUsed());
    EXPECT_EQ(grid->colCount(), 2);
    EXPECT_EQ(grid->cell(0, 0), u"name"_s);
    EXPECT_EQ(column(0), QStringList({u"a\"b"_s, u"smith"_s}));
    EXPECT_EQ(column(1), QStringList({u""_s, u"Oslo"_s}));
    EXPECT_EQ(grid->dbListId(), QStringList({u"3"_s, u"1"_s}));
}

struct StatementCase {
    const char *name;
    std::function<void(Grid &)> setup;
    const char *expected;
    std::function<void(Grid &)> after = nullptr;
};

class GridStatement : public Grid {
public:
    // Every case lists these filter controls; a case gives values to some of them.
    void addFilters()
    {
        add<TdbEdit>(u"edName"_s, u"person"_s, u"name"_s)->setDbFilter(u"="_s);
        add<TdbMemo>(u"mmNote"_s, u"person"_s, u"note"_s);
        add<TdbEditCount>(u"ecCount"_s, u"person"_s);
        add<TdbCheckBox>(u"cbActive"_s, u"person"_s, u"active"_s)->setState(TdbCheckBox::cbGrayed);
        auto *city = add<TdbComboBox>(u"cmbCity"_s, u"city"_s, u"name"_s);
        city->AddRecord(-1, u""_s);
        city->AddRecord(1, u"Oslo"_s);
        city->AddRecord(2, u"Bergen"_s);
        city->setCurrentIndex(0);
        add<TdbDateTimePicker>(u"dtBorn"_s, u"person"_s, u"born"_s)->setDbFilter(u">="_s);
        add<TdbDateTimePicker>(u"dtSeen"_s, u"person"_s, u"seen"_s)->setDbFilter(u"="_s);
        grid->setDbListControls(u"edName,mmNote,ecCount,cbActive,cmbCity,dtBorn,dtSeen,missing"_s);
        grid->setDbListFields(u"person.name"_s);
    }
    template <class T> T *find(const char *name)
    {
        return qobject_cast<T *>(form.findComponent(QString::fromUtf8(name)));
    }
};

TEST_F(GridStatement, TextsOfTheSearch)
{
    const QString head = u"SELECT DISTINCT person.name,person.id FROM person"_s;
    const TDateTime afternoon = TDateTime::fromDateAndTime(QDate(2024, 3, 7), QTime(14, 5, 9));
    const StatementCase cases[] = {
        {"no_values", [](Grid &) {}, ""},
        {"edit_like_upper_case_untrimmed",
         [](Grid &g) { static_cast<GridStatement &>(g).find<TdbEdit>("edName")->setText(u" smith"_s); },
         " WHERE person.name LIKE \" SMITH\""},
        {"two_values_in_list_order",
         [](Grid &g) {
             auto &t = static_cast<GridStatement &>(g);
             t.find<TdbCheckBox>("cbActive")->setState(TdbCheckBox::cbUnchecked);
             t.find<TdbEdit>("edName")->setText(u"smith"_s);
         },
         " WHERE person.name LIKE \"SMITH\" AND person.active=0"},
        {"memo_counter_checked_combo",
         [](Grid &g) {
             auto &t = static_cast<GridStatement &>(g);
             t.find<TdbMemo>("mmNote")->setText(u"n"_s);
             t.find<TdbEditCount>("ecCount")->setText(u"2"_s);
             t.find<TdbCheckBox>("cbActive")->setState(TdbCheckBox::cbChecked);
             t.find<TdbComboBox>("cmbCity")->setDbItemID(2);
         },
         " LEFT OUTER JOIN city ON person.id_city=city.id WHERE person.note LIKE \"N\" AND"
         " person.record_count = 2 AND person.active=1 AND person.id_city=2"},
        {"checked_date_picker_cut_to_day_datetime_column_no_condition",
         [afternoon](Grid &g) {
             auto &t = static_cast<GridStatement &>(g);
             for (const char *name : {"dtBorn", "dtSeen"}) {
                 t.find<TdbDateTimePicker>(name)->setChecked(true);
                 t.find<TdbDateTimePicker>(name)->setDateTime(afternoon);
             }
         },
         " WHERE person.born >= \"2024-03-07 00:00:00.000\"",
         [](Grid &g) {
             auto &t = static_cast<GridStatement &>(g);
             EXPECT_EQ(t.find<TdbDateTimePicker>("dtBorn")->dbStringDateTime(), u"2024-03-07 00:00:00.000"_s);
             EXPECT_EQ(t.find<TdbDateTimePicker>("dtSeen")->dbStringDateTime(), u"2024-03-07 14:05:09.000"_s);
         }},
        {"time_picker_no_condition",
         [](Grid &g) {
             auto *born = static_cast<GridStatement &>(g).find<TdbDateTimePicker>("dtBorn");
             born->setChecked(true);
             born->setKind(TdbDateTimePicker::dtkTime);
         },
         ""},
        {"parent_limit_ignores_controls",
         [](Grid &g) {
             static_cast<GridStatement &>(g).find<TdbEdit>("edName")->setText(u"smith"_s);
             g.grid->setDbParentTable(u"company"_s);
             g.grid->setDbParentTableId(5);
             g.grid->setDbSortField(u"person.name"_s);
             g.grid->setDbSortAsc(false);
         },
         " WHERE person.id_company=5 ORDER BY person.name DESC"},
        {"parent_without_link_column",
         [](Grid &g) {
             g.grid->setDbParentTable(u"pet"_s);
             g.grid->setDbParentTableId(1);
         },
         ""},
    };
    for (const StatementCase &c : cases) {
        SCOPED_TRACE(c.name);
        for (QObject *component : form.components())
            if (component != grid)
                delete component;
        grid->setDbParentTableId(-1);
        grid->setDbSortField({});
        addFilters();
        c.setup(*this);
        grid->dbExecute();
        EXPECT_EQ(grid->lastSearch().renderedText(), head + QString::fromUtf8(c.expected));
        if (c.after)
            c.after(*this);
    }
}

TEST_F(Grid, JoinsDictionaryLastReverseLinkAndFilterTables)
{
    auto *picker = add<TdbDateTimePicker>(u"dtCompany"_s, u"company"_s, u"name"_s);
    picker->setChecked(true); // a checked picker adds its table although it adds no condition
    grid->setDbListFields(u"person.name,city.name,pet.name"_s);
    grid->setDbListControls(u"dtCompany"_s);
    grid->dbExecute();
    EXPECT_EQ(grid->lastSearch().renderedText(), u"SELECT DISTINCT person.name,city.name,pet.name,person.id FROM person"
                                                 " LEFT OUTER JOIN pet ON person.id=pet.id_person"
                                                 " LEFT OUTER JOIN company ON person.id_company=company.id"
                                                 " LEFT OUTER JOIN city ON person.id_city=city.id"_s);
}

TEST_F(Grid, NumericFilterRejectsNonNumbers)
{
    struct Case {
        const char *text;
        const char *condition; // nullptr: rejected
    } cases[] = {{"abc", nullptr},
                 {"1.5", nullptr},
                 {"-5", " WHERE person.age<-5"},
                 {"+7", " WHERE person.age<+7"},
                 {"12", " WHERE person.age<12"}};
    auto *age = add<TdbEdit>(u"edAge"_s, u"person"_s, u"age"_s);
    age->setDbFilter(u"<"_s);
    grid->setDbListFields(u"person.name"_s);
    grid->setDbListControls(u"edAge"_s);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        age->setText(QString::fromUtf8(c.text));
        if (!c.condition)
            ui.expectMessage();
        grid->dbExecute();
        const QString head = u"SELECT DISTINCT person.name,person.id FROM person"_s;
        EXPECT_EQ(grid->lastSearch().renderedText(), head + (c.condition ? QString::fromUtf8(c.condition) : QString()));
        EXPECT_EQ(age->text(), c.condition ? QString::fromUtf8(c.text) : QString());
    }
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, u"\"abc\" Not a number."_s);
    EXPECT_EQ(ui.messages()[0].caption, u"Error"_s);
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Information);
}

TEST_F(Grid, UserTextsAreSearchedAsTextNeverExecuted)
{
    auto *name = add<TdbEdit>(u"edName"_s, u"person"_s, u"name"_s);
    name->setDbFilter(u"="_s);
    auto *note = add<TdbMemo>(u"mmNote"_s, u"person"_s, u"note"_s);
    grid->setDbListFields(u"person.name"_s);
    struct Case {
        const char *name;
        const char *note;
        QStringList ids;
    } cases[] = {
        {"a\"b", "", {u"3"_s}},    {"NAME", "", {}}, // a column's name stays a text
        {"x\" OR 1=1 --", "", {}}, {"'); DROP TABLE person; --", "", {}},
        {"", "100%", {u"3"_s}}, // LIKE's own wildcard, as typed
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        name->setText(QString::fromUtf8(c.name));
        note->setPlainText(QString::fromUtf8(c.note));
        grid->setDbListControls(u"edName,mmNote"_s);
        EXPECT_NO_THROW(grid->dbExecute());
        EXPECT_EQ(grid->dbListId(), c.ids);
    }
    EXPECT_EQ(db.query(u"SELECT count(*) FROM person"_s).text(0), u"3"_s);
}

TEST_F(Grid, FillFormatsByCatalogueType)
{
    grid->setDbListFields(u"person.name,person.born,person.wake,person.seen,person.active,"_s
                          "person.record_count");
    grid->setDbListFieldsNames(u"Name,Born,Wake,Seen,Active"_s);
    grid->setDbSortField(u"person.id"_s);
    grid->dbExecute();
    ASSERT_EQ(grid->colCount(), 6);
    EXPECT_EQ(grid->cell(4, 0), u"Active"_s);
    EXPECT_EQ(grid->cell(5, 0), u""_s); // one title fewer than columns
    EXPECT_EQ(column(0), QStringList({u"smith"_s, u"Иванов"_s, u"a\"b"_s}));
    EXPECT_EQ(column(1), QStringList({u"3/7/24"_s, u"без даты"_s, u"без даты"_s}));
    EXPECT_EQ(column(2), QStringList({u"1:45 PM"_s, u"без даты"_s, u"без даты"_s}));
    EXPECT_EQ(column(3).mid(1), QStringList({u"3/8/24"_s, u"без даты"_s}));
    EXPECT_TRUE(column(3).at(0).startsWith(u"3/7/24 2:05:09 PM"_s));
    EXPECT_EQ(column(4), QStringList({u"Да"_s, u"Нет"_s, u""_s}));
    EXPECT_EQ(column(5), QStringList({u"1"_s, u"2"_s, u"3"_s})); // not in the catalogue: text
    EXPECT_EQ(grid->dbListId(), QStringList({u"1"_s, u"2"_s, u"3"_s}));
}

TEST_F(Grid, EmptyResultAndDatabaseErrorLeaveTheGridCleared)
{
    grid->setDbListFields(u"person.name"_s);
    grid->dbExecute();
    ASSERT_EQ(grid->rowCount(), 4);
    grid->setRow(2);

    grid->setDbListFields(u"person.name"_s);
    grid->setDbParentTable(u"company"_s);
    grid->setDbParentTableId(99);
    grid->dbExecute();
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->cell(0, 1), u""_s);
    EXPECT_TRUE(grid->dbListId().isEmpty());
    EXPECT_EQ(grid->dbItemID(), -1);
    grid->setDbItemID(1);
    EXPECT_EQ(grid->dbItemID(), -1);

    grid->setDbParentTableId(-1);
    grid->dbExecute();
    for (const char *fields : {"person.nosuch", "person.name,orphan.name"}) {
        grid->setDbListFields(QString::fromUtf8(fields));
        EXPECT_THROW(grid->dbExecute(), DatabaseError) << fields;
        EXPECT_EQ(grid->rowCount(), 2);
        EXPECT_TRUE(grid->dbListId().isEmpty());
    }
}

TEST_F(Grid, SqlModeTakesTheMainTableAndCollectsIds)
{
    struct Case {
        const char *sql;
        const char *table;
        QStringList ids;
        QStringList firstColumn;
    } cases[] = {
        {"select name, ID FROM   person\r\nwhere\tid<3 ORDER BY id",
         "person",
         {u"1"_s, u"2"_s},
         {u"smith"_s, u"Иванов"_s}},
        {"SELECT name FROM company", "company", {}, {u"Acme"_s}},
        {"UPDATE pet SET name = 'Max'", "company", {}, {u""_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        grid->setDbSQL(QString::fromUtf8(c.sql));
        grid->dbSQLExecute();
        EXPECT_EQ(grid->dbGeneralTable(), QString::fromUtf8(c.table));
        EXPECT_EQ(grid->dbListId(), c.ids);
        EXPECT_EQ(column(0), c.firstColumn);
    }
    grid->setDbSQL(u"select id, name from city order by id"_s);
    grid->dbSQLExecute();
    grid->setDbListFieldsNames(u"Key"_s);
    grid->dbSQLExecute();
    EXPECT_EQ(grid->colCount(), 2);
    EXPECT_EQ(grid->cell(0, 0), u"Key"_s);
    EXPECT_EQ(grid->cell(1, 0), u"name"_s); // a title cell without a new name keeps its text
    EXPECT_EQ(column(0), QStringList({u"1"_s, u"2"_s}));
}

TEST_F(Grid, CurrentRowIdsAndClipboardTexts)
{
    grid->setDbListFields(u"person.name,city.name"_s);
    grid->setDbListFieldsNames(u"Name,City"_s);
    grid->setDbSortField(u"person.id"_s);
    grid->dbExecute();
    EXPECT_EQ(grid->row(), 1); // a fill keeps the current row
    EXPECT_EQ(grid->dbItemID(), 1);
    grid->setDbItemID(2);
    EXPECT_EQ(grid->row(), 2);
    grid->setDbItemID(42);
    EXPECT_EQ(grid->row(), 2);

    grid->setDbItemID(1);
    QAction *copy = grid->popupMenu()->findChild<QAction *>(u"mniCopy"_s);
    QAction *copyAll = grid->popupMenu()->findChild<QAction *>(u"mniCopyAll"_s);
    copy->trigger();
    EXPECT_EQ(ui.clipboard(), u"Name: smith\r\nCity: Oslo"_s);
    copyAll->trigger();
    EXPECT_EQ(ui.clipboard(), u"Name\tCity\r\nsmith\tOslo\r\nИванов\tBergen\r\na\"b\t\r\n"_s);

    grid->dbUnSelect();
    EXPECT_EQ(grid->row(), -1);
    EXPECT_EQ(grid->dbItemID(), -1);
    copy->trigger();
    EXPECT_EQ(ui.clipboard(), u"Name\tCity\r\nsmith\tOslo\r\nИванов\tBergen\r\na\"b\t\r\n"_s);

    const QRect cell = grid->visualRect(grid->model()->index(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    EXPECT_EQ(ui.clipboard(), u"Bergen"_s);
    EXPECT_EQ(grid->row(), 2); // and the click selects the row as usual
}

TEST_F(Grid, PopupMenuItems)
{
    const QList<QAction *> items = grid->popupMenu()->actions();
    ASSERT_EQ(items.size(), 4);
    const char *names[] = {"mniShowRecord", "mniSep22", "mniCopy", "mniCopyAll"};
    const char *captions[] = {"Show record", "", "Copy", "Copy all"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i]->objectName(), QString::fromUtf8(names[i]));
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(captions[i]));
    }
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(grid->popupMenu()->defaultAction(), items[0]);
    EXPECT_EQ(items[2]->shortcut(), QKeySequence(u"Ctrl+C"_s));
    EXPECT_EQ(items[3]->shortcut(), QKeySequence(u"Ctrl+Shift+C"_s));
    EXPECT_TRUE(grid->actions().contains(items[2]));
    EXPECT_EQ(items[3]->shortcutContext(), Qt::WidgetShortcut);
}

TEST_F(Grid, ShowRecordClicksTheMatchingButtonsInFormOrder)
{
    QStringList clicked;
    auto button = [&](const char *name, TActionDbType action, const char *result) {
        auto *b = add<TdbButton>(QString::fromUtf8(name));
        b->setDbActionType(action);
        b->setDbResultControl(QString::fromUtf8(result));
        QObject::connect(b, &QPushButton::clicked, [&clicked, name] { clicked << QString::fromUtf8(name); });
    };
    button("bShow1", TdbButton::adbShowRecord, "grdPeople");
    button("bSearch", TdbButton::adbSearch, "grdPeople");
    button("bCase", TdbButton::adbShowRecord, "GRDPEOPLE");
    button("bShow2", TdbButton::adbShowRecord, "grdPeople");
    grid->setDbListFields(u"person.name"_s);
    grid->dbExecute();

    const QStringList expected{u"bShow1"_s, u"bShow2"_s};
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
    EXPECT_EQ(clicked, expected);
    clicked.clear();
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(clicked, expected);
    clicked.clear();
    grid->popupMenu()->findChild<QAction *>(u"mniShowRecord"_s)->trigger();
    EXPECT_EQ(clicked, expected);
}

TEST_F(Grid, TitlesOnlyAndColumnWidthsSurviveFills)
{
    grid->setDbListFieldsNames(u"A,B,"_s);
    grid->dbFillColumnsName();
    EXPECT_EQ(grid->colCount(), 2);
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->cell(1, 0), u"B"_s);

    grid->setColWidth(0, 77);
    grid->setDbListFieldsNames({});
    grid->setDbListFields(u"person.name,person.age"_s);
    grid->dbExecute();
    EXPECT_EQ(grid->colWidth(0), 77);
    grid->dbFillColumnsName(); // no names: the previous columns and titles, one empty row
    EXPECT_EQ(grid->colCount(), 2);
    EXPECT_EQ(grid->cell(1, 0), u"age"_s);
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->cell(0, 1), u""_s);
}

TEST(GridConstruction, StringGridDefaults)
{
    TdbStringGridEx grid;
    EXPECT_EQ(grid.colCount(), 5);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.dbParentTableId(), -1);
    EXPECT_TRUE(grid.dbSortAsc());
    EXPECT_FALSE(grid.dbIfUsed());
    EXPECT_EQ(grid.drawingStyle(), TdbStringGridEx::gdsGradient);
    EXPECT_TRUE(grid.setProperty("drawingStyle", u"gdsClassic"_s));
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(grid.verticalHeader()->isHidden());
}

} // namespace

#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/tform.h"
#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"
#include "workbookreader.h"

#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ProjectFolder;
using tarvo::test::readWorkbook;
using tarvo::test::ScriptedInteraction;

namespace {

// A desktop whose spreadsheet application cannot be started.
class RefusingInteraction : public ScriptedInteraction {
public:
    bool openUrl(const QUrl &url) override
    {
        ScriptedInteraction::openUrl(url);
        return false;
    }
};

// A form with a result grid over a small table of people and an Excel button naming it. The
// temporary folder is redirected so that what the export leaves there can be seen.
class GridExport : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedTmp = qgetenv("TMPDIR");
        m_hadTmp = qEnvironmentVariableIsSet("TMPDIR");
        qputenv("TMPDIR", QDir::cleanPath(temp.path()).toUtf8());

        setProjectFolder(folder.path());
        LoadFieldCatalogue(folder.file(u"tables.ini"_s));
        db.setDatabase(folder.file(u"grid.db"_s));
        db.open();
        for (const char *sql : {"CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT)",
                                "CREATE TABLE company (id INTEGER PRIMARY KEY, name TEXT)",
                                "CREATE TABLE person (id INTEGER PRIMARY KEY, name TEXT, born TEXT, wake TEXT,"
                                " seen TEXT, active INTEGER, age INTEGER, id_city INTEGER, id_company INTEGER,"
                                " note TEXT, record_count INTEGER)",
                                "INSERT INTO city VALUES (1, 'Oslo')",
                                "INSERT INTO person VALUES (1, 'smith', '2024-03-07 00:00:00.000', NULL,"
                                " '2024-03-07 14:05:09.000', 1, 30, 1, NULL, 'n', 1)",
                                "INSERT INTO person VALUES (2, 'ИВАНОВ', NULL, NULL, NULL, 0, 25, NULL, NULL,"
                                " 'две\nстроки & <tag>', 2)"})
            db.execute(QString::fromUtf8(sql));

        form.setObjectName("frmMain");
        grid = new TdbStringGridEx(&form);
        grid->setObjectName("grdPeople");
        grid->setDbSQLConnection(&db);
        grid->setDbGeneralTable(u"person"_s);
        grid->setDbListFields(u"person.name,person.born,person.active,city.name,person.note"_s);
        grid->setDbListFieldsNames(u"Имя,Born,Active,City,Note"_s);
        grid->setDbSortField(u"person.id"_s);
        form.addComponent(grid);
        button = new TdbButton(&form);
        button->setObjectName("bExcel");
        button->setProperty("dbActionType", u"adbGridToExcel"_s);
        button->setProperty("dbResultControl", u"grdPeople"_s);
        form.addComponent(button);
    }
    void TearDown() override
    {
        if (m_hadTmp)
            qputenv("TMPDIR", m_savedTmp);
        else
            qunsetenv("TMPDIR");
        ReleaseFieldCatalogue();
        setProjectFolder(QString());
    }

    void click() { OnButtonClick(*button, context); }

    QStringList exportFolders() const
    {
        return QDir(temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    QString openedWorkbook(const ScriptedInteraction &ui, std::size_t index) const
    {
        if (ui.openedUrls().size() <= index)
            return {};
        const QUrl url = ui.openedUrls()[index];
        EXPECT_TRUE(url.isLocalFile()) << url.toString().toStdString();
        return url.toLocalFile();
    }

    ProjectFolder temp;
    ProjectFolder folder{u"controls-grid"_s};
    SqlConnection db;
    TForm form;
    TdbStringGridEx *grid = nullptr;
    TdbButton *button = nullptr;
    ActionContext context;

private:
    QByteArray m_savedTmp;
    bool m_hadTmp = false;
};

TEST_F(GridExport, WithoutSpreadsheetApplicationShowsTheMessageThenOffersToSaveTheWorkbook)
{
    struct Case {
        const char *label;
        const char *chosen; // empty: the user cancels the save dialog
    };
    for (const Case c : {Case{"cancelled", ""}, Case{"saved", "kept.xlsx"}}) {
        SCOPED_TRACE(c.label);
        ScriptedInteraction ui;
        ui.setHasApplication(false);
        grid->dbExecute();
        const QString chosen = *c.chosen ? temp.file(QString::fromLatin1(c.chosen)) : QString();
        ui.expectMessage();
        ui.expectSaveFile(chosen);
        click();
        ui.verify();
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text, u"Your computer does not have Excel."_s);
        EXPECT_EQ(ui.messages()[0].caption, u"Error"_s);
        EXPECT_TRUE(ui.openedUrls().empty());
        EXPECT_TRUE(exportFolders().isEmpty());
        if (!chosen.isEmpty()) {
            EXPECT_EQ(readWorkbook(chosen).texts().value(1).value(3), u"Oslo"_s);
        }
    }
}

TEST_F(GridExport, CopiesTheGridAsShownIntoANewWorkbookAndOpensIt)
{
    ScriptedInteraction ui;
    grid->dbExecute();
    click();
    ASSERT_EQ(ui.openedUrls().size(), 1u);
    const QString path = openedWorkbook(ui, 0);
    EXPECT_TRUE(path.endsWith(u".xlsx"_s));
    // In a folder of its own under the temporary folder, which outlives the action.
    EXPECT_EQ(QFileInfo(QFileInfo(path).absolutePath()).absolutePath(), QDir::cleanPath(temp.path()));
    EXPECT_EQ(exportFolders().size(), 1);

    const auto book = readWorkbook(path);
    const QList<QStringList> expected = {
        {u"Имя"_s, u"Born"_s, u"Active"_s, u"City"_s, u"Note"_s},
        {u"smith"_s, u"3/7/24"_s, u"Да"_s, u"Oslo"_s, u"n"_s},
        {u"Иванов"_s, u"без даты"_s, u"Нет"_s, u""_s, QString::fromUtf8("Две\nстроки & <tag>")},
    };
    EXPECT_EQ(book.texts(), expected);
    for (int r = 0; r < book.rows.size(); ++r) {
        ASSERT_EQ(book.rows[r].size(), 5) << r;
        for (int c = 0; c < 5; ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
            EXPECT_EQ(book.rows[r][c].fill, r == 0 ? u"FFC8C8C8"_s : QString());
            EXPECT_TRUE(book.rows[r][c].thinBorders);
            EXPECT_TRUE(book.rows[r][c].shrink);
        }
    }
    // The first cell is the selection: no other one is named.
    const QString selection = test::elements(book.sheetXml, u"(<selection [^>]*>)"_s).value(0);
    EXPECT_TRUE(selection.isEmpty() || selection.contains(u"activeCell=\"A1\""_s)) << selection.toStdString();

    // Exporting the same grid again opens a second, separate workbook.
    click();
    ASSERT_EQ(ui.openedUrls().size(), 2u);
    EXPECT_NE(openedWorkbook(ui, 1), path);
    EXPECT_EQ(exportFolders().size(), 2);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(readWorkbook(openedWorkbook(ui, 1)).texts(), expected);
}

TEST_F(GridExport, EmptyGridExportsTitlesAndOneEmptyRow)
{
    ScriptedInteraction ui;
    db.execute(u"DELETE FROM person"_s);
    grid->dbExecute();
    click();
    const auto book = readWorkbook(openedWorkbook(ui, 0));
    EXPECT_EQ(book.texts(), (QList<QStringList>{{u"Имя"_s, u"Born"_s, u"Active"_s, u"City"_s, u"Note"_s},
                                                {u""_s, u""_s, u""_s, u""_s, u""_s}}));
    for (const auto &cell : book.rows.value(1))
        EXPECT_TRUE(cell.thinBorders && cell.shrink);
}

TEST_F(GridExport, WorkbookTheDesktopCannotOpenIsReportedAsAnError)
{
    RefusingInteraction ui;
    grid->dbExecute();
    try {
        click();
        FAIL() << "no error raised";
    } catch (const Error &error) {
        ASSERT_EQ(ui.openedUrls().size(), 1u);
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(openedWorkbook(ui, 0))) << error.what();
    }
}

} // namespace

TEST_F(GridExport, CancelledExportOpensNothingAndLeavesNothingBehind)
{
    db.execute(u"WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)"_s
               " INSERT INTO person (id, name) SELECT i, 'p' || i FROM n");
    grid->dbExecute();
    ScriptedInteraction ui;
    ui.showProgressAfter(std::chrono::milliseconds(0), [](qint64) { return false; });
    EXPECT_THROW(click(), SilentAbort); // the guard shows no message for it
    ASSERT_EQ(ui.progressWindows().size(), 1u);
    EXPECT_TRUE(ui.openedUrls().empty());
    EXPECT_TRUE(exportFolders().empty());
}

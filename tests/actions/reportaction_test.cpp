// The report button and the report designer command, on a hand-built form over a real SQLite
// file, and the demo project's two reports end to end.
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/reportaction.h"
#include "app/application.h"
#include "app/tfrmmain.h"
#include "controls/dbbutton.h"
#include "controls/dbedit.h"
#include "controls/dbstringgridex.h"
#include "controls/tform.h"
#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "report/reportdesigner.h"
#include "report/reportengine.h"
#include "report/reportpreview.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <chrono>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ProjectFolder;
using tarvo::test::ScriptedInteraction;

namespace {

// The texts of every prepared page, in page order.
QStringList printedTexts(const PreparedReport &report)
{
    QStringList texts;
    for (const PreparedPage &page : report.pages)
        for (const PreparedItem &item : page.items)
            if (!item.text.isEmpty())
                texts << item.text;
    return texts;
}

// Runs `click` expecting the preview; returns what it printed (empty when no preview opened).
QStringList previewOf(ScriptedInteraction &ui, const std::function<void()> &click)
{
    QStringList texts;
    ui.expectModal([&](QDialog *dialog) {
        auto *preview = qobject_cast<ReportPreview *>(dialog);
        ASSERT_NE(preview, nullptr);
        texts = printedTexts(preview->report());
    });
    click();
    return texts;
}

QStringList column(const ReportDataSet &data, const QString &name)
{
    QStringList values;
    const int c = data.columnIndex(name);
    for (int r = 0; c >= 0 && r < data.rowCount(); ++r)
        values << data.text(r, c);
    return values;
}

class ReportActionTest : public ::testing::Test {
protected:
    ReportActionTest()
    {
        setProjectFolder(folder.path());
        db.setDatabase(folder.file(QStringLiteral("shop.db")));
        db.open();
        db.execute(QStringLiteral("CREATE TABLE orders (id INTEGER PRIMARY KEY, number TEXT)"));
        db.execute(QStringLiteral(
            "CREATE TABLE order_lines (id INTEGER PRIMARY KEY, id_orders INTEGER, product TEXT, quantity INTEGER)"));
        db.execute(QStringLiteral("INSERT INTO orders VALUES (1, 'A-1'), (2, 'B-2')"));
        db.execute(QStringLiteral(
            "INSERT INTO order_lines VALUES (1, 1, 'Cards', 500), (2, 2, 'Engine', 1), (3, 2, 'Notes', 2)"));

        grid = add(new TdbStringGridEx(&form), "gridOrders");
        grid->setDbSQLConnection(&db);
        note = add(new TdbEdit(&form), "edNote");
        button = add(new TdbButton(&form), "bReport");
        button->setDbActionType(TdbButton::adbReport);
        button->setDbGeneralTableId(-1); // as the form loader leaves a report button
        button->setDbReportFile(QStringLiteral("lines.trp"));

        context.mainWindow = &form;
        context.connection = &db;
        context.report = &engine;
    }
    ~ReportActionTest() override { setProjectFolder(QString()); }

    template <class T> T *add(T *component, const char *name)
    {
        component->setObjectName(QString::fromLatin1(name));
        form.addComponent(component);
        return component;
    }

    void fillGrid(const QString &sql, int currentRow)
    {
        grid->setDbSQL(sql);
        grid->dbSQLExecute();
        if (currentRow > 0)
            grid->setRow(currentRow);
    }

    void click() { OnButtonClick(*button, context); }
    QString reportFolder() const { return folder.path() + QStringLiteral("Report"); }

    ScriptedInteraction ui;
    ProjectFolder folder{QStringLiteral("report-action-shop")};
    SqlConnection db;
    ReportEngine engine;
    TForm form;
    TdbStringGridEx *grid = nullptr;
    TdbEdit *note = nullptr;
    TdbButton *button = nullptr;
    ActionContext context;
};

} // namespace

TEST_F(ReportActionTest, GridWithoutAUsableRowStopsBeforeTheQuery)
{
    const struct {
        const char *gridSql, *text, *caption;
    } cases[] = {
        {"SELECT id, number FROM orders WHERE 0", "Please, select record in grid.", "Info"},
        {"SELECT NULL AS id, number FROM orders", "Unable to determine the record ID", "Error"},
    };
    engine.setDataSet(ReportDataSet({QStringLiteral("earlier")}, {{1}}));
    button->setDbResultControl(QStringLiteral("gridOrders"));
    button->setDbSQL(QStringLiteral("SELECT number, 'x' AS product, 1 AS quantity FROM orders"));
    for (const auto &c : cases) {
        fillGrid(QString::fromLatin1(c.gridSql), 1);
        const std::size_t before = ui.messages().size();
        ui.expectMessage();
        click(); // no preview expected
        ASSERT_EQ(ui.messages().size(), before + 1) << c.gridSql;
        EXPECT_EQ(ui.messages().back().text, QString::fromLatin1(c.text));
        EXPECT_EQ(ui.messages().back().caption, QString::fromLatin1(c.caption));
        EXPECT_EQ(button->dbGeneralTableId(), -1);
        EXPECT_EQ(engine.dataSet().columns(), QStringList{QStringLiteral("earlier")});
    }
}

TEST_F(ReportActionTest, RecordIdAndFormValuesArePutIntoTheQuery)
{
    // "$Id" inside a literal shows what the text became; the edit's quote must stay inside it.
    note->setText(QStringLiteral("O'Brien"));
    button->setDbSQL(QStringLiteral("SELECT '$Id/{edNote}' AS number, 'p' AS product, 1 AS quantity"));
    const struct {
        const char *resultControl;
        int buttonId, gridRow;
        const char *expected;
    } cases[] = {
        {"", -1, 0, "$Id/O'Brien"},         // nothing chosen: left for the designer to see
        {"", 7, 0, "7/O'Brien"},            // a form showing record 7
        {"gridOrders", -1, 2, "2/O'Brien"}, // the grid's current row
    };
    for (const auto &c : cases) {
        fillGrid(QStringLiteral("SELECT id, number FROM orders ORDER BY id"), c.gridRow);
        button->setDbResultControl(QString::fromLatin1(c.resultControl));
        button->setDbGeneralTableId(c.buttonId);
        const QStringList printed = previewOf(ui, [&] { click(); });
        EXPECT_TRUE(printed.contains(QStringLiteral("Order ") + QString::fromUtf8(c.expected)))
            << c.expected << ": " << printed.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(engine.dataSet().name(), QStringLiteral("Report"));
    }
    EXPECT_EQ(button->dbGeneralTableId(), 2);
}

TEST_F(ReportActionTest, PreviewShowsTheChosenOrderAndAnEmptyQueryKeepsItsData)
{
    button->setDbResultControl(QStringLiteral("gridOrders"));
    button->setDbSQL(
        QStringLiteral("SELECT number, product, quantity FROM orders JOIN order_lines ON id_orders = orders.id "
                       "WHERE orders.id = $ID ORDER BY order_lines.id"));
    fillGrid(QStringLiteral("SELECT id, number FROM orders ORDER BY id"), 2);
    const QStringList second = previewOf(ui, [&] { click(); });
    EXPECT_EQ(second, QStringList({u"Order B-2"_s, u"Engine"_s, u"1"_s, u"Notes"_s, u"2"_s}));
    EXPECT_EQ(engine.fileName(), reportFolder() + QStringLiteral("/lines.trp"));

    // No query: the rows of the previous run, whatever the grid now points at.
    button->setDbSQL(QString());
    grid->setRow(1);
    EXPECT_EQ(previewOf(ui, [&] { click(); }), second);
}

TEST_F(ReportActionTest, WithoutATemplateTheDesignerOpensOnAClearedReportWithTheQueryData)
{
    engine.loadTemplate(reportFolder() + QStringLiteral("/lines.trp"));
    engine.setDesignerFolders(QStringLiteral("/elsewhere"), QStringLiteral("/elsewhere"));
    button->setDbReportFile(QString());
    button->setDbSQL(QStringLiteral("SELECT product, quantity FROM order_lines ORDER BY id"));
    ui.expectModal([&](QDialog *dialog) {
        auto *designer = qobject_cast<ReportDesigner *>(dialog);
        ASSERT_NE(designer, nullptr);
        EXPECT_TRUE(engine.fileName().isEmpty());
        EXPECT_EQ(engine.designerOpenFolder(), reportFolder());
        EXPECT_EQ(engine.designerSaveFolder(), reportFolder());
        // A new table of the query's columns, not the template loaded before.
        EXPECT_NE(engine.reportTemplate().title, QStringLiteral("Order lines"));
        ASSERT_NE(engine.reportTemplate().band(BandType::MasterData), nullptr);
        EXPECT_TRUE(engine.reportTemplate().missingFields(engine.dataSet()).isEmpty());
        QStringList fields;
        for (int i = 0; i < designer->fieldList()->count(); ++i)
            fields << designer->fieldList()->item(i)->text();
        EXPECT_TRUE(fields.join(QLatin1Char('|')).contains(QStringLiteral("product")))
            << fields.join(QLatin1Char('|')).toStdString();
    });
    click();
    EXPECT_EQ(column(engine.dataSet(), QStringLiteral("product")), QStringList({u"Cards"_s, u"Engine"_s, u"Notes"_s}));
}

TEST_F(ReportActionTest, DesignerCommandKeepsTheReportAsLastUsed)
{
    button->setDbSQL(
        QStringLiteral("SELECT number, product, quantity FROM orders JOIN order_lines ON id_orders = orders.id"));
    previewOf(ui, [&] { click(); });
    db.close(); // the command must not run a query

    ui.expectModal([&](QDialog *dialog) {
        ASSERT_NE(qobject_cast<ReportDesigner *>(dialog), nullptr);
        EXPECT_EQ(engine.designerOpenFolder(), reportFolder());
        EXPECT_EQ(engine.designerSaveFolder(), reportFolder());
    });
    mniReportClick(engine);
    EXPECT_EQ(engine.fileName(), reportFolder() + QStringLiteral("/lines.trp"));
    EXPECT_EQ(engine.reportTemplate().title, QStringLiteral("Order lines"));
    EXPECT_EQ(engine.dataSet().rowCount(), 3);
}

TEST_F(ReportActionTest, MissingTemplateNamesThePathOnItsOwnLine)
{
    button->setDbReportFile(QStringLiteral("nope.trp"));
    button->setDbSQL(QStringLiteral("SELECT number FROM orders"));
    ui.expectMessage();
    click();
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text,
              QStringLiteral("Report file not found:\r") + reportFolder() + QStringLiteral("/nope.trp"));
    EXPECT_EQ(ui.messages()[0].caption, QStringLiteral("Error"));
}

TEST_F(ReportActionTest, FailuresReachTheCallerAndLeaveThePreviousDataIntact)
{
    button->setDbSQL(
        QStringLiteral("SELECT number, product, quantity FROM orders JOIN order_lines ON id_orders = orders.id"));
    const QStringList first = previewOf(ui, [&] { click(); });

    button->setDbReportFile(QStringLiteral("bad.trp"));
    try {
        click();
        ADD_FAILURE() << "a template that is no XML was accepted";
    } catch (const ParseError &e) {
        EXPECT_TRUE(e.message().contains(reportFolder() + QStringLiteral("/bad.trp"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("not valid XML"))) << e.what();
    }

    button->setDbReportFile(QStringLiteral("lines.trp"));
    const char *failing[] = {
        "SELECT number, product FROM no_such_table",
        // The second row overflows: the error comes while the rows are read, not when prepared.
        "SELECT 'X' AS number, abs(v) AS product, 1 AS quantity "
        "FROM (SELECT 1 AS v UNION ALL SELECT -9223372036854775807 - 1)",
    };
    for (const char *sql : failing) {
        button->setDbSQL(QString::fromLatin1(sql));
        EXPECT_THROW(click(), DatabaseError) << sql;
    }
    button->setDbSQL(QString());
    EXPECT_EQ(previewOf(ui, [&] { click(); }), first);
}

TEST_F(ReportActionTest, CancelWhileReadingOrPreparingOpensNoPreview)
{
    button->setDbSQL(
        QStringLiteral("SELECT number, product, quantity FROM orders JOIN order_lines ON id_orders = orders.id"));
    previewOf(ui, [&] { click(); });
    // Rows enough for the progress of reading them and of laying them out.
    button->setDbSQL(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
                                    " SELECT 'A-1' AS number, 'p' || i AS product, i AS quantity FROM n"));
    for (const std::size_t cancelled : {1u, 2u}) { // the window of reading the rows, of preparing
        SCOPED_TRACE(cancelled);
        ScriptedInteraction desktop; // strict: a preview would be an unexpected modal form
        desktop.showProgressAfter(std::chrono::milliseconds(0),
                                  [&](qint64) { return desktop.progressWindows().size() < cancelled; });
        EXPECT_THROW(click(), SilentAbort);
        EXPECT_EQ(desktop.progressWindows().size(), cancelled);
        EXPECT_EQ(engine.dataSet().rowCount(), cancelled == 1 ? 3 : 300); // reading keeps the data
    }
}

// The demo project as a user runs it: sample data, the customer list, then an order's invoice.
TEST(ReportDemo, CustomerListAndInvoiceShowTheSampleData)
{
    ScriptedInteraction ui;
    ProjectFolder folder;
    const QString demo = QStringLiteral(TARVO_SOURCE_DIR "/examples/demo");
    for (QDirIterator it(demo, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString from = it.next();
        folder.write(QDir(demo).relativeFilePath(from), [&] {
            QFile f(from);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }());
    }
    setProjectFolder(folder.path());
    struct Restore {
        ~Restore() { setProjectFolder(QString()); }
    } restore;

    ApplicationWindows windows;
    ASSERT_TRUE(windows.showMainWindow());
    TfrmMain &main = windows.frmMain();
    auto buttonOf = [](FormBase &form, const char *name) {
        auto *b = qobject_cast<TdbButton *>(form.findComponent(QString::fromLatin1(name)));
        EXPECT_NE(b, nullptr) << name;
        return b;
    };
    buttonOf(main, "bSample")->click();

    const QStringList list = previewOf(ui, [&] { buttonOf(main, "bReport")->click(); });
    for (const char *expected :
         {"Customer list", "Ada Lovelace", "Oslo", "+47 555 0101", "ada@example.org", "Customers: 3", "Page 1 of 1"})
        EXPECT_TRUE(list.contains(QString::fromUtf8(expected)))
            << expected << ": " << list.join(QLatin1Char('|')).toStdString();

    auto *customers = qobject_cast<TdbStringGridEx *>(main.findComponent(QStringLiteral("gridCustomers")));
    ASSERT_NE(customers, nullptr);
    buttonOf(main, "bSearch")->click();
    ASSERT_EQ(customers->dbListId().size(), 3);
    customers->setRow(1); // Ada Lovelace, the first by name
    QStringList invoice;
    ui.expectModal([&](QDialog *dialog) {
        auto *form = dynamic_cast<FormBase *>(dialog);
        ASSERT_NE(form, nullptr);
        auto *orders = qobject_cast<TdbStringGridEx *>(form->findComponent(QStringLiteral("gridOrders")));
        ASSERT_NE(orders, nullptr);
        ASSERT_EQ(orders->dbListId().size(), 2);
        orders->setRow(1); // A-1001
        invoice = previewOf(ui, [&] { buttonOf(*form, "bInvoice")->click(); });
    });
    buttonOf(main, "bEdit")->click();
    ASSERT_FALSE(invoice.isEmpty());
    // Dates and money in the test's locale (en_US), formatted by the template.
    for (const char *expected : {"No. A-1001", "11/2/26", "Ada Lovelace", "Analytical engine", "1,200.50",
                                 "Punched cards", "500", "0.25", "125.00", "$1,325.50"})
        EXPECT_TRUE(invoice.contains(QString::fromUtf8(expected)))
            << expected << ": " << invoice.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(invoice.join(QLatin1Char('|')).contains(QStringLiteral("Notes on the engine")));
}

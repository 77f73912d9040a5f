// Reading a report's rows, preparing it and exporting it show their progress; Cancel stops
// each without a message, keeps the data set as it was and leaves no export file behind (an
// earlier file of that name stays as it was).
#include "platform/errors.h"
#include "report/reportexport.h"
#include "report/reportpainter.h"
#include "report/reporttestdata.h"
#include "schema/sqlconnection.h"
#include "support/scriptedinteraction.h"

#include <QDir>
#include <chrono>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace tarvo;
using namespace tarvo::test;
using namespace std::chrono_literals;

namespace {

TEST(ReportProgress, PreparingShowsRowsOfTheTotalAndCancelStopsIt)
{
    const ReportDataSet data = customers(200);
    {
        ScriptedInteraction desktop;
        desktop.showProgressAfter(0ms);
        const PreparedReport report = prepareReport(listTemplate(), data, std::nullopt, fixedNow);
        EXPECT_GT(report.pages.size(), 1);
        ASSERT_EQ(desktop.progressWindows().size(), 1u);
        EXPECT_EQ(desktop.progressWindows().front().total, 200);
        EXPECT_GE(desktop.progressWindows().front().updates.size(), 10);
    }
    ScriptedInteraction desktop;
    desktop.showProgressAfter(0ms, [](qint64) { return false; });
    EXPECT_THROW(prepareReport(listTemplate(), data, std::nullopt, fixedNow), SilentAbort);
    EXPECT_TRUE(desktop.messages().empty());
}

TEST(ReportProgress, CancelledReadingKeepsTheDataSetAsItWas)
{
    SqlConnection db;
    db.setDatabase(QStringLiteral(":memory:"));
    db.open();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)"));
    db.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                              " INSERT INTO t SELECT i, 'row ' || i FROM n"));
    struct Case {
        const char *when;
        void (*read)(SqlConnection &, ReportDataSet &);
        QString label;
    };
    const Case cases[] = {
        {"while the rows arrive",
         [](SqlConnection &connection, ReportDataSet &data) {
             SqlQuery query = connection.query(u"SELECT * FROM t"_s);
             data.connect(query);
         },
         u"Reading the report's rows: 256"_s},
        {"while the database sorts before the first row",
         [](SqlConnection &connection, ReportDataSet &data) {
             data.read(connection, u"SELECT * FROM t ORDER BY random()"_s);
         },
         u"Reading the report's rows: 0"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.when);
        ReportDataSet data = customers(3);
        ScriptedInteraction desktop;
        desktop.showProgressAfter(0ms, [](qint64) { return false; });
        EXPECT_THROW(c.read(db, data), SilentAbort);
        EXPECT_EQ(data.columns(), QStringList({u"id"_s, u"name"_s, u"balance"_s}));
        EXPECT_EQ(data.rowCount(), 3);
        ASSERT_EQ(desktop.progressWindows().size(), 1u);
        EXPECT_EQ(desktop.progressWindows().front().label, c.label);
    }
    ReportDataSet data; // the connection reads again after a cancel
    data.read(db, u"SELECT * FROM t ORDER BY id DESC"_s);
    EXPECT_EQ(data.rowCount(), 5000);
    EXPECT_EQ(data.text(0, 0), u"5000"_s);
}

TEST(ReportProgress, CancelledExportLeavesNoFileAndKeepsAnEarlierOne)
{
    const PreparedReport report = prepareReport(listTemplate(), customers(200), std::nullopt, fixedNow);
    ASSERT_GT(report.pages.size(), 2);
    struct Export {
        QString name;
        void (*write)(const PreparedReport &, const QString &);
    };
    const Export exports[] = {{u"out.pdf"_s, &exportPdf},
                              {u"out.html"_s, &exportHtml},
                              {u"out.xml"_s, &exportSpreadsheetXml}};
    for (const Export &e : exports) {
        for (const bool earlier : {false, true}) {
            SCOPED_TRACE(e.name.toStdString() + (earlier ? " over an earlier file" : ""));
            ProjectFolder folder;
            if (earlier)
                folder.write(e.name, QByteArray("earlier"));
            ScriptedInteraction desktop;
            desktop.showProgressAfter(0ms, [](qint64) { return false; });
            EXPECT_THROW(e.write(report, folder.file(e.name)), SilentAbort);
            ASSERT_EQ(desktop.progressWindows().size(), 1u);
            EXPECT_GT(desktop.progressWindows().front().total, 1);
            const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
            EXPECT_EQ(left, earlier ? QStringList({e.name}) : QStringList());
            if (earlier) {
                EXPECT_EQ(folder.read(e.name), "earlier");
            }
        }
    }
}

} // namespace

#include "report/reportdataset.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;

TEST(ReportDataSet, CopiesAQueryKeepingStorageClasses)
{
    const test::ProjectFolder folder;
    SqlConnection db;
    db.setDatabase(folder.file("data.db"));
    db.open();
    db.execute("CREATE TABLE t (Id INTEGER, Name TEXT, Price REAL, Photo BLOB)");
    db.execute("INSERT INTO t VALUES (1, 'Tea', 2.5, x'00ff'), (2, NULL, 1234567.125, NULL)");
    SqlQuery query = db.query("SELECT * FROM t ORDER BY Id");
    ReportDataSet data;
    data.connect(query);
    EXPECT_TRUE(query.eof());

    EXPECT_EQ(data.columns(), (QStringList{"Id", "Name", "Price", "Photo"}));
    EXPECT_EQ(data.columnIndex("PRICE"), 2);
    EXPECT_EQ(data.columnIndex("absent"), -1);
    ASSERT_EQ(data.rowCount(), 2);
    EXPECT_EQ(data.value(0, 0), QVariant(qint64(1)));
    EXPECT_EQ(data.value(0, 3), QVariant(QByteArray("\x00\xff", 2)));
    EXPECT_TRUE(data.value(1, 1).isNull());
    // What the report prints: no grouping in numbers, nothing for NULL and BLOBs.
    EXPECT_EQ(data.text(1, 2), "1234567.125");
    EXPECT_EQ(data.text(0, 2), "2.5");
    EXPECT_EQ(data.text(1, 1), "");
    EXPECT_EQ(data.text(0, 3), "");
}

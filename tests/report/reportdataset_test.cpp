#include "report/reportdataset.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

TEST(ReportDataSet, CopiesAQueryKeepingStorageClasses)
{
    const test::ProjectFolder folder;
    SqlConnection db;
    db.setDatabase(folder.file(u"data.db"_s));
    db.open();
    db.execute(u"CREATE TABLE t (Id INTEGER, Name TEXT, Price REAL, Photo BLOB)"_s);
    db.execute(u"INSERT INTO t VALUES (1, 'Tea', 2.5, x'00ff'), (2, NULL, 1234567.125, NULL)"_s);
    SqlQuery query = db.query(u"SELECT * FROM t ORDER BY Id"_s);
    ReportDataSet data;
    data.connect(query);
    EXPECT_TRUE(query.eof());

    EXPECT_EQ(data.columns(), (QStringList{u"Id"_s, u"Name"_s, u"Price"_s, u"Photo"_s}));
    EXPECT_EQ(data.columnIndex(u"PRICE"_s), 2);
    EXPECT_EQ(data.columnIndex(u"absent"_s), -1);
    ASSERT_EQ(data.rowCount(), 2);
    EXPECT_EQ(data.value(0, 0), QVariant(qint64(1)));
    EXPECT_EQ(data.value(0, 3), QVariant(QByteArray("\x00\xff", 2)));
    EXPECT_TRUE(data.value(1, 1).isNull());
    // What the report prints: no grouping in numbers, nothing for NULL and BLOBs.
    EXPECT_EQ(data.text(1, 2), u"1234567.125"_s);
    EXPECT_EQ(data.text(0, 2), u"2.5"_s);
    EXPECT_EQ(data.text(1, 1), u""_s);
    EXPECT_EQ(data.text(0, 3), u""_s);
}

#include "schema/lookuplist.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;

// A template's fields are put in one after the other, each into the result of the previous ones;
// the direct way of putting them in must give the same texts, also where they interact.
TEST(LookupDisplay, TemplatesReadAsIfReplacedFieldByField)
{
    test::ProjectFolder folder;
    SqlConnection db;
    db.setDatabase(folder.file(QStringLiteral("sqlite.db")));
    db.open();
    db.execute(QStringLiteral("CREATE TABLE p (id INTEGER PRIMARY KEY, a TEXT, b TEXT);"));
    const struct {
        const char *dbField, *a, *b, *shown;
    } cases[] = {
        {"{a}, {b}", "Smith", "Ann", "Smith, Ann"},
        {"{A} and {a}", "x", "y", "x xnd x"}, // named twice: the second is then a bare name
        {"{a} {b} {}", "1", "2", "1 2 {}"},   // empty braces name no column and stay
        {"[{a}] {b", "1", "2", "[1] {b"},     // an unclosed brace stays
        {"{a}/{b}", "{b}", "B", "B/B"},       // a value that holds a field's braces
        {"{a}{b}", "", "", ""},
        {"Mr {b}", "-", "ИВАНОВ", "Mr иванов"}, // display case of the whole text
        {"ИМЯ {a}", "Bob", "", "Имя bob"},      // also when only the template is non-Latin
    };
    for (const auto &c : cases) {
        db.execute(SqlStatement(QStringLiteral("DELETE FROM p; INSERT INTO p (a, b) VALUES ("))
                       .text(QString::fromUtf8(c.a))
                       .sql(QStringLiteral(", "))
                       .text(QString::fromUtf8(c.b))
                       .sql(QStringLiteral(")")));
        const QString dbField = QString::fromUtf8(c.dbField);
        SqlQuery row = db.query(lookupQueryText(QStringLiteral("p"), dbField, false));
        EXPECT_EQ(LookupDisplay(dbField, row).text(row), QString::fromUtf8(c.shown)) << c.dbField;
    }
}

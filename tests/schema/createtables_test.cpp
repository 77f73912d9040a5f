#include "platform/errors.h"
#include "schema/createtables.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

QStringList statementsFor(const QString &tablesIni)
{
    test::ProjectFolder folder;
    folder.write(QStringLiteral("tables.ini"), tablesIni);
    return BuildCreateTableStatements(folder.file(QStringLiteral("tables.ini")));
}

const char *kOrders = "[orders]\n-number=TEXT\n_ordered=DATE\n_scan=IMAGE\n^id_customers=customers\n*record_count=1\n";

} // namespace

TEST(CreateTables, ATableWithEveryKindOfColumnBecomesOneExactStatement)
{
    EXPECT_EQ(statementsFor(QString::fromUtf8(kOrders)),
              QStringList({u"CREATE TABLE orders (id INTEGER PRIMARY KEY ASC, number TEXT NOT NULL, ordered TEXT, "_s
                           "scan BLOB, scan_filename TEXT, id_customers INTEGER NOT NULL, record_count INTEGER, "
                           "FOREIGN KEY(id_customers) REFERENCES customers(id) ON DELETE CASCADE); "}));
}

TEST(CreateTables, EachKeyKind)
{
    const QString head = QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY ASC");
    const struct {
        const char *key;
        const char *appended;
    } cases[] = {
        {"_price=REAL", ", price REAL"},
        {"_weight=real", ", weight real"},
        {"_done=BOOLEAN", ", done INTEGER"},
        {"-born=DATE", ", born TEXT NOT NULL"},
        {"_at=TIME", ", at TEXT"},
        {"_when=DATETIME", ", when TEXT"},
        {"-photo=IMAGE", ", photo BLOB NOT NULL, photo_filename TEXT NOT NULL"},
        {"_doc=FILE", ", doc BLOB, doc_filename TEXT"},
        {"_raw=BLOB", ", raw BLOB, raw_filename TEXT"},
        {">id_city=city", ", id_city INTEGER"},
        {"+id_city=city", ", id_city INTEGER NOT NULL"},
        {"^id_city=city", ", id_city INTEGER NOT NULL, FOREIGN KEY(id_city) REFERENCES city(id) ON DELETE CASCADE"},
        {"*record_count=100", ", record_count INTEGER"},
        {"_note=", ", note "},
        {"isdictionary=1", ""},
        {"Name=TEXT", ""},
        // The tests run in turn on the shortened key.
        {"_>x=TEXT", ", >x TEXT, x INTEGER"},
        // A marker alone names no column.
        {"_=TEXT", ""},
        {"^=city", ""},
        {"*=5", ""},
    };
    for (const auto &c : cases) {
        const QString ini = QStringLiteral("[t]\n") + QString::fromUtf8(c.key) + u'\n';
        EXPECT_EQ(statementsFor(ini), QStringList({head + QString::fromUtf8(c.appended) + QStringLiteral("); ")}))
            << c.key;
    }
}

TEST(CreateTables, SectionsInFileOrderAndNoFile)
{
    EXPECT_EQ(statementsFor(QStringLiteral("[b]\n_x=TEXT\n[a]\n")),
              QStringList({u"CREATE TABLE b (id INTEGER PRIMARY KEY ASC, x TEXT); "_s,
                           u"CREATE TABLE a (id INTEGER PRIMARY KEY ASC); "_s}));
    EXPECT_TRUE(statementsFor(QString()).isEmpty());
    EXPECT_TRUE(BuildCreateTableStatements(QStringLiteral("/no/such/tables.ini")).isEmpty());
}

TEST(CreateTables, StatementsRunAndCascade)
{
    test::ProjectFolder folder;
    const QStringList statements = statementsFor(QString::fromUtf8(kOrders)
                                                 + QStringLiteral("[customers]\n-name=TEXT\nisdictionary=1\n"));
    SqlConnection connection;
    connection.setDatabase(folder.file(QStringLiteral("sqlite.db")));
    connection.open();
    for (const QString &statement : statements) // the foreign key names a later table
        connection.execute(statement);
    connection.execute(QStringLiteral("INSERT INTO customers (name) VALUES ('A')"));
    connection.execute(QStringLiteral("INSERT INTO orders (number, id_customers) VALUES ('1', 1)"));
    EXPECT_THROW(connection.execute(QStringLiteral("INSERT INTO orders (number, id_customers) VALUES ('2', 5)")),
                 DatabaseError);
    connection.execute(QStringLiteral("DELETE FROM customers"));
    EXPECT_TRUE(connection.query(QStringLiteral("SELECT * FROM orders")).isEmpty());
    EXPECT_THROW(connection.execute(statements.first()), DatabaseError); // already exists
}

#include "platform/errors.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/openerror.h"
#include "support/printto.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::openError;

namespace {

class SqlConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_db.setDatabase(m_folder.file(QStringLiteral("sqlite.db")));
        m_db.open();
    }
    QString scalar(const QString &sql) { return m_db.query(sql).text(0); }

    test::ProjectFolder m_folder;
    SqlConnection m_db;
};

} // namespace

TEST(SqlConnectionOpen, CreatesFileWithForeignKeysOn)
{
    test::ProjectFolder folder;
    SqlConnection connection;
    connection.setDatabase(folder.file(QStringLiteral("new.db")));
    connection.open();
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("new.db"))));
    EXPECT_EQ(connection.query(QStringLiteral("PRAGMA foreign_keys")).integer(0), 1);
}

TEST(SqlConnectionOpen, BadFilesFailWithSqliteMessage)
{
    test::ProjectFolder folder;
    folder.write(QStringLiteral("text.db"),
                 QByteArray("This is a text file, long enough to hold a header. ").repeated(20));
    EXPECT_EQ(openError(folder.file(QStringLiteral("text.db"))), QStringLiteral("file is not a database"));
    EXPECT_EQ(openError(folder.path()), QStringLiteral("unable to open database file"));
    EXPECT_EQ(openError(folder.file(QStringLiteral("no/such/folder/x.db"))),
              QStringLiteral("unable to open database file"));
}

TEST_F(SqlConnectionTest, ExecutesEveryStatementOfAText)
{
    m_db.execute(QStringLiteral("CREATE TABLE a (id INTEGER PRIMARY KEY ASC, x TEXT); "
                                "CREATE TABLE b (id INTEGER PRIMARY KEY ASC); INSERT INTO a (x) VALUES ('1'); "));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM a")), QStringLiteral("1"));
    EXPECT_TRUE(m_db.query(QStringLiteral("SELECT * FROM b")).isEmpty());
    try {
        m_db.execute(QStringLiteral("INSERT INTO nowhere VALUES (1)"));
        FAIL();
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("no such table: nowhere"));
    }
}

TEST_F(SqlConnectionTest, ValueTextRules)
{
    m_db.execute(QStringLiteral("CREATE TABLE v (i INTEGER, r REAL, t TEXT, n TEXT, b BLOB)"));
    m_db.execute(QStringLiteral("INSERT INTO v VALUES (-42, 1234567.125, ' 12 ', NULL, x'00ff'), "
                                "(9007199254740993, 0.1, 'abc', '', NULL)"));
    SqlQuery q = m_db.query(QStringLiteral("SELECT i, r, t, n AS Alias, b FROM v"));
    EXPECT_EQ(q.columnNames(), QStringList({u"i"_s, u"r"_s, u"t"_s, u"Alias"_s, u"b"_s}));
    EXPECT_EQ(q.columnIndex(QStringLiteral("ALIAS")), 3);
    EXPECT_EQ(q.columnIndex(QStringLiteral("missing")), -1);
    EXPECT_EQ(q.text(0), QStringLiteral("-42"));
    EXPECT_EQ(q.text(1), QStringLiteral("1234567.125")); // no group separators
    EXPECT_EQ(q.integer(2), 12);
    EXPECT_TRUE(q.isNull(3));
    EXPECT_EQ(q.text(QStringLiteral("alias")), QString());
    EXPECT_EQ(q.integer(3), 0);
    EXPECT_TRUE(q.isBlob(4));
    EXPECT_EQ(q.bytes(4), QByteArray("\x00\xff", 2));
    q.next();
    EXPECT_EQ(q.integer(0), 9007199254740993LL);
    EXPECT_EQ(q.text(0), QStringLiteral("9007199254740993"));
    SqlQuery two = m_db.query(QStringLiteral("SELECT -9223372036854775807 - 1, 7"));
    const QByteArrayView smallest = *two.utf8(0), seven = *two.utf8(1);
    EXPECT_EQ(smallest, "-9223372036854775808"); // each column's digits stay readable beside another's
    EXPECT_EQ(seven, "7");
    EXPECT_EQ(q.text(1), QStringLiteral("0.1"));
    EXPECT_FALSE(q.isNull(3));
    EXPECT_EQ(q.text(3), QString());
    try {
        q.integer(2);
        FAIL();
    } catch (const ConversionError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_FALSE(q.isEmpty());

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = scalar(QStringLiteral("SELECT r FROM v WHERE i = -42"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(german, QStringLiteral("1234567,125"));
}

TEST_F(SqlConnectionTest, BlobMarkersOutsideQuotesOnly)
{
    m_db.execute(
        QStringLiteral("CREATE TABLE f (id INTEGER PRIMARY KEY ASC, note TEXT, other TEXT, data BLOB, thumb BLOB)"));
    const QByteArray data("\x00\x01\x02:data\xff", 9);
    const QByteArray thumb(1000, '\x7f');
    m_db.executeWithBlobs(QStringLiteral("INSERT INTO f (note, other, data, thumb) "
                                         "VALUES (':data it''s', \"x:thumb\", :data, :thumb)"),
                          {data, thumb});
    SqlQuery q = m_db.query(QStringLiteral("SELECT note, other, data, thumb FROM f"));
    EXPECT_EQ(q.text(0), QStringLiteral(":data it's"));
    EXPECT_EQ(q.text(1), QStringLiteral("x:thumb"));
    EXPECT_TRUE(q.isBlob(2));
    EXPECT_EQ(q.bytes(2), data);
    EXPECT_EQ(q.bytes(3), thumb);
}

TEST_F(SqlConnectionTest, UserTextsAreBoundAsText)
{
    m_db.execute(QStringLiteral("CREATE TABLE people (id INTEGER PRIMARY KEY ASC, name TEXT, pic BLOB)"));
    m_db.execute(QStringLiteral("INSERT INTO people (name) VALUES ('other')"));
    const QStringList texts = {QStringLiteral("name"), QStringLiteral("say \"hi\"\"; DROP TABLE people; --"),
                               QStringLiteral("it's"), QStringLiteral("ПЁТР")};
    for (const QString &text : texts) {
        SqlStatement insert;
        insert.sql(QStringLiteral("INSERT INTO people (name, pic) VALUES ("))
            .text(text)
            .sql(QStringLiteral(", "))
            .blob(QStringLiteral("pic"), QByteArray("\x89PNG", 4))
            .sql(QStringLiteral(")"));
        m_db.execute(insert);
        SqlStatement search(QStringLiteral("SELECT name, pic FROM people WHERE name = "));
        search.text(text);
        SqlQuery q = m_db.query(search);
        ASSERT_FALSE(q.isEmpty()) << text.toStdString();
        EXPECT_EQ(q.text(0), text);
        EXPECT_EQ(q.bytes(1), QByteArray("\x89PNG", 4));
        q.next();
        EXPECT_TRUE(q.eof()) << "a text equal to a column name matched every row";
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM people")), QStringLiteral("5"));

    SqlStatement rendered(QStringLiteral("UPDATE people SET name = "));
    rendered.text(QStringLiteral("say \"hi\"")).sql(QStringLiteral(", pic = ")).blob(QStringLiteral("pic"), "x");
    EXPECT_EQ(rendered.renderedText(), QStringLiteral("UPDATE people SET name = \"say \"\"hi\"\"\", pic = :pic"));
    EXPECT_EQ(rendered.parameterisedSql(), QStringLiteral("UPDATE people SET name = ?, pic = ?"));
}

TEST_F(SqlConnectionTest, QueryErrorsAndMoves)
{
    EXPECT_THROW(m_db.query(QStringLiteral("SELEC 1")), DatabaseError);
    SqlQuery first = m_db.query(QStringLiteral("SELECT 1 UNION ALL SELECT 2"));
    SqlQuery moved = std::move(first);
    EXPECT_TRUE(first.eof());
    EXPECT_EQ(moved.integer(0), 1);
    moved.next();
    EXPECT_EQ(moved.integer(0), 2);
    SqlConnection closed;
    EXPECT_THROW(closed.execute(QStringLiteral("SELECT 1")), DatabaseError);
}

TEST(SqlConnectionSharing, TwoWritersOnOneFileLoseNothing)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("shared.db"));
    {
        SqlConnection setup;
        setup.setDatabase(path);
        setup.open();
        setup.execute(QStringLiteral("CREATE TABLE log (id INTEGER PRIMARY KEY ASC, writer INTEGER, n INTEGER)"));
    }
    constexpr int kRows = 150;
    QString errors[2];
    auto writer = [&](int who) {
        try {
            SqlConnection connection;
            connection.setDatabase(path);
            connection.open();
            for (int n = 0; n < kRows; ++n) {
                connection.execute(QStringLiteral("INSERT INTO log (writer, n) VALUES (%1, %2)").arg(who).arg(n));
                // A reader in between keeps shared and exclusive locks contending.
                connection.query(QStringLiteral("SELECT count(*) FROM log")).integer(0);
            }
        } catch (const Error &error) {
            errors[who] = error.message();
        }
    };
    std::thread a(writer, 0);
    std::thread b(writer, 1);
    a.join();
    b.join();
    EXPECT_EQ(errors[0], QString());
    EXPECT_EQ(errors[1], QString());
    SqlConnection check;
    check.setDatabase(path);
    check.open();
    EXPECT_EQ(check.query(QStringLiteral("SELECT count(DISTINCT writer || '-' || n) FROM log")).integer(0), 2 * kRows);
}

TEST_F(SqlConnectionTest, KeptStatementsAreReusedReadTwiceAtOnceAndReleaseTheirLock)
{
    m_db.execute(QStringLiteral(
        "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT); INSERT INTO t (name) VALUES ('a'), ('b');"));
    const auto byId = [](const char *id) {
        return SqlStatement(QStringLiteral("SELECT name FROM t WHERE id=")).text(QString::fromLatin1(id));
    };
    {
        SqlQuery first = m_db.queryKept(byId("1"));
        SqlQuery second = m_db.queryKept(byId("2")); // same text while the first is open
        EXPECT_EQ(first.text(0), QStringLiteral("a"));
        EXPECT_EQ(second.text(0), QStringLiteral("b"));
        // An open read holds a shared lock: another user cannot write meanwhile.
        SqlConnection other;
        other.setDatabase(m_folder.file(QStringLiteral("sqlite.db")));
        other.open();
        sqlite3_busy_timeout(other.handle(), 0);
        EXPECT_THROW(other.execute(QStringLiteral("INSERT INTO t (name) VALUES ('c')")), DatabaseBusyError);
    }
    SqlConnection other;
    other.setDatabase(m_folder.file(QStringLiteral("sqlite.db")));
    other.open();
    other.execute(QStringLiteral("INSERT INTO t (name) VALUES ('c')")); // the kept statements let go
    EXPECT_EQ(m_db.queryKept(byId("3")).text(0), QStringLiteral("c"));
    EXPECT_TRUE(m_db.queryKept(byId("4")).isEmpty());
}

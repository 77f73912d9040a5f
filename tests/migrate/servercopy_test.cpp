// Moving a project's database file to a server database: what arrives, what a failure leaves.
#include "migrate/servercopy.h"
#include "platform/errors.h"
#include "schema/createtables.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"
#include "support/serverdatabase.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

QByteArray everyByte()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}

// A value with its storage class, readable in a failure: "qlonglong 7", "QByteArray 5c7834", "NULL".
QString shown(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    const QString content = value.typeId() == QMetaType::QByteArray ? QString::fromLatin1(value.toByteArray().toHex())
                            : value.typeId() == QMetaType::Double   ? QString::number(value.toDouble(), 'g', 17)
                                                                    : value.toString();
    return QString::fromLatin1(value.typeName()) + u' ' + content;
}

// The rows of a table in id order.
QList<QStringList> rowsOf(SqlConnection &db, const QString &table)
{
    QList<QStringList> rows;
    for (SqlQuery row = db.query(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table)); !row.eof(); row.next()) {
        QStringList values;
        for (int c = 0; c < row.columnCount(); ++c)
            values << shown(row.value(c));
        rows << values;
    }
    return rows;
}

class ServerCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::testServer().isEmpty())
            GTEST_SKIP() << "no test server (scripts/test starts one)";
        tables = ReadTableDefinitions(project.file(QStringLiteral("tables.ini")));
        startAfresh();
    }

    // An empty server database and a database file with the tables and no rows.
    void startAfresh()
    {
        m_server = std::make_unique<test::ServerDatabase>();
        file.close();
        QFile::remove(project.file(QStringLiteral("sqlite.db")));
        file.setDatabase(project.file(QStringLiteral("sqlite.db")));
        file.open();
        file.createSchema(tables);
    }

    // A shop with gaps in its ids, empty values, a picture of every byte and texts beyond ASCII.
    void fillFile()
    {
        file.execute(QStringLiteral("INSERT INTO city (id, name) VALUES (3, 'Tartu'), (7, 'Åland — 東京')"));
        file.executeWithBlobs(
            QStringLiteral("INSERT INTO customers (id, name, photo, photo_filename, born, id_city, visits) "
                           "VALUES (10, 'Jörg \"Ärni\" O''Neil', :photo, 'ö.png', '2001-02-03', 7, 1099511627776)"),
            {everyByte()});
        file.execute(QStringLiteral("INSERT INTO customers (id, name) VALUES (11, 'nobody''s')"));
        // The file keeps any value in any column: a text where pictures go.
        file.execute(QStringLiteral("INSERT INTO customers (id, name, photo) VALUES (12, 'text picture', '\\x41')"));
        file.execute(QStringLiteral("INSERT INTO orders (id, number, total, id_customers) VALUES "
                                    "(1, 'A-1', 0.1, 10), (2, 'A-2', 1e300, 11), (5, 'A-5', NULL, 10)"));
    }

    QString serverLocation() const { return m_server->location(); }

    test::ScriptedInteraction ui;
    test::ProjectFolder project{QStringLiteral("migrate-shop")};
    QList<TableDefinition> tables;
    SqlConnection file;
    std::unique_ptr<test::ServerDatabase> m_server;
};

TEST_F(ServerCopy, EveryValueArrivesAsTheFileHoldsItAndNewIdsFollowTheCopiedOnes)
{
    fillFile();
    QList<QPair<qint64, qint64>> progress;
    const CopyReport report = copyToServer(file.database(), tables, serverLocation(), [&](qint64 done, qint64 total) {
        progress.append({done, total});
    });
    const QList<CopiedTable> &copied = report.tables;
    EXPECT_TRUE(report.leftBehind.isEmpty()) << report.leftBehind.join(u',').toStdString();

    ASSERT_EQ(copied.size(), 4);
    const qint64 expected[] = {3, 3, 2, 0}; // orders, customers, city, notes
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(copied[i].name, tables[i].name);
        EXPECT_EQ(copied[i].rows, expected[i]) << tables[i].name.toStdString();
    }
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.front(), qMakePair(qint64(0), qint64(8)));
    EXPECT_EQ(progress.back(), qMakePair(qint64(8), qint64(8)));

    SqlConnection server;
    server.setDatabase(serverLocation());
    server.open();
    for (const QString &table : {QStringLiteral("orders"), QStringLiteral("city"), QStringLiteral("notes")})
        EXPECT_EQ(rowsOf(server, table), rowsOf(file, table)) << table.toStdString();
    QList<QStringList> customers = rowsOf(file, QStringLiteral("customers"));
    EXPECT_EQ(customers[0][2], shown(everyByte()));
    // The text picture arrives as its own bytes, not read as bytea's escapes.
    customers[2][2] = shown(QByteArray("\\x41"));
    EXPECT_EQ(rowsOf(server, QStringLiteral("customers")), customers);

    const auto newId = [&](const QString &insert) {
        return server.query(insert + QStringLiteral(" RETURNING id")).integer(0);
    };
    EXPECT_EQ(newId(QStringLiteral("INSERT INTO city (name) VALUES ('new')")), 8);
    EXPECT_EQ(newId(QStringLiteral("INSERT INTO notes (text) VALUES ('first')")), 1);
    // The foreign keys are back in force.
    EXPECT_THROW(server.execute(QStringLiteral("INSERT INTO orders (number, id_customers) VALUES ('X', 999)")),
                 DatabaseError);
}

// The server gets the tables of tables.ini only: whatever else the file holds is named, not lost
// unnoticed.
TEST_F(ServerCopy, WhatTablesIniDoesNotDefineIsNamed)
{
    fillFile();
    file.execute(QStringLiteral("ALTER TABLE customers ADD COLUMN fax TEXT; CREATE TABLE scratch (x)"));

    const CopyReport report = copyToServer(file.database(), tables, serverLocation());

    EXPECT_EQ(report.leftBehind, QStringList({u"column customers.fax"_s, u"table scratch"_s}));
}

TEST_F(ServerCopy, AFailureLeavesTheServerDatabaseWithoutTheTables)
{
    struct Case {
        const char *what;
        const char *damage; // run on the file with its foreign keys off
        const char *named;  // in the message
    };
    const Case cases[] = {
        {"a value the server's column refuses", "INSERT INTO customers (id, name, visits) VALUES (20, 'x', 'many')",
         "Table customers:"},
        {"an order of a customer the file does not have",
         "INSERT INTO orders (id, number, id_customers) VALUES (9, 'lost', 999)", "foreign key"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        fillFile();
        file.execute(QStringLiteral("PRAGMA foreign_keys=OFF"));
        file.execute(QString::fromUtf8(c.damage));

        try {
            copyToServer(file.database(), tables, serverLocation());
            ADD_FAILURE() << "copied";
        } catch (const DatabaseError &error) {
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.named))) << error.message().toStdString();
            EXPECT_TRUE(error.message().endsWith(QStringLiteral("Nothing was copied.")))
                << error.message().toStdString();
        }
        SqlConnection server;
        server.setDatabase(serverLocation());
        server.open();
        for (const TableDefinition &table : tables)
            EXPECT_FALSE(server.tableNames().contains(table.name)) << table.name.toStdString();
    }
}

// Another writer that puts a row into a new table while the copy runs makes the counts differ.
TEST_F(ServerCopy, RowCountsThatDifferUndoTheCopy)
{
    fillFile();
    SqlConnection intruder;
    intruder.setDatabase(serverLocation());
    const auto writeDuringTheCopy = [&](qint64 done, qint64 total) {
        if (done == total)
            intruder.execute(QStringLiteral("INSERT INTO notes (id, text) VALUES (1000, 'meanwhile')"));
    };
    intruder.open();

    try {
        copyToServer(file.database(), tables, serverLocation(), writeDuringTheCopy);
        ADD_FAILURE() << "copied";
    } catch (const DatabaseError &error) {
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("The row counts differ after the copy (notes: 0 in the file, 1 on the server).")))
            << error.message().toStdString();
    }
    EXPECT_FALSE(intruder.tableNames().contains(QStringLiteral("orders")));
}

TEST_F(ServerCopy, AServerDatabaseWithTablesOfTheProjectIsLeftAlone)
{
    fillFile();
    SqlConnection server;
    server.setDatabase(serverLocation());
    server.open();
    server.execute(
        QStringLiteral("CREATE TABLE city (id BIGINT PRIMARY KEY, name TEXT); INSERT INTO city VALUES (1, 'kept')"));

    EXPECT_THROW(
        {
            try {
                copyToServer(file.database(), tables, serverLocation());
            } catch (const DatabaseError &error) {
                EXPECT_TRUE(error.message().startsWith(
                    QStringLiteral("The server database already has tables of this project (city)")))
                    << error.message().toStdString();
                throw;
            }
        },
        DatabaseError);
    EXPECT_EQ(server.query(QStringLiteral("SELECT name FROM city")).text(0), QStringLiteral("kept"));
    EXPECT_FALSE(server.tableNames().contains(QStringLiteral("orders")));
}

TEST_F(ServerCopy, BadPlacesAreReportedNotCrashedOn)
{
    struct Case {
        const char *what;
        QString file;
        QString server;
        bool cancelPassword;
        QString message; // the start of the message
    };
    const QString existing = file.database();
    const Case cases[] = {
        {"no such file", project.file(QStringLiteral("missing.db")), serverLocation(), false,
         QStringLiteral("The database file is not found: ")},
        {"a file for an address", existing, project.file(QStringLiteral("other.db")), false,
         QStringLiteral("This is no server address: ")},
        {"a malformed address", existing, QStringLiteral("postgresql://[bad"), false,
         QStringLiteral("The database server address cannot be read")},
        {"nothing listens", existing, QStringLiteral("postgresql://tarvo@127.0.0.1:9/shop?connect_timeout=3"), false,
         QStringLiteral("The database server cannot be reached (host 127.0.0.1, port 9, database shop)")},
        {"no password given", existing,
         test::serverLocation(test::testServer(), m_server->name(), QStringLiteral("clerk")), true,
         QStringLiteral("The database server (")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.cancelPassword)
            ui.expectPassword(std::nullopt);
        try {
            copyToServer(c.file, tables, c.server);
            ADD_FAILURE() << "copied";
        } catch (const Error &error) {
            EXPECT_TRUE(error.message().startsWith(c.message)) << error.message().toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(project.file(QStringLiteral("other.db"))));
}

TEST_F(ServerCopy, TheProgramCopiesTheProjectsFileAndSaysWhatItCounted)
{
    fillFile();
    file.close();
    struct Case {
        const char *what;
        QStringList arguments;
        int exitCode;
        const char *output;
    };
    const Case cases[] = {
        {"no server address", {project.path()}, 2, ""},
        {"a file for an address", {project.path(), project.file(QStringLiteral("sqlite.db"))}, 2, ""},
        {"copied",
         {project.path(), serverLocation()},
         0,
         "orders: 3 rows\ncustomers: 3 rows\ncity: 2 rows\nnotes: 0 rows\n"},
        {"copied already", {project.path(), serverLocation()}, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QProcess process;
        process.start(QStringLiteral(TARVO_MIGRATE_EXECUTABLE), c.arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString expected = QString::fromUtf8(c.output);
        EXPECT_TRUE(expected.isEmpty() ? out.isEmpty() : out.startsWith(expected)) << out.toStdString();
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (c.exitCode == 2) {
            EXPECT_TRUE(err.startsWith(QStringLiteral("usage: tarvo-migrate"))) << err.toStdString();
        }
        if (c.exitCode == 0) {
            EXPECT_TRUE(err.contains(QStringLiteral("] 100%  8 of 8 rows")))
                << err.toStdString(); // the progress bar's end
        }
        if (c.exitCode == 1) {
            EXPECT_TRUE(err.contains(QStringLiteral("already has tables"))) << err.toStdString();
        }
    }
}

} // namespace

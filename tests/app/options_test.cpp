// The options dialog and the database location it writes to settings.ini.
#include "app/settings.h"
#include "app/tfrmoptions.h"
#include "platform/projectfolder.h"
#include "schema/inifile.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/scriptedinteraction.h"
#include "support/serverdatabase.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ProjectFolder;
using tarvo::test::ScriptedInteraction;

namespace {

class OptionsTest : public ::testing::Test {
protected:
    OptionsTest() { setProjectFolder(folder.path()); }
    ~OptionsTest() override { setProjectFolder(QString()); }

    void storeServer(const QString &value)
    {
        folder.write(QStringLiteral("settings.ini"), QStringLiteral("[Options]\nserver=%1\n").arg(value));
    }
    std::optional<QString> storedServer() const
    {
        return IniFile::load(folder.file(QStringLiteral("settings.ini")))
            .value(QStringLiteral("Options"), QStringLiteral("server"));
    }
    bool fileNameEnabled() const { return dialog.edFileName->isEnabled() && dialog.bOpenFile->isEnabled(); }

    ScriptedInteraction ui;
    ProjectFolder folder;
    TfrmOptions dialog;
};

} // namespace

TEST_F(OptionsTest, ReadDatabaseFileName)
{
    EXPECT_EQ(ReadDatabaseFileName(), QString()); // no settings.ini
    storeServer(QString());
    EXPECT_EQ(ReadDatabaseFileName(), QString());
    storeServer(QStringLiteral("//PCNAME/Folder/sqlite.db"));
    EXPECT_EQ(ReadDatabaseFileName(), QStringLiteral("//PCNAME/Folder/sqlite.db"));
}

TEST_F(OptionsTest, ShowingReflectsTheStoredLocation)
{
    dialog.edFileName->setText(QStringLiteral("from an earlier showing"));
    dialog.show();
    EXPECT_TRUE(dialog.rbAppFolder->isChecked());
    EXPECT_FALSE(dialog.edFileName->isEnabled());
    EXPECT_FALSE(dialog.bOpenFile->isEnabled());
    EXPECT_EQ(dialog.edFileName->text(), QStringLiteral("from an earlier showing"));
    dialog.hide();

    storeServer(QStringLiteral("/data/shop.db"));
    dialog.show();
    EXPECT_TRUE(dialog.rbDBFilename->isChecked());
    EXPECT_FALSE(dialog.rbAppFolder->isChecked());
    EXPECT_TRUE(fileNameEnabled());
    EXPECT_EQ(dialog.edFileName->text(), QStringLiteral("/data/shop.db"));

    dialog.rbAppFolder->click();
    EXPECT_FALSE(dialog.edFileName->isEnabled());
    EXPECT_FALSE(dialog.bOpenFile->isEnabled());
    dialog.rbDBFilename->click();
    EXPECT_TRUE(fileNameEnabled());
}

// A save-style dialog: a name that is not there yet is as good as an existing file.
TEST_F(OptionsTest, BrowseTakesAnExistingFileOrANewName)
{
    folder.write(QStringLiteral("chosen.db"), QByteArray("x"));
    storeServer(QStringLiteral("/old.db"));
    dialog.show();
    struct Case {
        QString chosen;
        QString expected;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("/old.db")}, // cancelled
        {folder.file(QStringLiteral("new.db")), QDir::toNativeSeparators(folder.file(QStringLiteral("new.db")))},
        {folder.file(QStringLiteral("chosen.db")), QDir::toNativeSeparators(folder.file(QStringLiteral("chosen.db")))},
    };
    for (const Case &c : cases) {
        ui.expectSaveFile(c.chosen);
        dialog.bOpenFile->click();
        EXPECT_EQ(dialog.edFileName->text(), c.expected) << c.chosen.toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("new.db")))); // made at OK, not before
}

// The next start refuses a stored file that is not there, so OK makes a new one first.
TEST_F(OptionsTest, OkMakesANewDatabaseFileWithTheTablesBeforeStoringIt)
{
    struct Case {
        const char *what;
        const char *tablesIni;
        bool made;
    };
    const Case cases[] = {
        {"the tables of tables.ini", "[city]\n-name=TEXT\n[customers]\n>id_city=city\n", true},
        {"a table that cannot be made: no file, nothing stored", "[first]\n_name=TEXT\n[second]\n_id=TEXT\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString fresh = folder.file(QStringLiteral("fresh.db"));
        QFile::remove(fresh);
        QFile::remove(folder.file(QStringLiteral("settings.ini")));
        folder.write(QStringLiteral("tables.ini"), QString::fromUtf8(c.tablesIni));
        dialog.show();
        dialog.rbDBFilename->click();
        dialog.edFileName->setText(fresh);
        ui.expectMessage();

        dialog.bOK->click();

        EXPECT_EQ(QFile::exists(fresh), c.made);
        EXPECT_EQ(storedServer(), c.made ? std::optional<QString>(fresh) : std::nullopt);
        EXPECT_EQ(dialog.isVisible(), !c.made);
        if (c.made) {
            SqlConnection made;
            made.setDatabase(fresh);
            made.open();
            EXPECT_EQ(made.tableNames(), QStringList({u"city"_s, u"customers"_s}));
        } else {
            EXPECT_EQ(ui.messages().back().icon, MessageIcon::Error);
            dialog.hide();
        }
    }
}

TEST_F(OptionsTest, OkWritesTheChoiceAndAsksForARestart)
{
    struct Case {
        const char *what;
        bool appFolder;
        QString typed;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"a file name is stored unchanged", false, QStringLiteral("\\\\PCNAME\\Folder\\sqlite.db"),
         QStringLiteral("\\\\PCNAME\\Folder\\sqlite.db")},
        {"an empty file name keeps the old value", false, QString(), QStringLiteral("/old.db")},
        {"the application folder removes the key", true, QStringLiteral("/ignored.db"), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        storeServer(QStringLiteral("/old.db"));
        dialog.show();
        (c.appFolder ? dialog.rbAppFolder : dialog.rbDBFilename)->click();
        dialog.edFileName->setText(c.typed);
        ui.expectMessage();

        dialog.bOK->click();

        EXPECT_EQ(storedServer(), c.expected);
        ASSERT_FALSE(ui.messages().empty());
        const Message &shown = ui.messages().back();
        EXPECT_EQ(shown.text, QStringLiteral("Restart the program to apply the settings"));
        EXPECT_EQ(shown.caption, QStringLiteral("Info"));
        EXPECT_EQ(shown.icon, MessageIcon::Information);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(OptionsTest, CancelWritesNothing)
{
    dialog.show();
    dialog.rbDBFilename->click();
    dialog.edFileName->setText(QStringLiteral("/new.db"));
    dialog.bCancel->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("settings.ini"))));
}

TEST_F(OptionsTest, UnwritableSettingsAreReportedAndTheDialogStaysOpen)
{
    QDir(folder.path())
        .mkdir(QStringLiteral("settings.ini")); // tests run as root: a folder cannot be written as a file
    dialog.show();
    dialog.rbDBFilename->click();
    dialog.edFileName->setText(QStringLiteral("/new.db"));
    ui.expectMessage();

    dialog.bOK->click();

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages().front().text,
              QStringLiteral("Unable to write to ") + folder.file(QStringLiteral("settings.ini")) + QLatin1Char('.'));
    EXPECT_EQ(ui.messages().front().icon, MessageIcon::Error);
    EXPECT_TRUE(dialog.isVisible());
}

namespace {

struct Finding {
    const char *what;
    QString location; // "" with the first choice: the project folder's sqlite.db
    QString text;     // the start of the message
    MessageIcon icon;
};

} // namespace

class TestConnectionTest : public OptionsTest {
protected:
    TestConnectionTest()
    {
        folder.write(QStringLiteral("tables.ini"), QStringLiteral("[city]\n-name=TEXT\n[customers]\n>id_city=city\n"));
    }
    // What Test connection says of each location, with the message's caption.
    void expectFindings(const QList<Finding> &cases)
    {
        for (const Finding &c : cases) {
            SCOPED_TRACE(c.what);
            dialog.show();
            (c.location.isNull() ? dialog.rbAppFolder : dialog.rbDBFilename)->click();
            dialog.edFileName->setText(c.location);
            ui.expectMessage();

            dialog.bTestConnection->click();

            ASSERT_FALSE(ui.messages().empty());
            const Message &shown = ui.messages().back();
            EXPECT_TRUE(shown.text.startsWith(c.text)) << shown.text.toStdString();
            EXPECT_EQ(shown.icon, c.icon) << shown.text.toStdString();
            EXPECT_EQ(shown.caption, QStringLiteral("Test connection"));
            dialog.hide();
        }
    }
    void makeDatabase(const QString &location, const QString &tables)
    {
        SqlConnection db;
        db.setDatabase(location);
        db.open();
        db.execute(tables);
    }
};

TEST_F(TestConnectionTest, SaysWhatIsInTheFileOrWhyThereIsNone)
{
    const QString some = folder.file(QStringLiteral("some.db"));
    makeDatabase(some, QStringLiteral("CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT)"));
    const QString all = folder.file(QStringLiteral("all.db"));
    makeDatabase(all, QStringLiteral("CREATE TABLE city (id INTEGER); CREATE TABLE Customers (id INTEGER)"));
    const QString none = folder.file(QStringLiteral("none.db"));
    makeDatabase(none, QStringLiteral("CREATE TABLE other (id INTEGER)"));
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    folder.write(QStringLiteral("text.db"), QByteArray("not a database, just text that is long enough to be read"));
    const QString native = QDir::toNativeSeparators(folder.path());
    expectFindings({
        {"the project folder's file, not made yet", QString(),
         QStringLiteral(
             "The database file %1sqlite.db does not exist yet: it will be created, with the tables of tables.ini.")
             .arg(native),
         MessageIcon::Information},
        {"a new file", folder.file(QStringLiteral("new.db")),
         QStringLiteral("The database file %1new.db does not exist yet").arg(native), MessageIcon::Information},
        {"every table", all,
         QStringLiteral("The database file %1all.db exists.\nAll 2 tables of tables.ini are present.").arg(native),
         MessageIcon::Information},
        {"some tables", some,
         QStringLiteral("The database file %1some.db exists.\nThese tables of tables.ini are missing: customers. "
                        "Present: city.")
             .arg(native),
         MessageIcon::Warning},
        {"none of the tables", none,
         QStringLiteral("The database file %1none.db exists.\nNone of the tables of tables.ini are present: the "
                        "program creates tables only in a new database file.")
             .arg(native),
         MessageIcon::Warning},
        {"not a database", folder.file(QStringLiteral("text.db")),
         QStringLiteral("The file %1text.db cannot be used as a database: ").arg(native), MessageIcon::Error},
        {"a folder", folder.path() + QStringLiteral("sub"), QStringLiteral("%1sub is a folder").arg(native),
         MessageIcon::Error},
        {"a folder that is not there", QStringLiteral("/nonexistent/share/sqlite.db"),
         QStringLiteral("The folder of /nonexistent/share/sqlite.db is not found"), MessageIcon::Error},
        {"nothing typed", QStringLiteral(""), QStringLiteral("Enter a database file or a server address first."),
         MessageIcon::Warning},
        {"a malformed server address", QStringLiteral("postgresql://[bad"),
         QStringLiteral("The database server address cannot be read"), MessageIcon::Error},
        {"a server nobody answers at", QStringLiteral("postgresql://tarvo@127.0.0.1:9/shop?connect_timeout=3"),
         QStringLiteral("The database server cannot be reached (host 127.0.0.1, port 9, database shop): "),
         MessageIcon::Error},
    });
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("sqlite.db")))); // testing makes nothing
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("new.db"))));
}

TEST_F(TestConnectionTest, SaysWhatIsOnTheServerAndNeverItsPassword)
{
    if (test::testServer().isEmpty())
        GTEST_SKIP() << "no test server (scripts/test starts one)";
    const test::ServerDatabase empty, some, all;
    makeDatabase(some.location(), QStringLiteral("CREATE TABLE customers (id BIGINT)"));
    // The server lists to a role only the tables it may use.
    makeDatabase(all.location(), QStringLiteral("CREATE TABLE customers (id BIGINT); CREATE TABLE city (id BIGINT); "
                                                "GRANT SELECT ON customers, city TO clerk"));
    // The clerk's password in the address itself: the message names host, port and database only.
    const QString secret = qEnvironmentVariable("TARVO_TEST_SERVER_CLERK_PASSWORD");
    QUrl withPassword(test::serverLocation(test::testServer(), all.name(), QStringLiteral("clerk")));
    withPassword.setPassword(secret);
    const QUrl server(test::testServer());
    const QString where = QStringLiteral("host %1, port %2, database ").arg(server.host()).arg(server.port());
    expectFindings({
        {"an empty database", empty.location(),
         QStringLiteral("Connected to the database server (%1%2).\nNone of the tables of tables.ini are present: "
                        "they will be created at the next start.")
             .arg(where, empty.name()),
         MessageIcon::Warning},
        {"some tables", some.location(),
         QStringLiteral("Connected to the database server (%1%2).\nThese tables of tables.ini are missing: city. "
                        "Present: customers.")
             .arg(where, some.name()),
         MessageIcon::Warning},
        {"every table, as the clerk", withPassword.toString(),
         QStringLiteral("Connected to the database server (%1%2).\nAll 2 tables of tables.ini are present.")
             .arg(where, all.name()),
         MessageIcon::Information},
        {"a database that is not there", test::serverLocation(test::testServer(), QStringLiteral("tarvo_no_such_db")),
         QStringLiteral("The database server cannot be reached (%1tarvo_no_such_db): ").arg(where), MessageIcon::Error},
    });
    // Without a password in the address, the user is asked for one.
    const QString clerk = test::serverLocation(test::testServer(), all.name(), QStringLiteral("clerk"));
    ui.expectPassword(secret);
    expectFindings({{"the clerk, asked for the password", clerk,
                     QStringLiteral("Connected to the database server (%1%2).\nAll 2 tables").arg(where, all.name()),
                     MessageIcon::Information}});
    ui.expectPassword(std::nullopt);
    expectFindings({{"the password not given", clerk,
                     QStringLiteral("The database server (%1%2) asks for a password. No password was given.")
                         .arg(where, all.name()),
                     MessageIcon::Error}});
    for (const Message &shown : ui.messages())
        EXPECT_FALSE(shown.text.contains(secret)) << shown.text.toStdString();
}

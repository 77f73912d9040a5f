// The start-up sequence on fixture project folders, with the real windows of a run.
#include "app/application.h"
#include "app/tfrmmain.h"
#include "app/tfrmoptions.h"
#include "controls/sharedresources.h"
#include "platform/errorhandler.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/scriptedinteraction.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ProjectFolder;
using tarvo::test::ScriptedInteraction;

namespace {

QStringList tablesOf(const QString &databaseFile)
{
    SqlConnection connection;
    connection.setDatabase(databaseFile);
    connection.open();
    QStringList names;
    for (SqlQuery q =
             connection.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid"));
         !q.eof(); q.next())
        names << q.text(0);
    return names;
}

class StartupTest : public ::testing::Test {
protected:
    void use(const ProjectFolder &folder) { setProjectFolder(folder.path()); }
    void TearDown() override { setProjectFolder(QString()); }

    ScriptedInteraction ui;
};

} // namespace

TEST_F(StartupTest, NewDatabaseGetsTheTablesInSectionOrderAndTheSharedResources)
{
    ProjectFolder folder(QStringLiteral("app-shop"));
    use(folder);
    ApplicationWindows windows;
    TfrmMain &main = windows.frmMain();

    EXPECT_TRUE(windows.showMainWindow());

    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.SQLConnection.database(), folder.file(QStringLiteral("sqlite.db")));
    EXPECT_EQ(tablesOf(folder.file(QStringLiteral("sqlite.db"))),
              QStringList({u"customers"_s, u"city"_s, u"orders"_s}));
    EXPECT_EQ(main.SQLConnection.query(QStringLiteral("PRAGMA foreign_keys")).text(0), QStringLiteral("1"));
    EXPECT_TRUE(FindCatalogueField(QStringLiteral("orders"), QStringLiteral("number")));

    const SharedResources &shared = sharedResources();
    EXPECT_EQ(shared.connection, &main.SQLConnection);
    ASSERT_EQ(shared.buttonIcons.size(), 12);
    ASSERT_EQ(shared.buttonEdit.size(), 7);
    ASSERT_EQ(shared.imageDataBase.size(), 3);
    EXPECT_EQ(shared.buttonIcons.last().availableSizes(), QList<QSize>({QSize(16, 16)}));
    EXPECT_EQ(shared.imageDataBase.first().availableSizes(), QList<QSize>({QSize(24, 24)}));
}

TEST_F(StartupTest, ExistingDatabaseIsUsedUnchangedAndTheCatalogueStillLoads)
{
    ProjectFolder folder(QStringLiteral("app-shop"));
    use(folder);
    {
        SqlConnection earlier;
        earlier.setDatabase(folder.file(QStringLiteral("sqlite.db")));
        earlier.open();
        earlier.execute(QStringLiteral("CREATE TABLE customers (id INTEGER PRIMARY KEY ASC, name TEXT)"));
    }
    ApplicationWindows windows;

    EXPECT_TRUE(windows.showMainWindow());

    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(tablesOf(folder.file(QStringLiteral("sqlite.db"))), QStringList({u"customers"_s}));
    EXPECT_TRUE(FindCatalogueField(QStringLiteral("orders"), QStringLiteral("number")));
}

TEST_F(StartupTest, FirstFailingCreateStatementIsReportedOnceAndTheRestSkipped)
{
    ProjectFolder folder(QStringLiteral("app-badcreate"));
    use(folder);
    ui.expectMessage();
    ApplicationWindows windows;

    EXPECT_TRUE(windows.showMainWindow());

    ASSERT_EQ(ui.messages().size(), 1u);
    const Message &shown = ui.messages().front();
    EXPECT_EQ(shown.text, QStringLiteral("Exception raised with message: duplicate column name: id"));
    EXPECT_EQ(shown.caption, applicationTitle());
    EXPECT_EQ(shown.icon, MessageIcon::None);
    EXPECT_EQ(tablesOf(folder.file(QStringLiteral("sqlite.db"))), QStringList({u"first"_s}));
    EXPECT_TRUE(FindCatalogueField(QStringLiteral("third"), QStringLiteral("name"))); // start-up went on
}

TEST_F(StartupTest, StoredLocationNamingNoFileShowsTheOptionsAndEndsTheProgram)
{
    ProjectFolder folder(QStringLiteral("app-shop"));
    // A missing file, and a folder (which SQLite cannot open either).
    for (const QString &stored :
         {QStringLiteral("/nonexistent/share/sqlite.db"), folder.file(QStringLiteral("Report"))}) {
        QDir().mkpath(folder.file(QStringLiteral("Report")));
        folder.write(QStringLiteral("settings.ini"), QStringLiteral("[Options]\nserver=") + stored + u'\n');
        use(folder);
        const size_t shownBefore = ui.messages().size();
        ui.expectMessage();
        bool optionsShown = false;
        ui.expectModal([&](QDialog *form) {
            auto *options = dynamic_cast<TfrmOptions *>(form);
            ASSERT_NE(options, nullptr);
            EXPECT_TRUE(options->rbDBFilename->isChecked());
            EXPECT_EQ(options->edFileName->text(), stored);
            optionsShown = true;
        });
        ApplicationWindows windows;

        EXPECT_FALSE(windows.showMainWindow());

        ASSERT_EQ(ui.messages().size(), shownBefore + 1);
        EXPECT_EQ(ui.messages().back().text, QStringLiteral("The database file is not found.\r") + stored);
        EXPECT_EQ(ui.messages().back().caption, QStringLiteral("Error"));
        EXPECT_EQ(ui.messages().back().icon, MessageIcon::Information);
        EXPECT_TRUE(optionsShown);
        EXPECT_TRUE(windows.frmMain().exitRequested());
        EXPECT_FALSE(windows.frmMain().SQLConnection.isOpen());
        EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("sqlite.db"))));
        EXPECT_TRUE(FieldCatalogue().isEmpty());
    }
}

TEST_F(StartupTest, StoredLocationChoosesTheDatabaseFile)
{
    struct Case {
        const char *server;
        const char *expectedFile;
    };
    const Case cases[] = {
        {"", "sqlite.db"}, // an empty value counts as absent
        {"<folder>other.db", "other.db"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.server);
        ProjectFolder folder(QStringLiteral("app-shop"));
        folder.write(QStringLiteral("other.db"), QByteArray());
        folder.write(QStringLiteral("settings.ini"),
                     QStringLiteral("[Options]\nserver=%1\n")
                         .arg(QString::fromLatin1(c.server).replace(QStringLiteral("<folder>"), folder.path())));
        use(folder);
        ApplicationWindows windows;

        EXPECT_TRUE(windows.showMainWindow());
        EXPECT_EQ(windows.frmMain().SQLConnection.database(), folder.file(QString::fromLatin1(c.expectedFile)));
        EXPECT_TRUE(windows.frmMain().SQLConnection.isOpen());
    }
}

TEST_F(StartupTest, NonDatabaseFileGoesToTheGeneralErrorHandlerAndTheWindowStays)
{
    ProjectFolder folder(QStringLiteral("app-shop"));
    folder.write(QStringLiteral("sqlite.db"), QByteArray("This is a text file, not a database.\n").repeated(200));
    use(folder);
    ui.expectMessage();
    ApplicationWindows windows;

    EXPECT_TRUE(windows.showMainWindow());

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages().front().text, QStringLiteral("file is not a database."));
    EXPECT_EQ(ui.messages().front().caption, applicationTitle());
    EXPECT_EQ(ui.messages().front().icon, MessageIcon::Error);
    EXPECT_TRUE(windows.frmMain().isVisible());
    EXPECT_TRUE(FieldCatalogue().isEmpty()); // the sequence ended at the connection
}

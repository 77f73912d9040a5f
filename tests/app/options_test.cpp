// The options dialog and the database location it writes to settings.ini.
#include "app/settings.h"
#include "app/tfrmoptions.h"
#include "platform/projectfolder.h"
#include "schema/inifile.h"
#include "support/fixtures.h"
#include "support/scriptedinteraction.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tarvo;
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

TEST_F(OptionsTest, OpenFileTakesOnlyAnExistingChosenFile)
{
    folder.write(QStringLiteral("chosen.db"), QByteArray("x"));
    storeServer(QStringLiteral("/old.db"));
    dialog.show();
    struct Case { QString chosen; QString expected; };
    const Case cases[] = {
        {QString(), QStringLiteral("/old.db")},                                   // cancelled
        {folder.file(QStringLiteral("missing.db")), QStringLiteral("/old.db")},  // no such file
        {folder.file(QStringLiteral("chosen.db")),
         QDir::toNativeSeparators(folder.file(QStringLiteral("chosen.db")))},
    };
    for (const Case &c : cases) {
        ui.expectOpenFile(c.chosen);
        dialog.bOpenFile->click();
        EXPECT_EQ(dialog.edFileName->text(), c.expected) << c.chosen.toStdString();
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
    QDir(folder.path()).mkdir(QStringLiteral("settings.ini")); // tests run as root: a folder cannot be written as a file
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

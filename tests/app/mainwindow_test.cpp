// The main window's design and menu, and the About window.
#include "app/application.h"
#include "app/tfrmmain.h"
#include "app/tfrmoptions.h"
#include "app/tfrmtarvoabout.h"
#include "platform/projectfolder.h"
#include "support/fixtures.h"
#include "support/scriptedinteraction.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ProjectFolder;
using tarvo::test::ScriptedInteraction;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { setProjectFolder(folder.path()); }
    ~MainWindowTest() override { setProjectFolder(QString()); }

    QAction *command(const char *name)
    {
        auto *action = qobject_cast<QAction *>(windows.frmMain().findComponent(QString::fromLatin1(name)));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }

    ScriptedInteraction ui;
    ProjectFolder folder{QStringLiteral("app-shop")};
    ApplicationWindows windows;
};

} // namespace

TEST_F(MainWindowTest, DesignBeforeTheFormsAreApplied)
{
    ASSERT_TRUE(windows.showMainWindow());
    TfrmMain &main = windows.frmMain();

    EXPECT_EQ(main.centralWidget()->size(), QSize(729, 436));
    EXPECT_EQ(main.minimumSize(), main.maximumSize()); // not resizable
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(main.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(main.font().pointSize(), 8);

    QStringList titles;
    for (QAction *a : main.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({u"File"_s, u"Options"_s, u"About"_s}));
    EXPECT_EQ(command("mniAbout")->menu(), nullptr); // a command on the bar itself
    EXPECT_EQ(command("Close1")->text(), QStringLiteral("Close"));
    EXPECT_EQ(command("mniDBLocation")->text(), QStringLiteral("Database location"));
    EXPECT_EQ(command("mniReport")->text(), QStringLiteral("Report designer"));
}

TEST_F(MainWindowTest, MenuCommands)
{
    ASSERT_TRUE(windows.showMainWindow());

    QDialog *shownOptions = nullptr;
    ui.expectModal([&](QDialog *form) { shownOptions = form; });
    command("mniDBLocation")->trigger();
    EXPECT_EQ(shownOptions, &windows.frmOptions());

    // The designer opens modally on the report as last used, starting in the Report folder.
    int designerOpened = 0;
    ui.expectModal([&](QDialog *) { ++designerOpened; });
    command("mniReport")->trigger();
    EXPECT_EQ(designerOpened, 1);
    EXPECT_EQ(windows.frmMain().frxReport.designerOpenFolder(), projectFolder() + QStringLiteral("Report"));

    ui.expectModal([&](QDialog *form) {
        auto *about = dynamic_cast<TfrmTarvoAbout *>(form);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(about->size(), QSize(591, 408));
        EXPECT_TRUE(about->lblLink->text().startsWith(QStringLiteral("Designed By <a href=")));
        EXPECT_EQ(about->lblVersion->text(), QStringLiteral("Tarvo " TARVO_VERSION));
        emit about->lblLink->linkActivated(TfrmTarvoAbout::productAddress());
        about->bOK->click();
        EXPECT_FALSE(about->isVisible());
    });
    command("mniAbout")->trigger();
    ASSERT_EQ(ui.openedUrls().size(), 1u);
    EXPECT_EQ(ui.openedUrls().front(), QUrl(TfrmTarvoAbout::productAddress()));

    command("Close1")->trigger();
    EXPECT_FALSE(windows.frmMain().isVisible());
}

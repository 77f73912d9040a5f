// Searching, opening and closing forms, and the button that does nothing, in a running app.
#include "app/settings.h"
#include "controls/dbcombobox.h"
#include "controls/dbedit.h"
#include "e2e/e2eapp.h"

#include <QFile>

using namespace tarvo;
using tarvo::test::E2eApp;

namespace {

class DispatcherE2e : public tarvo::test::BothEngines {
protected:
    void SetUp() override
    {
        if (serverMissing())
            GTEST_SKIP() << "no test server";
        ASSERT_TRUE(app.start());
        app.seed(QStringLiteral(
            "INSERT INTO city (name) VALUES ('Oslo'), ('Bergen');"
            "INSERT INTO customers (name, id_city) VALUES ('Ada', 1), ('Grace', 2), ('Alan', 2);"));
        app.main().FillDictionaries(QString());
        E2eApp::grid("frmMain", "gridCustomers").dbExecute();
    }

    E2eApp app{QStringLiteral("e2e-shop"), GetParam()};
};

} // namespace

TEST_P(DispatcherE2e, SearchUsesTheFilterControlsAndForgetsTheParentLink)
{
    TdbStringGridEx &grid = E2eApp::grid("frmMain", "gridCustomers");
    // As after a record was shown: the grid listed the children of city 1.
    grid.setDbParentTable(QStringLiteral("city"));
    grid.setDbParentTableId(1);
    E2eApp::control<TdbEdit>("frmMain", "edName").setText(QStringLiteral("%a%")); // the user writes the wildcards
    E2eApp::control<TdbComboBox>("frmMain", "cbCity").setCurrentText(QStringLiteral("Bergen"));

    E2eApp::click("frmMain", "bSearch");

    EXPECT_TRUE(grid.dbParentTable().isEmpty());
    EXPECT_EQ(grid.dbParentTableId(), -1);
    EXPECT_EQ(E2eApp::gridColumn("frmMain", "gridCustomers", 0), QStringList({"Alan", "Grace"}));
    EXPECT_EQ(E2eApp::gridColumn("frmMain", "gridCustomers", 1), QStringList({"Bergen", "Bergen"}));
    EXPECT_EQ(grid.colCount(), 2); // the button's field list replaced the grid's own
    EXPECT_FALSE(E2eApp::grid("frmMain", "gridIdle").dbIfUsed()); // only the named grid runs
}

TEST_P(DispatcherE2e, ShowFormRunsItsAutomaticGridsAndItsSavesInsertEvenAfterBeingBound)
{
    auto &save = E2eApp::control<TdbButton>("frmCities", "bSaveCity");
    save.setDbGeneralTableId(1); // bound to Oslo by some earlier action
    app.ui.expectModal([&](QDialog *) {
        EXPECT_EQ(save.dbGeneralTableId(), -1);
        EXPECT_EQ(E2eApp::gridColumn("frmCities", "gridCities", 0), QStringList({"Bergen", "Oslo"}));
        E2eApp::control<TdbEdit>("frmCities", "edCity").setText(QStringLiteral("Tromso"));
        E2eApp::click("frmCities", "bSaveCity");
    });
    E2eApp::click("frmMain", "bCities");

    save.setDbGeneralTableId(1);
    // Reopened: the edit keeps what it held, and the save inserts again instead of renaming Oslo.
    app.ui.expectModal([&](QDialog *form) {
        EXPECT_EQ(E2eApp::control<TdbEdit>("frmCities", "edCity").text(), QStringLiteral("Tromso"));
        EXPECT_EQ(E2eApp::gridColumn("frmCities", "gridCities", 0), QStringList({"Bergen", "Oslo", "Tromso"}));
        E2eApp::click("frmCities", "bCloseCities");
        EXPECT_FALSE(form->isVisible());
    });
    E2eApp::click("frmMain", "bCities");

    EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM city ORDER BY id")), QStringList({"Oslo", "Bergen", "Tromso"}));
    EXPECT_FALSE(E2eApp::grid("frmMain", "gridIdle").dbIfUsed()); // nothing refreshed on return
}

TEST_P(DispatcherE2e, FormNameDifferingInCaseAndTheNoneActionDoNothing)
{
    TdbStringGridEx &grid = E2eApp::grid("frmMain", "gridCustomers");
    grid.setRow(2);
    const QStringList before = E2eApp::gridColumn("frmMain", "gridCustomers", 0);

    E2eApp::click("frmMain", "bCitiesWrongCase"); // the strict desktop fails on any form shown
    E2eApp::click("frmMain", "bNothing");

    EXPECT_EQ(E2eApp::gridColumn("frmMain", "gridCustomers", 0), before);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_FALSE(E2eApp::grid("frmCities", "gridCities").dbIfUsed());
    EXPECT_TRUE(app.ui.messages().empty());
}

TEST_P(DispatcherE2e, CloseFormOnTheMainWindowEndsTheRunAndStoresTheLayouts)
{
    E2eApp::click("frmMain", "bClose");

    EXPECT_FALSE(app.main().isVisible());
    EXPECT_TRUE(QFile::exists(settingsFileName()));
    EXPECT_TRUE(app.folder.read(QStringLiteral("settings.ini")).contains("frmMain.gridCustomers.ColCount=3"));
}

TARVO_BOTH_ENGINES(DispatcherE2e);

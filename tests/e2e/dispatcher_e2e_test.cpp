// Searching, opening and closing forms, and the button that does nothing, in a running app.
#include "app/settings.h"
#include "controls/dbcombobox.h"
#include "controls/dbedit.h"
#include "e2e/e2eapp.h"

#include <QFile>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::E2eApp;

namespace {

class DispatcherE2e : public tarvo::test::BothEngines {
protected:
    void SetUp() override
    {
        if (serverMissing())
            GTEST_SKIP() << "no test server";
        ASSERT_TRUE(app.start());
        app.seed(QStringLiteral("INSERT INTO city (name) VALUES ('Oslo'), ('Bergen');"
                                "INSERT INTO customers (name, id_city) VALUES ('Ada', 1), ('Grace', 2), ('Alan', 2);"));
        app.main().FillDictionaries(QString());
        E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbExecute();
    }

    E2eApp app{QStringLiteral("e2e-shop"), GetParam()};
};

} // namespace

TEST_P(DispatcherE2e, SearchUsesTheFilterControlsAndForgetsTheParentLink)
{
    TdbStringGridEx &grid = E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s);
    // As after a record was shown: the grid listed the children of city 1.
    grid.setDbParentTable(QStringLiteral("city"));
    grid.setDbParentTableId(1);
    E2eApp::control<TdbEdit>(u"frmMain"_s, u"edName"_s).setText(QStringLiteral("%a%")); // the user writes the wildcards
    E2eApp::control<TdbComboBox>(u"frmMain"_s, u"cbCity"_s).setCurrentText(QStringLiteral("Bergen"));

    E2eApp::click(u"frmMain"_s, u"bSearch"_s);

    EXPECT_TRUE(grid.dbParentTable().isEmpty());
    EXPECT_EQ(grid.dbParentTableId(), -1);
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), QStringList({u"Alan"_s, u"Grace"_s}));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 1), QStringList({u"Bergen"_s, u"Bergen"_s}));
    EXPECT_EQ(grid.colCount(), 2); // the button's field list replaced the grid's own
    EXPECT_FALSE(E2eApp::grid(u"frmMain"_s, u"gridIdle"_s).dbIfUsed()); // only the named grid runs
}

TEST_P(DispatcherE2e, ShowFormRunsItsAutomaticGridsAndItsSavesInsertEvenAfterBeingBound)
{
    auto &save = E2eApp::control<TdbButton>(u"frmCities"_s, u"bSaveCity"_s);
    save.setDbGeneralTableId(1); // bound to Oslo by some earlier action
    app.ui.expectModal([&](QDialog *) {
        EXPECT_EQ(save.dbGeneralTableId(), -1);
        EXPECT_EQ(E2eApp::gridColumn(u"frmCities"_s, u"gridCities"_s, 0), QStringList({u"Bergen"_s, u"Oslo"_s}));
        E2eApp::control<TdbEdit>(u"frmCities"_s, u"edCity"_s).setText(QStringLiteral("Tromso"));
        E2eApp::click(u"frmCities"_s, u"bSaveCity"_s);
    });
    E2eApp::click(u"frmMain"_s, u"bCities"_s);

    save.setDbGeneralTableId(1);
    // Reopened: the edit keeps what it held, and the save inserts again instead of renaming Oslo.
    app.ui.expectModal([&](QDialog *form) {
        EXPECT_EQ(E2eApp::control<TdbEdit>(u"frmCities"_s, u"edCity"_s).text(), QStringLiteral("Tromso"));
        EXPECT_EQ(E2eApp::gridColumn(u"frmCities"_s, u"gridCities"_s, 0),
                  QStringList({u"Bergen"_s, u"Oslo"_s, u"Tromso"_s}));
        E2eApp::click(u"frmCities"_s, u"bCloseCities"_s);
        EXPECT_FALSE(form->isVisible());
    });
    E2eApp::click(u"frmMain"_s, u"bCities"_s);

    EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM city ORDER BY id")),
              QStringList({u"Oslo"_s, u"Bergen"_s, u"Tromso"_s}));
    EXPECT_FALSE(E2eApp::grid(u"frmMain"_s, u"gridIdle"_s).dbIfUsed()); // nothing refreshed on return
}

TEST_P(DispatcherE2e, FormNameDifferingInCaseAndTheNoneActionDoNothing)
{
    TdbStringGridEx &grid = E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s);
    grid.setRow(2);
    const QStringList before = E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0);

    E2eApp::click(u"frmMain"_s, u"bCitiesWrongCase"_s); // the strict desktop fails on any form shown
    E2eApp::click(u"frmMain"_s, u"bNothing"_s);

    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), before);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_FALSE(E2eApp::grid(u"frmCities"_s, u"gridCities"_s).dbIfUsed());
    EXPECT_TRUE(app.ui.messages().empty());
}

TEST_P(DispatcherE2e, CloseFormOnTheMainWindowEndsTheRunAndStoresTheLayouts)
{
    E2eApp::click(u"frmMain"_s, u"bClose"_s);

    EXPECT_FALSE(app.main().isVisible());
    EXPECT_TRUE(QFile::exists(settingsFileName()));
    EXPECT_TRUE(app.folder.read(QStringLiteral("settings.ini")).contains("frmMain.gridCustomers.ColCount=3"));
}

TARVO_BOTH_ENGINES(DispatcherE2e);

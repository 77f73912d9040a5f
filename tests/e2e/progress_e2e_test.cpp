// A search that fills the grid with many rows shows its progress window; a click that reaches a
// button meanwhile (the window lets events through) is dropped, not run on data half read, and a
// close of the main window lets the search end with whole rows.
#include "controls/dbedit.h"
#include "e2e/e2eapp.h"

#include <chrono>

using namespace Qt::StringLiterals;

using namespace tarvo;
using namespace std::chrono_literals;
using tarvo::test::E2eApp;

namespace {

constexpr int kCustomers = 20000;

class ProgressE2e : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.start());
        app.seed(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                " INSERT INTO customers (name) SELECT printf('c%05d', i) FROM n")
                     .arg(kCustomers));
    }
    void expectEveryCustomerOnce() const
    {
        TdbStringGridEx &grid = E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s);
        EXPECT_EQ(grid.rowCount() - 1, kCustomers);
        EXPECT_EQ(grid.dbListId().size(), kCustomers);
        EXPECT_EQ(grid.cell(0, kCustomers), u"c20000"_s);
    }

    E2eApp app{QStringLiteral("e2e-shop")};
};

TEST_F(ProgressE2e, ClicksDuringALongSearchAreDroppedAndTheGridHoldsItsRowsOnce)
{
    auto &name = E2eApp::control<TdbEdit>(u"frmMain"_s, u"edName"_s);
    int updates = 0;
    app.ui.showProgressAfter(0ms, [&](qint64) {
        if (updates++ == 0) {
            E2eApp::click(u"frmMain"_s, u"bSearch"_s);
            name.setText(QStringLiteral("Clicked"));
            E2eApp::click(u"frmMain"_s, u"bAddCity"_s);
            name.clear();
        }
        return true;
    });

    E2eApp::click(u"frmMain"_s, u"bSearch"_s);

    EXPECT_EQ(app.ui.progressWindows().size(), 1u);
    expectEveryCustomerOnce();
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM city WHERE name = 'Clicked'")), QStringList({u"0"_s}));

    // Once the search is over, buttons work again.
    name.setText(QStringLiteral("Clicked"));
    E2eApp::click(u"frmMain"_s, u"bAddCity"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM city WHERE name = 'Clicked'")), QStringList({u"1"_s}));
}

TEST_F(ProgressE2e, ClosingTheMainWindowDuringALongSearchLetsTheSearchEnd)
{
    bool closed = false;
    app.ui.showProgressAfter(0ms, [&](qint64) {
        if (!closed)
            closed = app.main().close();
        return true;
    });

    E2eApp::click(u"frmMain"_s, u"bSearch"_s);

    EXPECT_TRUE(closed);
    EXPECT_FALSE(app.main().isVisible());
    expectEveryCustomerOnce();
}

} // namespace

// A search that fills the grid with many rows shows its progress window; a click that reaches a
// button meanwhile (the window lets events through) is dropped, not run on data half read, and a
// close of the main window lets the search end with whole rows. Cancel while the database still
// works on a search stops it on either engine and leaves the grid as it was.
#include "controls/dbedit.h"
#include "e2e/e2eapp.h"

#include <chrono>

using namespace Qt::StringLiterals;

using namespace tarvo;
using namespace std::chrono_literals;
using tarvo::test::E2eApp;
using tarvo::test::Engine;

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

class CancelE2e : public tarvo::test::BothEngines {
protected:
    void SetUp() override
    {
        if (serverMissing())
            GTEST_SKIP() << "no test server";
        ASSERT_TRUE(app.start());
    }
    E2eApp app{QStringLiteral("e2e-shop"), GetParam()};
};

TEST_P(CancelE2e, CancelWhileTheDatabaseSortsLeavesTheGridAsItWasAndTheNextActionRuns)
{
    app.seed(QStringLiteral("INSERT INTO customers (name) VALUES ('Ada'), ('Bob')"));
    E2eApp::click(u"frmMain"_s, u"bSearch"_s);
    TdbStringGridEx &grid = E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s);
    const QStringList before = E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0);
    ASSERT_EQ(before, QStringList({u"Ada"_s, u"Bob"_s}));
    const QStringList ids = grid.dbListId();
    // Enough rows that sorting them takes the database a while before the first row comes.
    app.seed(app.byEngine("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000)"
                          " INSERT INTO customers (name) SELECT printf('c%06d', i) FROM n",
                          "INSERT INTO customers (name) SELECT 'c' || lpad(i::text, 6, '0') "
                          "FROM generate_series(1, 300000) i"));

    QList<qint64> updates;
    app.ui.showProgressAfter(0ms, [&](qint64 done) {
        updates << done;
        return false;
    });
    E2eApp::click(u"frmMain"_s, u"bSearch"_s);

    EXPECT_EQ(updates, QList<qint64>({0})); // no row had come yet
    EXPECT_TRUE(app.ui.messages().empty());
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), before);
    EXPECT_EQ(grid.dbListId(), ids);

    app.ui.showProgressAfter(std::chrono::milliseconds::max());
    E2eApp::control<TdbEdit>(u"frmMain"_s, u"edName"_s).setText(QStringLiteral("Clicked"));
    E2eApp::click(u"frmMain"_s, u"bAddCity"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM city WHERE name = 'Clicked'")), QStringList({u"1"_s}));
}

TARVO_BOTH_ENGINES(CancelE2e);

} // namespace

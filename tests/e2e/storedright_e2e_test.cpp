// What a user types or removes is stored as meant: numbers in number fields, lookup entries that
// records still use, and a new record cancelled after it was saved early.
#include "controls/dbedit.h"
#include "e2e/e2eapp.h"

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ctl;
using tarvo::test::E2eApp;

namespace {

class StoredRightE2e : public tarvo::test::BothEngines {
protected:
    void SetUp() override
    {
        if (serverMissing())
            GTEST_SKIP() << "no test server";
        ASSERT_TRUE(app.start());
        app.seed(QStringLiteral("INSERT INTO city (name) VALUES ('Oslo'), ('Bergen'), ('Alta');"
                                "INSERT INTO customers (name, id_city) VALUES ('Ada', 2), ('Bob', 2), ('Cleo', 1);"));
        app.main().FillDictionaries(QString());
        E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbExecute();
    }

    E2eApp app{QStringLiteral("e2e-shop"), GetParam()};
};

} // namespace

TEST_P(StoredRightE2e, ANumberFieldRefusesTextAndKeepsTheFormOpen)
{
    E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).setDbItemID(1);
    app.ui.expectModal([&](QDialog *) { // the customer
        app.ui.expectModal([&](QDialog *order) {
            ctl<TdbEdit>("frmOrder", "edNumber").setText(QStringLiteral("A-1"));
            app.ui.expectModal([&](QDialog *line) {
                ctl<TdbEdit>("frmOrderLine", "edProduct").setText(QStringLiteral("Tea"));
                for (const char *typed : {"two", "1.5", "12abc", "99999999999999999999"}) {
                    ctl<TdbEdit>("frmOrderLine", "edQuantity").setText(QString::fromUtf8(typed));
                    app.ui.expectMessage();
                    E2eApp::click(u"frmOrderLine"_s, u"bSave"_s);
                    EXPECT_TRUE(line->isVisible()) << typed;
                    EXPECT_TRUE(app.lastMessage().contains(QStringLiteral("\"quantity\"")))
                        << app.lastMessage().toStdString();
                    EXPECT_EQ(ctl<TdbEdit>("frmOrderLine", "edQuantity").text(), QString::fromUtf8(typed));
                }
                ctl<TdbEdit>("frmOrderLine", "edQuantity").setText(QStringLiteral(" +12 "));
                E2eApp::click(u"frmOrderLine"_s, u"bSave"_s);
                EXPECT_FALSE(line->isVisible());
            });
            E2eApp::click(u"frmOrder"_s, u"bNewLine"_s);
            E2eApp::click(u"frmOrder"_s, u"bSave"_s);
            EXPECT_FALSE(order->isVisible());
        });
        E2eApp::click(u"frmCustomer"_s, u"bNewOrder"_s);
        E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
    });
    E2eApp::click(u"frmMain"_s, u"bEdit"_s);
    EXPECT_EQ(app.rows(
                  app.byEngine("SELECT product || '=' || quantity || ':' || typeof(quantity) FROM order_lines",
                               "SELECT product || '=' || quantity || ':' || pg_typeof(quantity) FROM order_lines")),
              QStringList({app.byEngine("Tea=12:integer", "Tea=12:bigint")}));
}

TEST_P(StoredRightE2e, ALookupEntryThatRecordsStillUseIsNotDeleted)
{
    app.ui.expectModal([&](QDialog *) {
        TdbStringGridEx &cities = E2eApp::grid(u"frmCities"_s, u"gridCities"_s);
        cities.setDbItemID(2); // Bergen: Ada and Bob live there
        app.ui.expectMessage();
        E2eApp::click(u"frmCities"_s, u"bDeleteCity"_s);
        EXPECT_TRUE(app.lastMessage().contains(QStringLiteral("2 records of the table customers")))
            << app.lastMessage().toStdString();

        cities.setDbItemID(3); // Alta: nobody
        E2eApp::click(u"frmCities"_s, u"bDeleteCity"_s);
        E2eApp::click(u"frmCities"_s, u"bCloseCities"_s);
    });
    E2eApp::click(u"frmMain"_s, u"bCities"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM city ORDER BY id")), QStringList({u"Oslo"_s, u"Bergen"_s}));
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM customers WHERE id_city=2")), QStringList({u"2"_s}));
}

TEST_P(StoredRightE2e, CancellingANewRecordThatWasSavedEarlyAsksAndCanDiscardIt)
{
    for (const MessageAnswer keep : {MessageAnswer::No, MessageAnswer::Yes}) {
        app.ui.expectModal([&](QDialog *customer) {
            ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Dora"));
            app.ui.expectModal([&](QDialog *) {
                ctl<TdbEdit>("frmOrder", "edNumber").setText(QStringLiteral("D-1"));
                E2eApp::click(u"frmOrder"_s, u"bSave"_s);
            });
            E2eApp::click(u"frmCustomer"_s, u"bNewOrder"_s); // saves Dora first, then adds her order
            app.ui.expectMessage(keep);
            E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
            EXPECT_FALSE(customer->isVisible());
        });
        E2eApp::click(u"frmMain"_s, u"bNew"_s);
        const QStringList expected = keep == MessageAnswer::Yes ? QStringList({u"Dora"_s}) : QStringList();
        EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM customers WHERE name='Dora'")), expected);
        EXPECT_EQ(app.rows(QStringLiteral("SELECT number FROM orders")),
                  keep == MessageAnswer::Yes ? QStringList({u"D-1"_s}) : QStringList());
    }
}

TARVO_BOTH_ENGINES(StoredRightE2e);

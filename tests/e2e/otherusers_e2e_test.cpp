// Several people on one database file: another user's deletes, changes and locks, played by a
// second connection of the test, while the user works in the real windows.
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbedit.h"
#include "e2e/e2eapp.h"

#include <QElapsedTimer>
#include <QTest>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ctl;
using tarvo::test::E2eApp;

namespace {

class OtherUsersE2e : public tarvo::test::BothEngines {
protected:
    void SetUp() override
    {
        if (serverMissing())
            GTEST_SKIP() << "no test server";
        ASSERT_TRUE(app.start());
        app.seed(
            QStringLiteral("INSERT INTO city (name) VALUES ('Oslo'), ('Bergen');"
                           "INSERT INTO customers (name, phone, id_city) VALUES ('Ada', '1', 1), ('Bob', '2', 2);"));
        app.main().FillDictionaries(QString());
        E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbExecute();
        other.setDatabase(app.database());
        other.open();
    }

    // Selects the customer in the main grid and clicks "Edit"; `onShown` runs in the open form.
    void showCustomer(int id, std::function<void(QDialog *)> onShown)
    {
        E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).setDbItemID(id);
        ASSERT_EQ(E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbItemID(), id);
        app.ui.expectModal(std::move(onShown));
        E2eApp::click(u"frmMain"_s, u"bEdit"_s);
    }
    QStringList customer(int id) const
    {
        return app.row(QStringLiteral("SELECT name, phone, id_city FROM customers WHERE id=%1").arg(id));
    }

    E2eApp app{QStringLiteral("e2e-shop"), GetParam()};
    SqlConnection other; // the other user
};

} // namespace

TEST_P(OtherUsersE2e, ShowingARecordAnotherUserDeletedOpensNoFormAndDropsTheRow)
{
    showCustomer(1, [](QDialog *) { E2eApp::click(u"frmCustomer"_s, u"bCancel"_s); });
    other.execute(QStringLiteral("DELETE FROM customers WHERE id=2"));

    E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).setDbItemID(2); // the row is still listed
    app.ui.expectMessage();
    E2eApp::click(u"frmMain"_s, u"bEdit"_s); // no modal form is expected: a strict desktop would fail

    EXPECT_TRUE(app.lastMessage().contains(QStringLiteral("no longer exists")));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), QStringList({u"Ada"_s}));
    EXPECT_EQ(customer(1), QStringList({u"Ada"_s, u"1"_s, u"1"_s})); // the record shown before is untouched
}

TEST_P(OtherUsersE2e, AChangeByAnotherUserIsNeverSilentlyUndone)
{
    showCustomer(1, [&](QDialog *form) {
        other.execute(QStringLiteral("UPDATE customers SET phone='999' WHERE id=1"));
        ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Ada Lovelace"));

        app.ui.expectMessage(MessageAnswer::No); // keep the form, save nothing
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
        EXPECT_TRUE(app.lastMessage().contains(QStringLiteral("changed this record")));
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(ctl<TdbEdit>("frmCustomer", "edName").text(), QStringLiteral("Ada Lovelace"));
        EXPECT_EQ(customer(1), QStringList({u"Ada"_s, u"999"_s, u"1"_s}));

        app.ui.expectMessage(MessageAnswer::Yes); // overwrite with my values
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
        EXPECT_FALSE(form->isVisible());
    });
    EXPECT_EQ(customer(1), QStringList({u"Ada Lovelace"_s, u"1"_s, u"1"_s}));
}

TEST_P(OtherUsersE2e, ARecordDeletedWhileOpenCanBeSavedAgainAsANewRecord)
{
    showCustomer(2, [&](QDialog *form) {
        other.execute(QStringLiteral("DELETE FROM customers WHERE id=2"));
        ctl<TdbEdit>("frmCustomer", "edPhone").setText(QStringLiteral("22"));
        app.ui.expectMessage(MessageAnswer::Yes);
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
        EXPECT_TRUE(app.lastMessage().contains(QStringLiteral("deleted this record")));
        EXPECT_FALSE(form->isVisible());
    });
    EXPECT_EQ(app.rows(QStringLiteral("SELECT name || ',' || phone || ',' || id_city FROM customers ORDER BY id")),
              QStringList({u"Ada,1,1"_s, u"Bob,22,2"_s}));
}

TEST_P(OtherUsersE2e, AnUntouchedRecordSavesWithoutQuestionsAndKeepsWhatItsControlsCannotShow)
{
    // A city added by another user after the lists were filled, and a flag value no check box shows.
    other.execute(QStringLiteral("INSERT INTO city (name) VALUES ('Tromsø');"
                                 "UPDATE customers SET id_city=3, is_active=7 WHERE id=1;"));
    // A link to a city that no longer exists (lookups carry no foreign key).
    other.execute(QStringLiteral("UPDATE customers SET id_city=42 WHERE id=2;"));

    showCustomer(1, [](QDialog *) {
        EXPECT_EQ(ctl<TdbComboBox>("frmCustomer", "cbCity").currentText(), QStringLiteral("Tromsø"));
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
    });
    showCustomer(2, [](QDialog *) { E2eApp::click(u"frmCustomer"_s, u"bSave"_s); });

    EXPECT_EQ(app.rows(QStringLiteral(
                  "SELECT id_city || ',' || coalesce(CAST(is_active AS TEXT), 'null') FROM customers ORDER BY id")),
              QStringList({u"3,7"_s, u"42,null"_s}));
}

TEST_P(OtherUsersE2e, ARecordWithoutALinkShowsNoneInsteadOfThePreviousRecordsOne)
{
    other.execute(QStringLiteral("UPDATE customers SET id_city=NULL WHERE id=2"));
    showCustomer(1, [](QDialog *) { E2eApp::click(u"frmCustomer"_s, u"bCancel"_s); });
    showCustomer(2, [](QDialog *) {
        EXPECT_EQ(ctl<TdbComboBox>("frmCustomer", "cbCity").dbItemID(), -1);
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
    });
    EXPECT_EQ(customer(2), QStringList({u"Bob"_s, u"2"_s, u"<null>"_s}));
}

TEST_P(OtherUsersE2e, GridsAndListsFollowOtherUsersAfterTheNextAction)
{
    auto &filterCity = ctl<TdbComboBox>("frmMain", "cbCity");
    filterCity.setDbItemID(2);
    other.execute(QStringLiteral("INSERT INTO city (name) VALUES ('Alta');"
                                 "INSERT INTO customers (name, id_city) VALUES ('Cleo', 3);"));

    E2eApp::click(u"frmMain"_s, u"bNothing"_s); // any action

    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), QStringList({u"Ada"_s, u"Bob"_s, u"Cleo"_s}));
    EXPECT_TRUE(filterCity.hasItemID(3));
    EXPECT_EQ(filterCity.currentText(), QStringLiteral("Bergen")); // the selection is kept
}

TEST_P(OtherUsersE2e, OnTheServerGridsAndListsFollowOtherUsersWithoutAnyAction)
{
    if (GetParam() == test::Engine::File)
        GTEST_SKIP() << "the file database is asked at the next action";
    other.execute(QStringLiteral("INSERT INTO city (name) VALUES ('Alta');"
                                 "INSERT INTO customers (name, id_city) VALUES ('Cleo', 3);"));
    EXPECT_TRUE(QTest::qWaitFor([] {
        return E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0) == QStringList({u"Ada"_s, u"Bob"_s, u"Cleo"_s});
    }));
    EXPECT_TRUE(ctl<TdbComboBox>("frmMain", "cbCity").hasItemID(3));
}

TEST_P(OtherUsersE2e, ListsFollowTheDesignersOwnSql)
{
    ctl<TdbEdit>("frmMain", "edName").setText(QStringLiteral("Alta"));
    E2eApp::click(u"frmMain"_s, u"bAddCity"_s);
    EXPECT_TRUE(ctl<TdbComboBox>("frmCustomer", "cbCity").hasItemID(3));
}

TEST_P(OtherUsersE2e, ASaveThatMeetsALongLockKeepsTheFormAndItsInput)
{
    SqlTransaction holding(other);
    other.execute(QStringLiteral("UPDATE city SET name='Oslo' WHERE id=1"));
    showCustomer(1, [&](QDialog *form) {
        ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Ada Lovelace"));
        app.ui.expectMessage();
        QElapsedTimer clock;
        clock.start();
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
        EXPECT_GE(clock.elapsed(), 4000); // it waited for the other writer first
        EXPECT_TRUE(app.lastMessage().contains(QStringLiteral("Another user is saving")));
        EXPECT_TRUE(form->isVisible());

        other.execute(QStringLiteral("COMMIT"));
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
        EXPECT_FALSE(form->isVisible());
    });
    EXPECT_EQ(customer(1), QStringList({u"Ada Lovelace"_s, u"1"_s, u"1"_s}));
}

TEST_P(OtherUsersE2e, AFailedEarlySaveLeavesOneSaveClickWritingOneRowAndClosing)
{
    showCustomer(1, [&](QDialog *) {
        app.ui.expectModal([&](QDialog *order) {
            app.ui.expectMessage(); // adding a line saves the order first: its number is missing
            E2eApp::click(u"frmOrder"_s, u"bNewLine"_s);
            EXPECT_TRUE(order->isVisible());

            ctl<TdbEdit>("frmOrder", "edNumber").setText(QStringLiteral("A-1"));
            E2eApp::click(u"frmOrder"_s, u"bSave"_s);
            EXPECT_FALSE(order->isVisible());
        });
        E2eApp::click(u"frmCustomer"_s, u"bNewOrder"_s);
        E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
    });
    EXPECT_EQ(app.rows(QStringLiteral("SELECT number FROM orders")), QStringList({u"A-1"_s}));
}

TARVO_BOTH_ENGINES(OtherUsersE2e);

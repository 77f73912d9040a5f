// The record life cycle as a user drives it: new, show, update, pictures and files, delete and
// the designer's own SQL, read back from the database file.
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbeditcount.h"
#include "controls/dbfiletodatabase.h"
#include "controls/dbimagedatabase.h"
#include "controls/dbmemo.h"
#include "controls/dbmonthcalendar.h"
#include "e2e/e2eapp.h"
#include "support/pictures.h"

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::ctl;
using tarvo::test::E2eApp;

namespace {

class RecordsE2e : public tarvo::test::BothEngines {
protected:
    void SetUp() override
    {
        if (serverMissing())
            GTEST_SKIP() << "no test server";
        ASSERT_TRUE(app.start());
    }

    // Test data on the app's connection, then the lists and the main grid as a fresh start has them.
    void seed(const QString &sql)
    {
        app.seed(sql);
        app.main().FillDictionaries(QString());
        E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbExecute();
    }
    // The user selects the customer in the main grid and clicks "Edit"; `onShown` runs in the form.
    void showCustomer(int id, std::function<void(QDialog *)> onShown)
    {
        E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).setDbItemID(id);
        ASSERT_EQ(E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbItemID(), id);
        app.ui.expectModal(std::move(onShown));
        E2eApp::click(u"frmMain"_s, u"bEdit"_s);
    }

    E2eApp app{QStringLiteral("e2e-shop"), GetParam()};
};

const QString kCities = QStringLiteral("INSERT INTO city (name) VALUES ('Oslo'), ('Bergen');");

} // namespace

TEST_P(RecordsE2e, NewCustomerFromTheMainWindowIsInsertedAndListed)
{
    seed(kCities);
    auto &save = ctl<TdbButton>("frmCustomer", "bSave");
    save.setDbGeneralTableId(7); // left from an earlier showing
    app.ui.expectModal([&](QDialog *form) {
        // Prepared for a new record: defaults, no parent link.
        EXPECT_EQ(save.dbGeneralTableId(), -1);
        EXPECT_EQ(save.dbParentTableId(), -1);
        EXPECT_EQ(ctl<TdbEdit>("frmCustomer", "edPhone").text(), QStringLiteral("+47"));
        EXPECT_EQ(ctl<TdbCheckBox>("frmCustomer", "chActive").state(), TdbCheckBox::cbChecked);
        EXPECT_FALSE(ctl<TdbDateTimePicker>("frmCustomer", "dtBirthday").checked());
        EXPECT_EQ(ctl<TdbComboBox>("frmCustomer", "cbCity").currentIndex(), 0);
        ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Ada"));
        ctl<TdbComboBox>("frmCustomer", "cbCity").setCurrentText(QStringLiteral("Bergen"));
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
        EXPECT_FALSE(form->isVisible());
    });

    E2eApp::click(u"frmMain"_s, u"bNew"_s);

    EXPECT_EQ(app.row(QStringLiteral("SELECT name, phone, note, birthday, is_active, id_city, photo FROM customers")),
              QStringList({u"Ada"_s, u"+47"_s, u"<null>"_s, u"<null>"_s, u"1"_s, u"2"_s, u"<null>"_s}));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), QStringList({u"Ada"_s})); // re-run on return
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 1), QStringList({u"Bergen"_s}));
}

TEST_P(RecordsE2e, NewOrderWithTwoLinesOnAnUnsavedOrderForm)
{
    seed(kCities
         + QStringLiteral("INSERT INTO customers (name) VALUES ('Ada'), ('Grace');"
                          "INSERT INTO orders (id_customers, number, record_count) VALUES (2, 'OTHER', 1);"
                          "INSERT INTO order_lines (id_orders, product) VALUES (1, 'Not ours');"));
    const auto addLine = [&](const char *product, const char *quantity) {
        app.ui.expectModal([=](QDialog *) {
            EXPECT_EQ(ctl<TdbEdit>("frmOrderLine", "edQuantity").text(), QStringLiteral("1"));
            ctl<TdbEdit>("frmOrderLine", "edProduct").setText(QString::fromUtf8(product));
            ctl<TdbEdit>("frmOrderLine", "edQuantity").setText(QString::fromUtf8(quantity));
            E2eApp::click(u"frmOrderLine"_s, u"bSave"_s);
        });
        E2eApp::click(u"frmOrder"_s, u"bNewLine"_s);
    };
    int orderId = -1;

    showCustomer(1, [&](QDialog *) {
        app.ui.expectModal([&](QDialog *orderForm) {
            EXPECT_EQ(ctl<TdbEditCount>("frmOrder", "ecNumber").text(), QStringLiteral("2"));
            ctl<TdbEdit>("frmOrder", "edNumber").setText(QStringLiteral("A-1"));
            addLine("Cards", "500");
            // The early save wrote the order under the customer and kept the form open.
            EXPECT_TRUE(orderForm->isVisible());
            const QStringList order = app.row(
                QStringLiteral("SELECT id, number, id_customers FROM orders WHERE id_customers=1"));
            ASSERT_EQ(order.size(), 3);
            EXPECT_EQ(order.mid(1), QStringList({u"A-1"_s, u"1"_s}));
            orderId = order[0].toInt();
            EXPECT_EQ(ctl<TdbButton>("frmOrder", "bSave").dbGeneralTableId(), orderId);
            EXPECT_TRUE(ctl<TdbButton>("frmOrder", "bSave").dbDoCloseForm());
            EXPECT_EQ(E2eApp::gridColumn(u"frmOrder"_s, u"gridLines"_s, 0), QStringList({u"Cards"_s}));

            addLine("Engine", "1"); // already saved: no second order
            EXPECT_EQ(E2eApp::gridColumn(u"frmOrder"_s, u"gridLines"_s, 0), QStringList({u"Cards"_s, u"Engine"_s}));

            ctl<TdbEdit>("frmOrder", "edNumber").setText(QStringLiteral("A-1b"));
            E2eApp::click(u"frmOrder"_s, u"bSave"_s); // updates the early-saved row
        });
        E2eApp::click(u"frmCustomer"_s, u"bNewOrder"_s);
        // The customer form's order grid lists the customer's orders only.
        EXPECT_EQ(E2eApp::gridColumn(u"frmCustomer"_s, u"gridOrders"_s, 1), QStringList({u"A-1b"_s}));
        E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
    });

    EXPECT_EQ(app.rows(QStringLiteral("SELECT number FROM orders ORDER BY id")), QStringList({u"OTHER"_s, u"A-1b"_s}));
    EXPECT_EQ(app.rows(
                  QStringLiteral("SELECT product || ':' || quantity FROM order_lines WHERE id_orders=%1 ORDER BY id")
                      .arg(orderId)),
              QStringList({u"Cards:500"_s, u"Engine:1"_s}));
}

TEST_P(RecordsE2e, FailedEarlySaveOpensNoChildForm)
{
    app.ui.expectModal([&](QDialog *form) {
        // No name: the customer cannot be written, so no order may be created under it.
        app.ui.expectMessage();
        E2eApp::click(u"frmCustomer"_s, u"bNewOrder"_s); // the strict desktop fails if frmOrder shows
        ASSERT_EQ(app.ui.messages().size(), 1u);
        EXPECT_EQ(
            app.ui.messages()[0].text,
            app.byEngine("NOT NULL constraint failed: customers.name.",
                         "null value in column \"name\" of relation \"customers\" violates not-null constraint."));
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(ctl<TdbButton>("frmCustomer", "bSave").dbGeneralTableId(), -1);
        E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
    });
    E2eApp::click(u"frmMain"_s, u"bNew"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT (SELECT count(*) FROM customers) + (SELECT count(*) FROM orders)")),
              QStringList({u"0"_s}));
}

TEST_P(RecordsE2e, ExistingOrderShowsAndStoresCounterCalendarsAndLinkedTime)
{
    seed(QStringLiteral("INSERT INTO customers (name) VALUES ('Ada');"
                        "INSERT INTO orders (id_customers, number, ordered, delivery, paid, record_count) VALUES "
                        "(1, 'A-1', '2026-11-02 00:00:00.000', '2026-11-05 14:30:00.000', 1, 5);"));
    auto &calDelivery = ctl<TdbMonthCalendar>("frmOrder", "calDelivery");
    auto &dtDelivery = ctl<TdbDateTimePicker>("frmOrder", "dtDelivery");

    showCustomer(1, [&](QDialog *) {
        EXPECT_EQ(E2eApp::gridColumn(u"frmCustomer"_s, u"gridOrders"_s, 1), QStringList({u"A-1"_s}));
        E2eApp::grid(u"frmCustomer"_s, u"gridOrders"_s).setDbItemID(1);
        app.ui.expectModal([&](QDialog *) {
            EXPECT_EQ(ctl<TdbEditCount>("frmOrder", "ecNumber").text(), QStringLiteral("5"));
            EXPECT_EQ(ctl<TdbEdit>("frmOrder", "edNumber").text(), QStringLiteral("A-1"));
            EXPECT_EQ(ctl<TdbCheckBox>("frmOrder", "chPaid").state(), TdbCheckBox::cbChecked);
            EXPECT_EQ(ctl<TdbMonthCalendar>("frmOrder", "calOrdered").dbStringDateTime(),
                      QStringLiteral("2026-11-02 00:00:00.000"));
            EXPECT_TRUE(dtDelivery.checked());
            EXPECT_EQ(dtDelivery.dbStringDateTime(), QStringLiteral("2026-11-05 14:30:00.000"));
            EXPECT_EQ(calDelivery.dbGetDate(), QStringLiteral("2026-11-05 00:00:00.000"));

            ctl<TdbMonthCalendar>("frmOrder", "calOrdered")
                .setDbStringDateTime(QStringLiteral("2026-11-03 17:45:00.000"));
            calDelivery.setDbStringDateTime(QStringLiteral("2026-12-24 00:00:00.000"));
            dtDelivery.setDateTime(TDateTime::fromDateAndTime(QDate(2026, 11, 5), QTime(9, 15)));
            E2eApp::click(u"frmOrder"_s, u"bSave"_s);
        });
        E2eApp::click(u"frmCustomer"_s, u"bEditOrder"_s);
        E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
    });

    EXPECT_EQ(app.row(QStringLiteral("SELECT record_count, ordered, delivery, paid FROM orders")),
              QStringList({u"5"_s, u"2026-11-03 00:00:00.000"_s, u"2026-12-24 09:15:00.000"_s, u"1"_s}));
}

TEST_P(RecordsE2e, ShowingAndUpdatingUsesEveryControlAndKeepsWhatNullCannotSay)
{
    seed(
        kCities
        + QStringLiteral(
            "INSERT INTO customers (name, phone, note, birthday, is_active, id_city) "
            "VALUES ('АННА', '555', 'Two\nlines', '1985-12-10 00:00:00.000', 0, 2), ('Nulls', NULL, NULL, NULL, NULL, NULL);"));

    showCustomer(1, [&](QDialog *) {
        EXPECT_EQ(ctl<TdbEdit>("frmCustomer", "edName").text(), QStringLiteral("Анна"));
        EXPECT_EQ(ctl<TdbEdit>("frmCustomer", "edPhone").text(), QStringLiteral("555"));
        EXPECT_EQ(ctl<TdbMemo>("frmCustomer", "memoNote").toPlainText(), QStringLiteral("Two\nlines"));
        EXPECT_EQ(ctl<TdbComboBox>("frmCustomer", "cbCity").currentText(), QStringLiteral("Bergen"));
        EXPECT_TRUE(ctl<TdbDateTimePicker>("frmCustomer", "dtBirthday").checked());
        EXPECT_EQ(ctl<TdbDateTimePicker>("frmCustomer", "dtBirthday").dbStringDateTime(),
                  QStringLiteral("1985-12-10 00:00:00.000"));
        EXPECT_EQ(ctl<TdbCheckBox>("frmCustomer", "chActive").state(), TdbCheckBox::cbUnchecked);
        EXPECT_EQ(ctl<TdbButton>("frmCustomer", "bSave").dbGeneralTableId(), 1);
        EXPECT_EQ(ctl<TdbButton>("frmCustomer", "bNewOrder").dbParentTableId(), 1);
        EXPECT_EQ(E2eApp::grid(u"frmCustomer"_s, u"gridOrders"_s).dbParentTableId(), 1);

        ctl<TdbEdit>("frmCustomer", "edPhone").clear();
        ctl<TdbComboBox>("frmCustomer", "cbCity").setCurrentText(QStringLiteral("Oslo"));
        ctl<TdbDateTimePicker>("frmCustomer", "dtBirthday").setChecked(false);
        ctl<TdbCheckBox>("frmCustomer", "chActive").setState(TdbCheckBox::cbGrayed);
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
    });

    EXPECT_EQ(app.row(
                  QStringLiteral("SELECT name, phone, note, birthday, is_active, id_city FROM customers WHERE id=1")),
              QStringList({u"АННА"_s, u"<null>"_s, u"Two\nlines"_s, u"<null>"_s, u"<null>"_s, u"1"_s}));
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM customers")), QStringList({u"2"_s}));

    showCustomer(2, [&](QDialog *) {
        EXPECT_EQ(ctl<TdbEdit>("frmCustomer", "edPhone").text(), QString());
        EXPECT_EQ(ctl<TdbMemo>("frmCustomer", "memoNote").toPlainText(), QString());
        // No link: the empty entry, not the city of the record shown before.
        EXPECT_EQ(ctl<TdbComboBox>("frmCustomer", "cbCity").currentText(), QString());
        EXPECT_FALSE(ctl<TdbDateTimePicker>("frmCustomer", "dtBirthday").checked());
        EXPECT_EQ(ctl<TdbCheckBox>("frmCustomer", "chActive").state(), TdbCheckBox::cbGrayed);
        E2eApp::click(u"frmCustomer"_s, u"bCancel"_s);
    });
    EXPECT_EQ(app.row(QStringLiteral("SELECT phone, id_city FROM customers WHERE id=2")),
              QStringList({u"<null>"_s, u"<null>"_s}));
}

TEST_P(RecordsE2e, PicturesAndFilesAreStoredShownReplacedAndRemoved)
{
    const QByteArray first = test::encodedPicture("PNG", 8, 6);
    const QByteArray second = test::encodedPicture("PNG", 10, 4, Qt::darkRed);
    app.folder.write(QStringLiteral("first.png"), first);
    app.folder.write(QStringLiteral("second.png"), second);
    app.folder.write(QStringLiteral("contract.txt"), QByteArray("Terms and conditions"));
    auto &photo = ctl<TdbImageDataBase>("frmCustomer", "imgPhoto");
    auto &contract = ctl<TdbFileToDatabase>("frmCustomer", "fileContract");
    const auto stored = [&] {
        return app.row(
            QStringLiteral("SELECT length(photo), photo_filename, length(contract), contract_filename FROM customers"));
    };

    app.ui.expectModal([&](QDialog *) {
        ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Ada"));
        app.ui.expectOpenFile(app.folder.file(QStringLiteral("first.png")));
        photo.ToolButtonOpenClick();
        app.ui.expectOpenFile(app.folder.file(QStringLiteral("contract.txt")));
        contract.LeftButtonClick();
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
    });
    E2eApp::click(u"frmMain"_s, u"bNew"_s);
    EXPECT_EQ(app.blob(QStringLiteral("SELECT photo FROM customers")), first);
    EXPECT_EQ(app.blob(QStringLiteral("SELECT contract FROM customers")), QByteArray("Terms and conditions"));
    EXPECT_EQ(stored()[1], app.folder.file(QStringLiteral("first.png")));
    EXPECT_EQ(stored()[3], app.folder.file(QStringLiteral("contract.txt")));
    EXPECT_TRUE(photo.dbFileName().isEmpty()); // cleared once the save succeeded

    showCustomer(1, [&](QDialog *) {
        EXPECT_EQ(photo.picture().image().size(), QSize(8, 6));
        EXPECT_EQ(contract.text(), QStringLiteral("contract.txt"));
        EXPECT_TRUE(contract.rightButtonEnabled());
        app.ui.expectOpenFile(app.folder.file(QStringLiteral("second.png")));
        photo.ToolButtonOpenClick();
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
    });
    EXPECT_EQ(app.blob(QStringLiteral("SELECT photo FROM customers")), second);
    EXPECT_EQ(app.blob(QStringLiteral("SELECT contract FROM customers")), QByteArray("Terms and conditions"));

    showCustomer(1, [&](QDialog *) {
        EXPECT_EQ(photo.picture().image().size(), QSize(10, 4));
        app.ui.expectMessage(MessageAnswer::Yes);
        photo.ToolButtonDeleteClick();
        app.ui.expectMessage(MessageAnswer::Yes);
        contract.mniDeleteFileClick();
        E2eApp::click(u"frmCustomer"_s, u"bSave"_s);
    });
    EXPECT_EQ(stored(), QStringList({u"<null>"_s, u"<null>"_s, u"<null>"_s, u"<null>"_s}));
}

TEST_P(RecordsE2e, DeleteAsksWhenConfiguredAndCascadesToChildren)
{
    seed(QStringLiteral("INSERT INTO customers (name) VALUES ('Ada'), ('Grace'), ('Alan');"
                        "INSERT INTO orders (id_customers, number) VALUES (1, 'A-1'), (1, 'A-2'), (2, 'G-1');"
                        "INSERT INTO order_lines (id_orders, product) VALUES (1, 'Cards');"));
    TdbStringGridEx &grid = E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s);

    grid.setDbItemID(1);
    app.ui.expectMessage(MessageAnswer::No);
    E2eApp::click(u"frmMain"_s, u"bDelete"_s);
    ASSERT_EQ(app.ui.messages().size(), 1u);
    EXPECT_EQ(app.ui.messages()[0].text, QStringLiteral("Are you sure you want to delete the record?"));
    EXPECT_EQ(app.ui.messages()[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(app.ui.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM customers")), QStringList({u"3"_s}));

    app.ui.expectMessage(MessageAnswer::Yes);
    E2eApp::click(u"frmMain"_s, u"bDelete"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM customers ORDER BY id")), QStringList({u"Grace"_s, u"Alan"_s}));
    EXPECT_EQ(app.rows(QStringLiteral("SELECT number FROM orders")), QStringList({u"G-1"_s}));
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM order_lines")), QStringList({u"0"_s}));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 0), QStringList({u"Alan"_s, u"Grace"_s}));

    grid.setDbItemID(3);
    E2eApp::click(u"frmMain"_s, u"bDeleteQuietly"_s); // no question
    EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM customers")), QStringList({u"Grace"_s}));
    EXPECT_EQ(app.ui.messages().size(), 2u);
}

TEST_P(RecordsE2e, EditAndDeleteOverAnEmptyGridSaySo)
{
    struct Case {
        const char *button, *text, *caption;
    };
    const Case cases[] = {
        {"bEdit", "Entry to edit is no selected.", "Error"},
        {"bDeleteQuietly", "Entry to be deleted is not selected.", "Info"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.button);
        app.ui.expectMessage();
        E2eApp::click(QStringLiteral("frmMain"), QString::fromLatin1(c.button));
        ASSERT_FALSE(app.ui.messages().empty());
        EXPECT_EQ(app.ui.messages().back().text, QString::fromLatin1(c.text));
        EXPECT_EQ(app.ui.messages().back().caption, QString::fromLatin1(c.caption));
    }
}

TEST_P(RecordsE2e, CustomSqlFillsTheGridOrRunsAsAStatementWithTheFormsValues)
{
    seed(QStringLiteral("INSERT INTO customers (name) VALUES ('Ada'), ('Alan'), ('O''Brien'), ('Grace');"
                        "INSERT INTO orders (id_customers, number) VALUES (2, 'A-1'), (2, 'A-2'), (1, 'A-3');"));
    auto &name = ctl<TdbEdit>("frmMain", "edName");

    name.setText(QStringLiteral("A"));
    E2eApp::click(u"frmMain"_s, u"bTop"_s);
    TdbStringGridEx &grid = E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s);
    EXPECT_EQ(grid.cell(2, 0), QStringLiteral("Orders"));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 1), QStringList({u"Alan"_s, u"Ada"_s}));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 2), QStringList({u"2"_s, u"1"_s}));
    EXPECT_EQ(grid.dbListId(), QStringList({u"2"_s, u"1"_s}));

    // The grid now holds the query: a delete takes the table after FROM and re-runs the query.
    grid.setDbItemID(2);
    E2eApp::click(u"frmMain"_s, u"bDeleteQuietly"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM orders")), QStringList({u"1"_s}));
    EXPECT_EQ(grid.cell(2, 0), QStringLiteral("Orders"));
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 1), QStringList({u"Ada"_s}));

    // A quote typed into a value that sits inside the designer's literal stays part of the value.
    name.setText(QStringLiteral("O'B"));
    E2eApp::click(u"frmMain"_s, u"bTop"_s);
    EXPECT_EQ(E2eApp::gridColumn(u"frmMain"_s, u"gridCustomers"_s, 1), QStringList({u"O'Brien"_s}));

    name.setText(QStringLiteral("X'); DROP TABLE customers; --"));
    E2eApp::click(u"frmMain"_s, u"bAddCity"_s);
    EXPECT_EQ(app.rows(QStringLiteral("SELECT name FROM city")), QStringList({u"X'); DROP TABLE customers; --"_s}));
    EXPECT_EQ(app.rows(QStringLiteral("SELECT count(*) FROM customers")), QStringList({u"3"_s}));
    EXPECT_TRUE(app.ui.messages().empty());
}

TARVO_BOTH_ENGINES(RecordsE2e);

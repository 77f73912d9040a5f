// One simulated user for the tests of several people on one database: starts Tarvo on a project
// folder (the e2e-shop fixture with a customer 1) and adds orders to customer 1 through the real
// windows and save path. Prints "saved <number>" for every save that the form acknowledged by
// closing, and every message shown as "message: <text>" on standard error. The database is the
// project's: its sqlite.db, or the file or server that settings.ini names.
// With "search", every round also runs the main window's search for customer 1 and checks the
// result, and checks that the customer's order grid, run again after the save, lists the new
// order. Prints "save-ms <milliseconds>" for every save (the click of the order's save button) and
// "search-ms <milliseconds>" for every search.
// Usage: tarvo_save_worker <project folder> <saves> <tag> [search]
#include "app/application.h"
#include "app/tfrmmain.h"
#include "controls/dbbutton.h"
#include "controls/dbedit.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/projectfolder.h"
#include "support/scriptedinteraction.h"

#include <QDialog>
#include <QElapsedTimer>
#include <cstdio>

using namespace tarvo;

namespace {

// Messages are not expected: each one is an error the parent test counts.
class WorkerInteraction : public test::ScriptedInteraction {
public:
    MessageAnswer showMessage(QWidget *, const Message &message) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
        ++errors;
        return MessageAnswer::No;
    }
    int errors = 0;
};

// A wrong result counts as an error, as a message does.
void fail(WorkerInteraction &ui, const QString &what)
{
    std::fprintf(stderr, "wrong: %s\n", qPrintable(what));
    ++ui.errors;
}

double milliseconds(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

template <class T> T &control(const char *form, const char *name)
{
    auto *found = qobject_cast<T *>(findForm(QString::fromLatin1(form))->findComponent(QString::fromLatin1(name)));
    if (!found)
        qFatal("no control %s.%s", form, name);
    return *found;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 && !(argc == 5 && qstrcmp(argv[4], "search") == 0))
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WorkerInteraction ui;
    setProjectFolder(QString::fromLocal8Bit(argv[1]) + u'/');
    const int saves = QByteArray(argv[2]).toInt();
    const QString tag = QString::fromLocal8Bit(argv[3]);
    const bool search = argc == 5;

    ApplicationWindows windows;
    if (!windows.showMainWindow())
        return 3;
    auto &customers = control<TdbStringGridEx>("frmMain", "gridCustomers");
    for (int i = 0; i < saves; ++i) {
        if (search) {
            control<TdbEdit>("frmMain", "edName").setText(QStringLiteral("Ada"));
            QElapsedTimer clock;
            clock.start();
            control<TdbButton>("frmMain", "bSearch").click();
            std::printf("search-ms %.3f\n", milliseconds(clock));
            if (customers.rowCount() != 2 || customers.cell(0, 1) != QLatin1String("Ada"))
                fail(ui, QStringLiteral("the search for Ada found %1 rows").arg(customers.rowCount() - 1));
        }
        const QString number = tag + u'-' + QString::number(i);
        bool acknowledged = false;
        ui.expectModal([&](QDialog *) {
            ui.expectModal([&](QDialog *order) {
                control<TdbEdit>("frmOrder", "edNumber").setText(number);
                QElapsedTimer clock;
                clock.start();
                control<TdbButton>("frmOrder", "bSave").click();
                std::printf("save-ms %.3f\n", milliseconds(clock));
                acknowledged = !order->isVisible();
            });
            control<TdbButton>("frmCustomer", "bNewOrder").click();
            if (search && acknowledged) {
                auto &orders = control<TdbStringGridEx>("frmCustomer", "gridOrders");
                bool listed = false;
                for (int row = 1; row < orders.rowCount() && !listed; ++row)
                    listed = orders.cell(1, row) == number;
                if (!listed)
                    fail(ui, QStringLiteral("the order grid does not list the saved order %1").arg(number));
            }
            control<TdbButton>("frmCustomer", "bCancel").click();
        });
        customers.setDbItemID(1);
        control<TdbButton>("frmMain", "bEdit").click();
        if (acknowledged)
            std::printf("saved %s\n", qPrintable(number));
        std::fflush(stdout);
    }
    ui.verify();
    return ui.errors == 0 ? 0 : 1;
}

// One simulated user for the tests of several people on one database: starts Tarvo on a project
// folder (the e2e-shop fixture with a customer 1) and adds orders to customer 1 through the real
// windows and save path. Prints "saved <number>" for every save that the form acknowledged by
// closing, and every message shown as "message: <text>" on standard error.
// Usage: tarvo_save_worker <project folder> <saves> <tag>
#include "app/application.h"
#include "app/tfrmmain.h"
#include "controls/dbbutton.h"
#include "controls/dbedit.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/projectfolder.h"
#include "support/scriptedinteraction.h"

#include <QDialog>
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
    if (argc != 4)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WorkerInteraction ui;
    setProjectFolder(QString::fromLocal8Bit(argv[1]) + u'/');
    const int saves = QByteArray(argv[2]).toInt();
    const QString tag = QString::fromLocal8Bit(argv[3]);

    ApplicationWindows windows;
    if (!windows.showMainWindow())
        return 3;
    for (int i = 0; i < saves; ++i) {
        const QString number = tag + u'-' + QString::number(i);
        bool acknowledged = false;
        ui.expectModal([&](QDialog *) {
            ui.expectModal([&](QDialog *order) {
                control<TdbEdit>("frmOrder", "edNumber").setText(number);
                control<TdbButton>("frmOrder", "bSave").click();
                acknowledged = !order->isVisible();
            });
            control<TdbButton>("frmCustomer", "bNewOrder").click();
            control<TdbButton>("frmCustomer", "bCancel").click();
        });
        control<TdbStringGridEx>("frmMain", "gridCustomers").setDbItemID(1);
        control<TdbButton>("frmMain", "bEdit").click();
        if (acknowledged) {
            std::printf("saved %s\n", qPrintable(number));
            std::fflush(stdout);
        }
    }
    ui.verify();
    return ui.errors == 0 ? 0 : 1;
}

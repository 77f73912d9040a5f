// forms.xml: the document reader, the attribute rules and the construction of every form and
// control it describes, on the offscreen platform.
#include "fuzzing.h"

#include "controls/form.h"
#include "controls/tform.h"
#include "forms/formloader.h"
#include "platform/errors.h"

#include <QMainWindow>

namespace {

class MainWindow : public QMainWindow, public tarvo::FormBase {
public:
    MainWindow() : FormBase(this) { setObjectName(QStringLiteral("frmMain")); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    fuzz::startApplication();
    const QString path = fuzz::writeInput(fuzz::bytes(data, size), QStringLiteral("forms.xml"));
    {
        MainWindow main;
        try {
            LoadForms(main, path, {});
        } catch (const Error &) {
            // Refused input is the expected outcome for most of it.
        }
        for (FormBase *form : openForms())
            if (form != &main)
                delete form->widget();
    }
    return 0;
}

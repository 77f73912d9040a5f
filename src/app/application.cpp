#include "app/application.h"

#include "app/tfrmmain.h"
#include "app/tfrmoptions.h"
#include "app/tfrmtarvoabout.h"
#include "controls/imageviewer.h"
#include "controls/tform.h"
#include "platform/errorhandler.h"

namespace tarvo {

TarvoApplication::TarvoApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TarvoApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

ApplicationWindows::ApplicationWindows()
    : m_frmMain(std::make_unique<TfrmMain>()), m_frmTarvoImageViewer(std::make_unique<TfrmTarvoImageViewer>()),
      m_frmOptions(std::make_unique<TfrmOptions>()), m_frmTarvoAbout(std::make_unique<TfrmTarvoAbout>())
{
    m_frmTarvoImageViewer->setObjectName(QStringLiteral("frmTarvoImageViewer"));
    m_frmMain->setOptionsForm(m_frmOptions.get());
    m_frmMain->setAboutForm(m_frmTarvoAbout.get());
}

ApplicationWindows::~ApplicationWindows()
{
    // The viewer may be lent to one of the forms deleted below as their own window.
    m_frmTarvoImageViewer->setParent(nullptr);
    // The forms of forms.xml have no parent: they end with the run, before the main window whose
    // connection their controls use, so that a later run in the same process can build them anew.
    for (FormBase *form : openForms())
        if (auto *further = qobject_cast<TForm *>(form->widget()); further && !further->parent())
            delete further;
}

bool ApplicationWindows::showMainWindow()
{
    m_frmMain->show();
    return !m_frmMain->exitRequested();
}

} // namespace tarvo

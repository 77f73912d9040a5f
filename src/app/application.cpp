#include "app/application.h"

#include "app/tfrmmain.h"
#include "app/tfrmoptions.h"
#include "app/tfrmtarvoabout.h"
#include "controls/imageviewer.h"
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
    : m_frmMain(std::make_unique<TfrmMain>())
    , m_frmTarvoImageViewer(std::make_unique<TfrmTarvoImageViewer>())
    , m_frmOptions(std::make_unique<TfrmOptions>())
    , m_frmTarvoAbout(std::make_unique<TfrmTarvoAbout>())
{
    m_frmTarvoImageViewer->setObjectName(QStringLiteral("frmTarvoImageViewer"));
    m_frmMain->setOptionsForm(m_frmOptions.get());
    m_frmMain->setAboutForm(m_frmTarvoAbout.get());
}

ApplicationWindows::~ApplicationWindows() = default;

bool ApplicationWindows::showMainWindow()
{
    m_frmMain->show();
    return !m_frmMain->exitRequested();
}

} // namespace tarvo

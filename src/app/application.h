#pragma once
// The process: the application object with its last safety net, and the windows of a run,
// created in their fixed order and owned until the program ends.
#include <QApplication>
#include <memory>

namespace tarvo {

class TfrmMain;
class TfrmOptions;
class TfrmTarvoAbout;
class TfrmTarvoImageViewer;

// Any exception that still reaches Qt's event delivery goes to the general error handler.
class TarvoApplication : public QApplication {
    Q_OBJECT
public:
    TarvoApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

class ApplicationWindows {
public:
    ApplicationWindows(); // frmMain, frmTarvoImageViewer, frmOptions, frmTarvoAbout
    ~ApplicationWindows();

    TfrmMain &frmMain() const { return *m_frmMain; }
    TfrmTarvoImageViewer &frmTarvoImageViewer() const { return *m_frmTarvoImageViewer; }
    TfrmOptions &frmOptions() const { return *m_frmOptions; }
    TfrmTarvoAbout &frmTarvoAbout() const { return *m_frmTarvoAbout; }

    // Shows the main window, which runs the start-up sequence. False when start-up ended the
    // program: the caller returns 0 without entering the event loop.
    bool showMainWindow();

private:
    // Declared in creation order; destroyed in reverse, the main window last.
    std::unique_ptr<TfrmMain> m_frmMain;
    std::unique_ptr<TfrmTarvoImageViewer> m_frmTarvoImageViewer;
    std::unique_ptr<TfrmOptions> m_frmOptions;
    std::unique_ptr<TfrmTarvoAbout> m_frmTarvoAbout;
};

} // namespace tarvo

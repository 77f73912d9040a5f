#pragma once
// The main window: owner of the run's database connection, image lists and menu. Its first
// showing runs the start-up sequence; closing it ends the program.
#include "actions/actioncontext.h"
#include "controls/form.h"
#include "report/reportengine.h"
#include "schema/sqlconnection.h"

#include <QMainWindow>

class QMenu;

class QSocketNotifier;

namespace tarvo {

class TdbButton;
class TfrmOptions;
class TfrmTarvoAbout;

class TfrmMain : public QMainWindow, public FormBase {
    Q_OBJECT
public:
    // Fills sharedResources() with the image lists and SQLConnection and owns error messages.
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override; // runs FormDestroy

    SqlConnection SQLConnection;
    ReportEngine frxReport; // the report, its data set "Report" and its designer

    // The windows the menu shows; created after the main window and wired by the application.
    void setOptionsForm(TfrmOptions *form) { m_options = form; }
    TfrmOptions *optionsForm() const { return m_options; }
    void setAboutForm(TfrmTarvoAbout *form) { m_about = form; }

    // Start-up asks for an orderly end of the program (exit code 0): the event loop is left or
    // never entered, and closing stores nothing.
    void requestExit();
    bool exitRequested() const { return m_exitRequested; }

    void FormShow();    // the start-up sequence
    void FormClose();   // stores the grid layouts
    void FormDestroy(); // releases the field catalogue

    void Close1Click();
    void mniDBLocationClick();
    void mniAboutClick();
    void mniReportClick();

    // The click handler of every action button; errors go to the general error handler.
    void OnButtonClick(TdbButton *Sender);
    void OnAllFormShow(QWidget *Sender);
    void FillDictionaries(const QString &TableName);
    // Grids and lookup lists follow other users' committed changes (see followchanges.h).
    void followDatabaseChanges();
    QString FillForm(int id, TdbButton *Button);
    void FillForm2(int id, FormBase *Form, const QString &Table);
    void LoadPicture(const QByteArray &PictureStream, const QString &sName);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    QAction *menuCommand(QWidget *menu, const QString &name, const QString &text, void (TfrmMain::*handler)());

    TfrmOptions *m_options = nullptr;
    TfrmTarvoAbout *m_about = nullptr;
    void followChangeNotices();
    ActionContext m_actions;
    QSocketNotifier *m_changeNotices = nullptr;
    int m_actionsRunning = 0;
    bool m_started = false;
    bool m_exitRequested = false;
};

} // namespace tarvo

#include "app/tfrmmain.h"

#include "actions/actions.h"
#include "actions/dictionaries.h"
#include "actions/followchanges.h"
#include "actions/records.h"
#include "actions/reportaction.h"
#include "app/artwork.h"
#include "app/picturelibrary.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/tfrmoptions.h"
#include "app/tfrmtarvoabout.h"
#include "app/windowdesign.h"
#include "controls/sharedresources.h"
#include "forms/formloader.h"
#include "platform/errorhandler.h"
#include "platform/interaction.h"
#include "platform/workprogress.h"
#include "schema/fieldcatalogue.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QThread>

namespace tarvo {

namespace {

// Before the event loop runs (start-up inside show()) and in tests there is no loop to leave;
// telling Qt to quit then would linger and end the next loop that starts.
void leaveEventLoop()
{
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      FormBase(this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvo"));
    setFont(designFont());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setBackgroundRole(QPalette::Button);
    client->setAutoFillBackground(true);
    client->setFixedSize(729, 436);
    setCentralWidget(client);
    // The window follows its client area and menu; the user cannot resize or maximise it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildMenu();

    SharedResources &shared = sharedResources();
    shared.buttonIcons = buttonIconsImageList();
    shared.buttonEdit = buttonEditImageList();
    shared.imageDataBase = imageDataBaseImageList();
    shared.connection = &SQLConnection;
    setErrorOwner(this);

    m_actions.mainWindow = this;
    m_actions.connection = &SQLConnection;
    m_actions.report = &frxReport;
    // Coming back from another program (perhaps another user's Tarvo) shows what changed meanwhile;
    // not while long work lets events through: its statement may be in the middle of a step.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && !WorkProgress::running() && SQLConnection.isOpen())
            guarded([this] { followDatabaseChanges(); });
    });
}

TfrmMain::~TfrmMain()
{
    guarded([this] { FormDestroy(); });
    if (sharedResources().connection == &SQLConnection)
        sharedResources().connection = nullptr;
}

void TfrmMain::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    addComponent(bar);

    QMenu *file = bar->addMenu(QStringLiteral("File"));
    file->menuAction()->setObjectName(QStringLiteral("File1"));
    addComponent(file->menuAction());
    menuCommand(file, QStringLiteral("Close1"), QStringLiteral("Close"), &TfrmMain::Close1Click);

    QMenu *options = bar->addMenu(QStringLiteral("Options"));
    options->menuAction()->setObjectName(QStringLiteral("mniOptions"));
    addComponent(options->menuAction());
    menuCommand(options, QStringLiteral("mniDBLocation"), QStringLiteral("Database location"),
                &TfrmMain::mniDBLocationClick);
    menuCommand(options, QStringLiteral("mniReport"), QStringLiteral("Report designer"), &TfrmMain::mniReportClick);

    menuCommand(bar, QStringLiteral("mniAbout"), QStringLiteral("About"), &TfrmMain::mniAboutClick);
}

QAction *TfrmMain::menuCommand(QWidget *menu, const QString &name, const QString &text, void (TfrmMain::*handler)())
{
    auto *action = new QAction(text, menu);
    action->setObjectName(name);
    menu->addAction(action);
    addComponent(action);
    connect(action, &QAction::triggered, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    return action;
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Shown once and never hidden: the sequence runs on the first showing only.
    if (m_started)
        return;
    m_started = true;
    centreOnScreen(this);
    guarded([this] { FormShow(); });
    // forms.xml may have given the window another size: centre it again at that size.
    layout()->activate();
    centreOnScreen(this);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // A failure to store the layouts is shown but must not keep the program alive.
    guarded([this] { FormClose(); });
    event->accept();
    leaveEventLoop();
}

void TfrmMain::requestExit()
{
    m_exitRequested = true;
    leaveEventLoop();
}

void TfrmMain::FormShow()
{
    runStartupSequence(*this);
}

void TfrmMain::FormClose()
{
    if (m_exitRequested)
        return;
    SaveGridLayouts();
}

void TfrmMain::FormDestroy()
{
    ReleaseFieldCatalogue();
}

void TfrmMain::Close1Click()
{
    close();
}

void TfrmMain::mniDBLocationClick()
{
    Q_ASSERT(m_options);
    interaction().showModal(m_options);
}

void TfrmMain::mniAboutClick()
{
    Q_ASSERT(m_about);
    interaction().showModal(m_about);
}

void TfrmMain::mniReportClick()
{
    tarvo::mniReportClick(frxReport);
}

void TfrmMain::OnButtonClick(TdbButton *Sender)
{
    // A click that reaches a button while long work runs (its progress window lets events
    // through) would start an action on data half read; the modal window keeps the user's own
    // clicks out, and this keeps out the rest.
    if (WorkProgress::running())
        return;
    // Nested clicks (the new-record action's save) come through here again with their own guard.
    ++m_actionsRunning;
    guarded([&] { tarvo::OnButtonClick(*Sender, m_actions); });
    --m_actionsRunning;
}

void TfrmMain::OnAllFormShow(QWidget *Sender)
{
    tarvo::OnAllFormShow(Sender);
}

void TfrmMain::followDatabaseChanges()
{
    tarvo::followDatabaseChanges(m_actions);
    followChangeNotices();
}

// A server announces other users' saves on the connection's socket: grids and lists follow at once,
// without polling. During an action the notice waits: the action follows the changes when it ends.
// A connection made again after a loss has a socket of its own.
void TfrmMain::followChangeNotices()
{
    const int socket = SQLConnection.changeNoticeSocket();
    if (m_changeNotices && m_changeNotices->socket() == socket)
        return;
    delete std::exchange(m_changeNotices, nullptr);
    if (socket < 0)
        return;
    m_changeNotices = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    connect(m_changeNotices, &QSocketNotifier::activated, this, [this] {
        if (m_actionsRunning == 0 && SQLConnection.isOpen())
            guarded([this] { followDatabaseChanges(); });
    });
}

void TfrmMain::FillDictionaries(const QString &TableName)
{
    tarvo::FillDictionaries(SQLConnection, TableName);
}

QString TfrmMain::FillForm(int id, TdbButton *Button)
{
    return tarvo::FillForm(id, *Button, m_actions);
}

void TfrmMain::FillForm2(int id, FormBase *Form, const QString &Table)
{
    tarvo::FillForm2(id, *Form, Table);
}

void TfrmMain::LoadPicture(const QByteArray &PictureStream, const QString &sName)
{
    loadLibraryPicture(PictureStream, sName);
}

} // namespace tarvo

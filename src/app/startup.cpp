#include "app/startup.h"

#include "app/picturelibrary.h"
#include "app/settings.h"
#include "app/tfrmmain.h"
#include "app/tfrmoptions.h"
#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "platform/projectfolder.h"
#include "schema/createtables.h"
#include "schema/fieldcatalogue.h"
#include "controls/dbstringgridex.h"
#include "forms/formloader.h"

#include <QFileInfo>

namespace tarvo {

namespace {

struct StartupState {
    TfrmMain &main;
    QString databaseFile;
    bool databaseExisted = false;
};

QString tablesIni()
{
    return projectFolder() + QStringLiteral("tables.ini");
}

// The stored location wins over the project folder's sqlite.db; one that names no file lets the
// user choose another and ends the program.
void chooseDatabaseFile(StartupState &state)
{
    state.databaseFile = projectFolder() + QStringLiteral("sqlite.db");
    const QString stored = ReadDatabaseFileName();
    if (stored.isEmpty())
        return;
    if (!QFileInfo(stored).isFile()) { // a folder is no database file either
        interaction().showMessage(&state.main,
                                  {QStringLiteral("The database file is not found.") + QChar(13) + stored,
                                   QStringLiteral("Error"), MessageIcon::Information, MessageButtons::Ok});
        interaction().showModal(state.main.optionsForm());
        state.main.requestExit();
        return;
    }
    state.databaseFile = stored;
}

void openConnection(StartupState &state)
{
    state.databaseExisted = QFileInfo::exists(state.databaseFile);
    state.main.SQLConnection.setDatabase(state.databaseFile);
    state.main.SQLConnection.open();
}

// The one place that catches: the first failing statement is reported and the rest skipped,
// and start-up goes on with whatever tables exist.
void createTablesOfNewDatabase(StartupState &state)
{
    if (state.databaseExisted)
        return;
    for (const QString &statement : BuildCreateTableStatements(tablesIni())) {
        try {
            state.main.SQLConnection.execute(statement);
        } catch (const Error &error) {
            interaction().showMessage(&state.main,
                                      {QStringLiteral("Exception raised with message: ") + error.message(),
                                       applicationTitle(), MessageIcon::None, MessageButtons::Ok});
            return;
        }
    }
}

void loadCatalogue(StartupState &)
{
    LoadFieldCatalogue(tablesIni());
}

void buildForms(StartupState &state)
{
    TfrmMain &main = state.main;
    const FormHooks hooks{[&main](TdbButton *button) { main.OnButtonClick(button); },
                          [&main](QWidget *form) { main.OnAllFormShow(form); }};
    LoadForms(main, projectFolder() + QStringLiteral("forms.xml"), hooks);
}

void fillLookupLists(StartupState &state)
{
    state.main.FillDictionaries(QString());
    state.main.followDatabaseChanges(); // from now on, other users' changes are noticed
}

// Only the main window's grids: the others run when their form is opened.
void runAutomaticGrids(StartupState &state)
{
    for (TdbStringGridEx *grid : state.main.componentsOf<TdbStringGridEx>())
        if (grid->dbAutoExecute())
            grid->dbExecute();
}

void loadPictureLibrary(StartupState &state)
{
    const QString path = projectFolder() + QStringLiteral("graphics.dll");
    if (!QFileInfo::exists(path))
        return;
    TfrmMain &main = state.main;
    LoadPictureLibrary(path, [&main](const QByteArray &picture, const QString &name) {
        main.LoadPicture(picture, name);
    });
}

void applyGridLayouts(StartupState &)
{
    LoadGridLayouts();
}

using Step = void (*)(StartupState &);

const Step kSteps[] = {
    chooseDatabaseFile,
    openConnection,
    createTablesOfNewDatabase,
    loadCatalogue,
    buildForms,
    fillLookupLists,
    runAutomaticGrids,
    loadPictureLibrary,
    applyGridLayouts,
};

} // namespace

void runStartupSequence(TfrmMain &main)
{
    StartupState state{main, QString(), false};
    for (Step step : kSteps) {
        step(state);
        if (main.exitRequested())
            return;
    }
}

} // namespace tarvo

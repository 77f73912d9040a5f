#include "app/startup.h"

#include "app/picturelibrary.h"
#include "app/settings.h"
#include "app/tfrmmain.h"
#include "app/tfrmoptions.h"
#include "controls/dbstringgridex.h"
#include "forms/formloader.h"
#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "platform/projectfolder.h"
#include "schema/createtables.h"
#include "schema/databaselocation.h"
#include "schema/fieldcatalogue.h"
#include "schema/tablepresence.h"

#include <QFileInfo>

namespace tarvo {

namespace {

struct StartupState {
    TfrmMain &main;
    QString databaseFile; // a file path or a server's connection text
    bool isNewDatabase = false;
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
    if (!isServerLocation(stored) && !QFileInfo(stored).isFile()) { // a folder is no database file either
        interaction().showMessage(&state.main, {QStringLiteral("The database file is not found.") + QChar(13) + stored,
                                                QStringLiteral("Error"), MessageIcon::Information, MessageButtons::Ok});
        interaction().showModal(state.main.optionsForm());
        state.main.requestExit();
        return;
    }
    state.databaseFile = stored;
}

// A server that cannot be reached takes the path of a missing database file: the message, the
// options to name another database, and the end of the program.
void openConnection(StartupState &state)
{
    SqlConnection &connection = state.main.SQLConnection;
    connection.setDatabase(state.databaseFile);
    if (!isServerLocation(state.databaseFile)) {
        state.isNewDatabase = !QFileInfo::exists(state.databaseFile);
        connection.open();
        return;
    }
    try {
        connection.open();
        const QStringList present = tablePresence(connection, ReadTableDefinitions(tablesIni())).present;
        state.isNewDatabase = present.isEmpty();
        if (!state.isNewDatabase)
            connection.shareTables(present);
    } catch (const DatabaseError &error) {
        interaction().showMessage(&state.main, {error.message(), QStringLiteral("Error"), MessageIcon::Information,
                                                MessageButtons::Ok});
        interaction().showModal(state.main.optionsForm());
        state.main.requestExit();
    }
}

// A new database is a file just created, or a server database with none of the tables. The one
// place that catches: the failure is reported and start-up goes on with whatever tables exist (on a
// server: none, as its tables are made all at once or not at all).
void createTablesOfNewDatabase(StartupState &state)
{
    if (!state.isNewDatabase)
        return;
    try {
        state.main.SQLConnection.createSchema(ReadTableDefinitions(tablesIni()));
    } catch (const Error &error) {
        interaction().showMessage(&state.main, {QStringLiteral("Exception raised with message: ") + error.message(),
                                                applicationTitle(), MessageIcon::None, MessageButtons::Ok});
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
    LoadPictureLibrary(path,
                       [&main](const QByteArray &picture, const QString &name) { main.LoadPicture(picture, name); });
}

void applyGridLayouts(StartupState &)
{
    LoadGridLayouts();
}

using Step = void (*)(StartupState &);

const Step kSteps[] = {
    chooseDatabaseFile, openConnection,    createTablesOfNewDatabase, loadCatalogue,    buildForms,
    fillLookupLists,    runAutomaticGrids, loadPictureLibrary,        applyGridLayouts,
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

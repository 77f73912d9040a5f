#pragma once
// A whole Tarvo run on a fixture project folder: the real windows, a strict scripted desktop,
// and helpers to reach controls by form and name and to read the database back. On the server
// engine the project's settings name a new database of the test server.
#include "app/application.h"
#include "app/tfrmmain.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/projectfolder.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"
#include "support/serverdatabase.h"

#include <QDialog>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace tarvo::test {

class E2eApp {
public:
    explicit E2eApp(const QString &fixture, Engine on = Engine::File) : folder(fixture), engine(on)
    {
        setProjectFolder(folder.path());
        if (engine == Engine::Server && !testServer().isEmpty()) {
            server = std::make_unique<ServerDatabase>();
            folder.write(QStringLiteral("settings.ini"),
                         QStringLiteral("[Options]\nserver=") + server->location() + u'\n');
        }
    }
    ~E2eApp()
    {
        windows.reset();
        setProjectFolder(QString());
    }

    // Creates the windows and shows the main window (the start-up sequence); expectations for
    // start-up messages must be queued on `ui` before.
    bool start()
    {
        windows = std::make_unique<ApplicationWindows>();
        return windows->showMainWindow();
    }
    TfrmMain &main() const { return windows->frmMain(); }

    static FormBase &form(const QString &name)
    {
        FormBase *found = findForm(name);
        if (!found)
            throw std::runtime_error((QStringLiteral("no form ") + name).toStdString());
        return *found;
    }
    template <class T> static T &control(const QString &formName, const QString &name)
    {
        auto *found = qobject_cast<T *>(form(formName).findComponent(name));
        if (!found)
            throw std::runtime_error(
                (QStringLiteral("no control ") + formName + QStringLiteral(".") + name).toStdString());
        return *found;
    }
    static void click(const QString &formName, const QString &button) { control<TdbButton>(formName, button).click(); }
    static TdbStringGridEx &grid(const QString &formName, const QString &name)
    {
        return control<TdbStringGridEx>(formName, name);
    }
    // The data cells of one grid column, title row left out.
    static QStringList gridColumn(const QString &formName, const QString &name, int col)
    {
        TdbStringGridEx &g = grid(formName, name);
        QStringList cells;
        for (int row = 1; row < g.rowCount(); ++row)
            cells << g.cell(col, row);
        return cells;
    }

    // The first column of every row of `sql`, read through a connection of our own.
    QStringList rows(const QString &sql) const
    {
        SqlConnection reader;
        reader.setDatabase(database());
        reader.open();
        QStringList values;
        for (SqlQuery q = reader.query(sql); !q.eof(); q.next())
            values << (q.isNull(0) ? QStringLiteral("<null>") : q.text(0));
        return values;
    }
    // Every column of the first row of `sql`, NULL as "<null>".
    QStringList row(const QString &sql) const
    {
        SqlConnection reader;
        reader.setDatabase(database());
        reader.open();
        QStringList values;
        SqlQuery q = reader.query(sql);
        for (int c = 0; !q.eof() && c < q.columnCount(); ++c)
            values << (q.isNull(c) ? QStringLiteral("<null>") : q.text(c));
        return values;
    }
    QByteArray blob(const QString &sql) const
    {
        SqlConnection reader;
        reader.setDatabase(database());
        reader.open();
        SqlQuery q = reader.query(sql);
        return q.eof() ? QByteArray() : q.bytes(0);
    }
    // What differs between the engines: their own messages and SQL.
    QString byEngine(const char *onFile, const char *onServer) const
    {
        return QString::fromUtf8(engine == Engine::File ? onFile : onServer);
    }
    QString database() const { return server ? server->location() : folder.file(QStringLiteral("sqlite.db")); }
    // The text of the latest message shown, empty when none was.
    QString lastMessage() const { return ui.messages().empty() ? QString() : ui.messages().back().text; }
    // Runs statements on the application's own connection (test data).
    void seed(const QString &sql) const { main().SQLConnection.execute(sql); }

    ScriptedInteraction ui; // first: the desktop is replaced before any window exists
    ProjectFolder folder;
    Engine engine;
    std::unique_ptr<ServerDatabase> server;
    std::unique_ptr<ApplicationWindows> windows;
};

// A suite that runs on both engines; the server's cases skip when no test server runs.
class BothEngines : public ::testing::TestWithParam<Engine> {
protected:
    static bool serverMissing() { return GetParam() == Engine::Server && testServer().isEmpty(); }
};
#define TARVO_BOTH_ENGINES(suite)                                                                                    \
    INSTANTIATE_TEST_SUITE_P(, suite, ::testing::Values(::tarvo::test::Engine::File, ::tarvo::test::Engine::Server), \
                             [](const auto &p) { return std::string(::tarvo::test::engineName(p.param)); })

// E2eApp::control with names written as plain literals.
template <class T> T &ctl(const char *form, const char *name)
{
    return E2eApp::control<T>(QString::fromLatin1(form), QString::fromLatin1(name));
}

} // namespace tarvo::test

// tarvo-migrate <project folder> <server address> [database file]: copies a project's SQLite
// database to an empty PostgreSQL database. Exit code 0 when copied and counted, 1 when nothing
// was copied, 2 for wrong arguments.
#include "app/settings.h"
#include "migrate/consoleinteraction.h"
#include "migrate/servercopy.h"
#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "schema/createtables.h"
#include "schema/databaselocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// The file the program itself would open: the stored location when it is a file, otherwise the
// project folder's sqlite.db.
QString projectDatabaseFile(const QString &folder)
{
    tarvo::setProjectFolder(folder);
    const QString stored = tarvo::ReadDatabaseFileName();
    if (!stored.isEmpty() && !tarvo::isServerLocation(stored))
        return stored;
    return tarvo::projectFolder() + QStringLiteral("sqlite.db");
}

// Redrawn on one line of the terminal whenever the percentage moves.
class ProgressBar {
public:
    void show(qint64 done, qint64 total)
    {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent == m_percent)
            return;
        m_percent = percent;
        const int filled = percent * kWidth / 100;
        m_err << "\r[" << QString(filled, u'#') << QString(kWidth - filled, u'.') << "] " << percent << "%  " << done
              << " of " << total << " rows" << Qt::flush;
    }
    void finish()
    {
        if (m_percent >= 0)
            m_err << '\n' << Qt::flush;
    }

private:
    static constexpr int kWidth = 40;
    int m_percent = -1;
    QTextStream m_err{stderr};
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() < 3 || arguments.size() > 4 || arguments.value(1).startsWith(u'-')
        || !tarvo::isServerLocation(arguments.value(2))) {
        err << "usage: tarvo-migrate <project folder> <server address> [database file]\n"
               "  server address: postgresql://user@host:port/database or libpq's keyword=value text\n";
        return 2;
    }
    tarvo::ConsoleInteraction console;
    tarvo::setInteraction(&console);
    const QString folder = QDir(arguments[1]).absolutePath() + u'/';
    const QString server = arguments[2];
    ProgressBar bar;
    try {
        if (!QFileInfo::exists(folder + QStringLiteral("tables.ini")))
            throw tarvo::FileError(QStringLiteral("There is no tables.ini in ") + folder);
        const QString file = arguments.size() == 4 ? arguments[3] : projectDatabaseFile(folder);
        err << "Copying " << file << " to " << tarvo::serverDescription(server) << '\n';
        const tarvo::CopyReport copied =
            tarvo::copyToServer(file, tarvo::ReadTableDefinitions(folder + QStringLiteral("tables.ini")), server,
                                [&bar](qint64 done, qint64 total) { bar.show(done, total); });
        bar.finish();
        for (const tarvo::CopiedTable &table : copied.tables)
            out << table.name << ": " << table.rows << " rows\n";
        if (!copied.leftBehind.isEmpty())
            out << "Not copied, as tables.ini does not define them: " << copied.leftBehind.join(QStringLiteral(", "))
                << '\n';
        out << "Every table has as many rows on the server as in the file. To use the server, enter its "
               "address in Options, Database location.\n";
        return 0;
    } catch (const tarvo::Error &error) {
        bar.finish();
        err << "tarvo-migrate: " << error.message() << '\n';
        return 1;
    }
}

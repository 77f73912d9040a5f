#include "app/databaseprobe.h"

#include "platform/errors.h"
#include "schema/createtables.h"
#include "schema/databaselocation.h"
#include "schema/sqlconnection.h"
#include "schema/tablepresence.h"

#include <QDir>
#include <QFileInfo>

namespace tarvo {

namespace {

const QString kCaption = QStringLiteral("Test connection");

Message finding(const QString &text, MessageIcon icon)
{
    return {text, kCaption, icon, MessageButtons::Ok};
}

// The second half of the message: the tables, and what start-up will do about missing ones.
Message tablesFinding(const QString &found, const TablePresence &presence, const QString &whenNone)
{
    if (presence.missing.isEmpty())
        return finding(found + QStringLiteral("All %1 tables of tables.ini are present.").arg(presence.present.size()),
                       MessageIcon::Information);
    if (presence.present.isEmpty())
        return finding(found + QStringLiteral("None of the tables of tables.ini are present: ") + whenNone,
                       MessageIcon::Warning);
    return finding(found
                       + QStringLiteral("These tables of tables.ini are missing: %1. Present: %2.")
                             .arg(presence.missing.join(QStringLiteral(", ")),
                                  presence.present.join(QStringLiteral(", "))),
                   MessageIcon::Warning);
}

Message probeServer(const QString &location, const QList<TableDefinition> &tables)
{
    SqlConnection connection;
    connection.setDatabase(location);
    try {
        connection.open();
        return tablesFinding(
            QStringLiteral("Connected to the database server (%1).\n").arg(serverDescription(location)),
            tablePresence(connection, tables), QStringLiteral("they will be created at the next start."));
    } catch (const DatabaseError &error) {
        return finding(error.message(), MessageIcon::Error);
    }
}

Message probeFile(const QString &location, const QList<TableDefinition> &tables)
{
    const QFileInfo file(location);
    const QString shown = QDir::toNativeSeparators(location);
    if (file.isDir())
        return finding(QStringLiteral("%1 is a folder, not a database file.").arg(shown), MessageIcon::Error);
    if (!file.exists()) {
        if (!file.absoluteDir().exists())
            return finding(
                QStringLiteral("The folder of %1 is not found: no database file can be made there.").arg(shown),
                MessageIcon::Error);
        return finding(QStringLiteral("The database file %1 does not exist yet: it will be created, "
                                      "with the tables of tables.ini.")
                           .arg(shown),
                       MessageIcon::Information);
    }
    SqlConnection connection;
    connection.setDatabase(location);
    try {
        connection.open();
        // An existing file gets no tables at start-up: only a new one does.
        return tablesFinding(QStringLiteral("The database file %1 exists.\n").arg(shown),
                             tablePresence(connection, tables),
                             QStringLiteral("the program creates tables only in a new database file."));
    } catch (const DatabaseError &error) {
        return finding(QStringLiteral("The file %1 cannot be used as a database: %2").arg(shown, error.message()),
                       MessageIcon::Error);
    }
}

} // namespace

Message probeDatabase(const QString &location, const QList<TableDefinition> &tables)
{
    return isServerLocation(location) ? probeServer(location, tables) : probeFile(location, tables);
}

} // namespace tarvo

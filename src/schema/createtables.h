#pragma once
// CREATE TABLE statements for a new database, one per tables.ini section, in section order.
#include <QString>
#include <QStringList>

namespace tarvo {

QStringList BuildCreateTableStatements(const QString &tablesIniPath);

} // namespace tarvo

#pragma once
// Which tables of tables.ini a database already holds.
#include <QStringList>

namespace tarvo {

class SqlConnection;
struct TableDefinition;

struct TablePresence {
    QStringList present; // as tables.ini names them, in its order
    QStringList missing;
};

// Raises DatabaseError when the database cannot be read.
TablePresence tablePresence(SqlConnection &connection, const QList<TableDefinition> &tables);

} // namespace tarvo

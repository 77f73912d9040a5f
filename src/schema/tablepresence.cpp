#include "schema/tablepresence.h"

#include "schema/createtables.h"
#include "schema/sqlconnection.h"

namespace tarvo {

TablePresence tablePresence(SqlConnection &connection, const QList<TableDefinition> &tables)
{
    const QStringList held = connection.tableNames();
    TablePresence presence;
    for (const TableDefinition &table : tables)
        (held.contains(table.name.toLower()) ? presence.present : presence.missing) << table.name;
    return presence;
}

} // namespace tarvo

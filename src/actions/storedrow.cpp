#include "actions/storedrow.h"

#include "schema/sqlconnection.h"

namespace tarvo {

namespace {

// One text per table, kept prepared: every save of a shown record reads its row again.
SqlQuery queryRow(SqlConnection &connection, const QString &table, qint64 id)
{
    return connection.queryKept(SqlStatement(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE id="))
                                    .text(QString::number(id)));
}

} // namespace

StoredRow storedRowOf(const SqlQuery &row, const QString &table, qint64 id)
{
    StoredRow stored{table, id, row.columnNames(), {}};
    stored.values.reserve(stored.columns.size());
    for (int c = 0; c < stored.columns.size(); ++c)
        stored.values.append(row.value(c));
    return stored;
}

std::optional<StoredRow> readStoredRow(SqlConnection &connection, const QString &table, qint64 id)
{
    SqlQuery query = queryRow(connection, table, id);
    if (query.eof())
        return std::nullopt;
    return storedRowOf(query, table, id);
}

// Compared column by column as read, without building a second row: this runs in every save.
RowChange changeSince(const StoredRow &remembered, SqlConnection &connection)
{
    const SqlQuery now = queryRow(connection, remembered.table, remembered.id);
    if (now.eof())
        return RowChange::Deleted;
    if (now.columnCount() != remembered.values.size())
        return RowChange::Changed;
    for (int c = 0; c < now.columnCount(); ++c)
        if (!now.holds(c, remembered.values[c]))
            return RowChange::Changed;
    return RowChange::None;
}

} // namespace tarvo

#pragma once
// The row a form was filled from, kept so that a save can tell whether another user changed or
// deleted it in the meantime (optimistic concurrency without a version column).
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace tarvo {

class SqlConnection;
class SqlQuery;

struct StoredRow {
    QString table;
    qint64 id = -1;
    QStringList columns;
    QList<QVariant> values; // in the storage class of each column, null as an invalid QVariant
};

enum class RowChange { None, Changed, Deleted };

// The current row of a query on one row of `table`.
StoredRow storedRowOf(const SqlQuery &row, const QString &table, qint64 id);
// The row `id` of `table` as it is stored now; nullopt when there is no such row.
std::optional<StoredRow> readStoredRow(SqlConnection &connection, const QString &table, qint64 id);
// Compares the remembered row with the stored one; run it inside the write transaction.
RowChange changeSince(const StoredRow &remembered, SqlConnection &connection);

} // namespace tarvo

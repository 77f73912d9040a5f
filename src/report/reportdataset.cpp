#include "report/reportdataset.h"

#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

#include <sqlite3.h>

namespace tarvo {

ReportDataSet::ReportDataSet(QStringList columns, QList<QVariantList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
    for (QVariantList &row : m_rows)
        row.resize(m_columns.size()); // a short row reads as NULLs rather than out of range
}

void ReportDataSet::connect(SqlQuery &query)
{
    // Read into locals first: a row that fails half-way must leave the previous data intact,
    // not a mix of new columns and some of the new rows.
    QStringList columns = query.columnNames();
    QList<QVariantList> rows;
    const int count = query.columnCount();
    // The storage class decides the value type, as SQLite keeps it (a number stays a number).
    for (; !query.eof(); query.next()) {
        QVariantList row;
        row.reserve(count);
        for (int c = 0; c < count; ++c) {
            switch (sqlite3_column_type(query.handle(), c)) {
            case SQLITE_INTEGER: row << QVariant(qint64(sqlite3_column_int64(query.handle(), c))); break;
            case SQLITE_FLOAT: row << QVariant(sqlite3_column_double(query.handle(), c)); break;
            case SQLITE_BLOB: row << QVariant(query.bytes(c)); break;
            case SQLITE_NULL: row << QVariant(); break;
            default: row << QVariant(query.text(c)); break;
            }
        }
        rows << row;
    }
    m_columns = std::move(columns);
    m_rows = std::move(rows);
}

int ReportDataSet::columnIndex(const QString &name) const
{
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

QString ReportDataSet::text(int row, int column) const
{
    return reportValueText(m_rows[row][column]);
}

QString reportValueText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString: return value.toString();
    case QMetaType::LongLong: return QString::number(value.toLongLong());
    case QMetaType::Int: return QString::number(value.toInt());
    case QMetaType::Double: return realText(value.toDouble());
    default: return {};
    }
}

} // namespace tarvo

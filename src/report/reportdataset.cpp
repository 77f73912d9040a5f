#include "report/reportdataset.h"

#include "platform/errors.h"
#include "platform/workprogress.h"
#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

#include <QObject>

namespace tarvo {

ReportDataSet::ReportDataSet(QStringList columns, QList<QVariantList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
    for (QVariantList &row : m_rows)
        row.resize(m_columns.size()); // a short row reads as NULLs rather than out of range
}

namespace {

QString readingLabel()
{
    return QObject::tr("Reading the report's rows: %1");
}

} // namespace

void ReportDataSet::connect(SqlQuery &query)
{
    WorkProgress progress(readingLabel());
    readRows(query, progress);
}

void ReportDataSet::read(SqlConnection &db, const QString &sql)
{
    WorkProgress progress(readingLabel());
    SqlQuery query = db.query(sql);
    readRows(query, progress);
}

void ReportDataSet::readRows(SqlQuery &query, WorkProgress &progress)
{
    // Read into locals first: a row that fails half-way must leave the previous data intact,
    // not a mix of new columns and some of the new rows.
    QStringList columns = query.columnNames();
    QList<QVariantList> rows;
    const int count = query.columnCount();
    // The storage class decides the value type, as the database keeps it (a number stays a number).
    for (; !query.eof(); query.next()) {
        QVariantList row;
        row.reserve(count);
        for (int c = 0; c < count; ++c)
            row << query.value(c);
        rows << row;
        progress.advanceOrAbort();
    }
    m_columns = std::move(columns);
    m_rows = std::move(rows);
    m_connection = query.connection();
}

ReportDataSet ReportDataSet::detailRows(const QString &sql, int row) const
{
    SqlStatement statement;
    QChar quote;
    qsizetype plain = 0; // start of the SQL not yet appended
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c != QLatin1Char(':') || i + 1 >= sql.size() || !(sql[i + 1].isLetter() || sql[i + 1] == QLatin1Char('_')))
            continue;
        qsizetype end = i + 1;
        while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == QLatin1Char('_')))
            ++end;
        const QString name = sql.mid(i + 1, end - i - 1);
        const int column = columnIndex(name);
        if (column < 0)
            throw Error(QStringLiteral("data set \"%1\" has no field \"%2\" for the parameter :%2").arg(m_name, name));
        statement.sql(sql.mid(plain, i - plain));
        const QVariant &value = m_rows[row][column];
        switch (value.typeId()) {
        case QMetaType::LongLong:
            statement.sql(QString::number(value.toLongLong()));
            break;
        case QMetaType::Double:
            statement.sql(QString::number(value.toDouble(), 'g', 17));
            break;
        case QMetaType::QString:
            statement.text(value.toString());
            break;
        default:
            statement.sql(QStringLiteral("NULL"));
            break;
        }
        plain = end;
        i = end - 1;
    }
    statement.sql(sql.mid(plain));
    if (!m_connection)
        throw Error(QStringLiteral("there is no database connection"));
    SqlQuery query = m_connection->query(statement);
    ReportDataSet detail;
    detail.connect(query);
    return detail;
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
    case QMetaType::QString:
        return value.toString();
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Int:
        return QString::number(value.toInt());
    case QMetaType::Double:
        return realText(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return {};
    }
}

} // namespace tarvo

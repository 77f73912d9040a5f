#pragma once
// The in-memory table that reports read: column names and rows of values (QString, qint64,
// double, QByteArray for BLOBs, null QVariant for NULL), copied from a query result so that
// layout, exports and the designer can read it as often as they need.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tarvo {

class SqlConnection;
class SqlQuery;
class WorkProgress;

class ReportDataSet {
public:
    ReportDataSet() = default;
    ReportDataSet(QStringList columns, QList<QVariantList> rows);

    // Reads every remaining row of `query`; raises DatabaseError, or SilentAbort when the user
    // cancels its progress window, and then keeps the previous data.
    // Remembers the query's connection for detail queries.
    void connect(SqlQuery &query);
    // Runs `sql` on `db` and reads its rows as connect() does, with one progress for both: a
    // database that sorts every row before the first shows the progress window (and Cancel) too.
    void read(SqlConnection &db, const QString &sql);
    void setConnection(SqlConnection *connection) { m_connection = connection; }

    // The rows of `sql` for master row `row`: each ":name" outside quotes takes the value of
    // the row's column `name`, bound as a parameter. Raises Error for an unknown name, no
    // connection, or a failing query.
    ReportDataSet detailRows(const QString &sql, int row) const;

    // The name that templates use for it ("Report" once a query is connected).
    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    const QStringList &columns() const { return m_columns; }
    int columnIndex(const QString &name) const; // ignoring case; -1 when absent
    int rowCount() const { return int(m_rows.size()); }
    const QVariant &value(int row, int column) const { return m_rows[row][column]; }
    // What a report prints: numbers in the locale's notation without grouping, NULL and BLOBs
    // as empty text, conditions as "true" or "false".
    QString text(int row, int column) const;

private:
    void readRows(SqlQuery &query, WorkProgress &progress);

    QString m_name = QStringLiteral("Report");
    QStringList m_columns;
    QList<QVariantList> m_rows;
    SqlConnection *m_connection = nullptr;
};

// Display text of a data-set value (see ReportDataSet::text).
QString reportValueText(const QVariant &value);

} // namespace tarvo

#include "schema/lookuplist.h"

#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

namespace tarvo {

namespace {

bool isTemplate(const QString &dbField)
{
    return dbField.contains(QLatin1Char('{')) || dbField.contains(QLatin1Char('}'));
}

} // namespace

QStringList lookupFields(const QString &dbField)
{
    if (!isTemplate(dbField))
        return {dbField};
    QStringList fields;
    QString rest = dbField;
    while (rest.contains(QLatin1Char('{')) && rest.contains(QLatin1Char('}'))) {
        const int open = rest.indexOf(QLatin1Char('{'));
        const int close = rest.indexOf(QLatin1Char('}'));
        if (close < open)
            break;
        // An empty pair of braces names no column.
        if (close > open + 1)
            fields << rest.mid(open + 1, close - open - 1);
        rest.remove(open, close - open + 1);
    }
    return fields;
}

QString lookupQueryText(const QString &table, const QString &dbField, bool sort)
{
    const QStringList fields = lookupFields(dbField);
    QString sql = QStringLiteral("SELECT id, ") + fields.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + table;
    // A template cannot be appended after ORDER BY as it stands; its columns, in template order, can.
    if (sort)
        sql += QStringLiteral(" ORDER BY ") + fields.join(QLatin1Char(','));
    return sql;
}

LookupDisplay::LookupDisplay(const QString &dbField, const SqlQuery &query)
    : m_template(dbField), m_fields(lookupFields(dbField)), m_isTemplate(isTemplate(dbField))
{
    for (const QString &field : m_fields)
        m_columns << query.columnIndex(field);
}

QString LookupDisplay::text(const SqlQuery &row) const
{
    auto value = [&](int i) { return m_columns[i] < 0 ? QString() : row.text(m_columns[i]); };
    if (!m_isTemplate) // the box shows the column's value as it is
        return NormalizeDisplayCase(value(0));
    QString text = m_template;
    for (int i = 0; i < m_fields.size(); ++i) {
        // Replacements work on the result of the previous ones, as the template rule says.
        const QString pattern = text.contains(QLatin1Char('{'))
                                    ? QLatin1Char('{') + m_fields[i] + QLatin1Char('}')
                                    : m_fields[i];
        if (!pattern.isEmpty())
            text.replace(pattern, value(i), Qt::CaseInsensitive);
    }
    return NormalizeDisplayCase(text);
}

} // namespace tarvo

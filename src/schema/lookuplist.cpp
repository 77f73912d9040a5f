#include "schema/lookuplist.h"

#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

#include <QVarLengthArray>

#include <algorithm>
#include <utility>

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

namespace {

int fieldIndex(const QStringList &fields, QStringView name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (QStringView(fields[i]).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool namesAFieldTwice(const QStringList &fields)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fieldIndex(fields, fields[i]) != i)
            return true;
    return false;
}

bool hasBrace(const QString &text)
{
    return text.contains(QLatin1Char('{')) || text.contains(QLatin1Char('}'));
}

} // namespace

LookupDisplay::LookupDisplay(const QString &dbField, const SqlQuery &query)
    : m_template(dbField), m_fields(lookupFields(dbField)), m_isTemplate(isTemplate(dbField))
{
    for (const QString &field : m_fields)
        m_columns << query.columnIndex(field);
    if (!m_isTemplate || namesAFieldTwice(m_fields))
        return;
    QString literal;
    for (qsizetype i = 0; i < m_template.size(); ++i) {
        const qsizetype close = m_template[i] == u'{' ? m_template.indexOf(u'}', i + 1) : -1;
        const int field = close < 0 ? -1 : fieldIndex(m_fields, QStringView(m_template).sliced(i + 1, close - i - 1));
        if (field < 0) {
            literal += m_template[i];
            continue;
        }
        m_pieces.append({std::exchange(literal, QString()), -1});
        m_pieces.append({QString(), field});
        i = close;
    }
    m_pieces.append({literal, -1});
    for (const Piece &piece : std::as_const(m_pieces)) {
        m_literalLength += piece.literal.size();
        m_literalsNonLatin = m_literalsNonLatin || isNonLatin(piece.literal);
    }
}

QString LookupDisplay::text(const SqlQuery &row) const
{
    if (!m_isTemplate) // the box shows the column's value as it is
        return shownValue(row, m_columns[0]);
    if (std::optional<QString> direct = asciiValuesPutIn(row))
        return *direct;
    QStringList values;
    values.reserve(m_fields.size());
    for (const int column : m_columns)
        values << (column < 0 ? QString() : row.text(column));
    if (m_pieces.isEmpty() || std::any_of(values.begin(), values.end(), hasBrace))
        return NormalizeDisplayCase(replacedOneByOne(values));
    QString text;
    for (const Piece &piece : m_pieces)
        text += piece.field < 0 ? piece.literal : values[piece.field];
    return NormalizeDisplayCase(text);
}

// Lists are long and mostly ASCII: such a value goes in without a text of its own.
QString LookupDisplay::shownValue(const SqlQuery &row, int column)
{
    if (column < 0)
        return {};
    const std::optional<QByteArrayView> utf8 = row.utf8(column);
    if (utf8 && isAscii(*utf8))
        return QString::fromLatin1(*utf8);
    return NormalizeDisplayCase(row.text(column));
}

// The template with its fields put in straight from the stored bytes, when every value is ASCII
// without braces; nullopt otherwise.
std::optional<QString> LookupDisplay::asciiValuesPutIn(const SqlQuery &row) const
{
    if (m_pieces.isEmpty())
        return std::nullopt;
    QVarLengthArray<QByteArrayView, 8> values;
    qsizetype length = 0;
    for (const int column : m_columns) {
        const std::optional<QByteArrayView> utf8 = column < 0 ? QByteArrayView() : row.utf8(column);
        if (!utf8 || !isAscii(*utf8) || utf8->contains('{') || utf8->contains('}'))
            return std::nullopt;
        values.append(*utf8);
        length += utf8->size();
    }
    QString text;
    text.reserve(length + m_literalLength);
    for (const Piece &piece : m_pieces) {
        if (piece.field < 0)
            text += piece.literal;
        else
            text += QLatin1StringView(values[piece.field].data(), values[piece.field].size());
    }
    return m_literalsNonLatin ? NormalizeDisplayCase(text) : text;
}

// Replacements work on the result of the previous ones, as the template rule says.
QString LookupDisplay::replacedOneByOne(const QStringList &values) const
{
    QString text = m_template;
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString pattern = text.contains(QLatin1Char('{')) ? QLatin1Char('{') + m_fields[i] + QLatin1Char('}')
                                                                : m_fields[i];
        if (!pattern.isEmpty())
            text.replace(pattern, values[i], Qt::CaseInsensitive);
    }
    return text;
}

} // namespace tarvo

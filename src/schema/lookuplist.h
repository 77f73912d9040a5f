#pragma once
// The query and display texts of a lookup combo box: dbField is one column name or a template
// with column names in braces ("{lastname}, {firstname}").
#include <QString>
#include <QStringList>

#include <optional>

namespace tarvo {

class SqlQuery;

// The column names that dbField names, in order (a template's braced names; empty when a
// template yields none).
QStringList lookupFields(const QString &dbField);
// "SELECT id, " + columns + " FROM " + table, with " ORDER BY ..." when sorted.
QString lookupQueryText(const QString &table, const QString &dbField, bool sort);

// Produces the display text of each row for a given dbField; column indexes resolved once.
class LookupDisplay {
public:
    LookupDisplay(const QString &dbField, const SqlQuery &query);
    QString text(const SqlQuery &row) const; // in display case

private:
    static QString shownValue(const SqlQuery &row, int column);
    std::optional<QString> asciiValuesPutIn(const SqlQuery &row) const;
    QString replacedOneByOne(const QStringList &values) const;
    // The template cut at its field names: literal text, or the index of the field whose value
    // stands there. Used when the replacements cannot interact (no field named twice, no brace
    // in a value); then it gives what replacing one field after the other gives.
    struct Piece {
        QString literal;
        int field = -1;
    };
    QString m_template;
    QStringList m_fields;
    QList<int> m_columns;
    bool m_isTemplate;
    QList<Piece> m_pieces; // empty when the fields cannot be put in directly
    qsizetype m_literalLength = 0;
    bool m_literalsNonLatin = false;
};

} // namespace tarvo

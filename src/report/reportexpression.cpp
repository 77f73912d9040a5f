#include "report/reportexpression.h"

#include "report/reportdataset.h"

namespace tarvo {

namespace {

// Reads `Name."col""umn"]` starting at `pos` (just after the "["); returns the index after "]"
// or -1 when the text there is no field reference.
qsizetype parseField(const QString &text, qsizetype pos, QString &dataSet, QString &column)
{
    const qsizetype dot = text.indexOf(QLatin1String(".\""), pos);
    const qsizetype close = text.indexOf(QLatin1Char(']'), pos);
    if (dot < 0 || (close >= 0 && close < dot) || dot == pos)
        return -1;
    dataSet = text.mid(pos, dot - pos);
    column.clear();
    for (qsizetype i = dot + 2; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('"')) {
            column += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
            column += QLatin1Char('"');
            ++i;
        } else {
            return i + 1 < text.size() && text[i + 1] == QLatin1Char(']') ? i + 2 : -1;
        }
    }
    return -1;
}

struct Keyword {
    const char *name;
    int kind;
};

} // namespace

void ReportExpression::addLiteral(const QString &text, bool unknown)
{
    if (text.isEmpty())
        return;
    if (!m_parts.isEmpty() && m_parts.last().kind == Part::Literal && !unknown
        && !m_parts.last().unknown) {
        m_parts.last().text += text;
        return;
    }
    Part part;
    part.text = text;
    part.unknown = unknown;
    m_parts << part;
}

ReportExpression ReportExpression::parse(const QString &text)
{
    static const Keyword keywords[] = {
        {"Page#", Part::Page}, {"TotalPages#", Part::TotalPages}, {"Line#", Part::Line},
        {"Date", Part::Date},  {"Time", Part::Time},
    };
    ReportExpression e;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), pos);
        if (open < 0) {
            e.addLiteral(text.mid(pos));
            break;
        }
        e.addLiteral(text.mid(pos, open - pos));
        if (open + 1 < text.size() && text[open + 1] == QLatin1Char('[')) {
            e.addLiteral(QStringLiteral("["));
            pos = open + 2;
            continue;
        }
        Part part;
        const qsizetype afterField = parseField(text, open + 1, part.dataSet, part.text);
        if (afterField >= 0) {
            part.kind = Part::Field;
            e.m_parts << part;
            pos = afterField;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char(']'), open);
        if (close < 0) {
            e.addLiteral(text.mid(open), true);
            break;
        }
        const QString inner = text.mid(open + 1, close - open - 1);
        bool known = false;
        for (const Keyword &k : keywords) {
            if (inner.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0) {
                part.kind = Part::Kind(k.kind);
                e.m_parts << part;
                known = true;
                break;
            }
        }
        if (!known)
            e.addLiteral(text.mid(open, close - open + 1), true);
        pos = close + 1;
    }
    return e;
}

QString ReportExpression::fieldReference(const QString &dataSetName, const QString &column)
{
    QString escaped = column;
    escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QStringLiteral("[%1.\"%2\"]").arg(dataSetName, escaped);
}

void ReportExpression::bind(const ReportDataSet &data)
{
    for (Part &part : m_parts) {
        if (part.kind != Part::Field)
            continue;
        part.column = data.columnIndex(part.text);
        part.unknown = part.dataSet != data.name();
    }
}

QString ReportExpression::expand(const ExpressionContext &c) const
{
    QString out;
    for (const Part &part : m_parts) {
        switch (part.kind) {
        case Part::Literal: out += part.text; break;
        case Part::Field:
            if (part.unknown)
                out += fieldReference(part.dataSet, part.text);
            else if (part.column >= 0 && c.data && c.row >= 0 && c.row < c.data->rowCount())
                out += c.data->text(c.row, part.column);
            break;
        case Part::Page: out += QString::number(c.page); break;
        case Part::TotalPages: out += QString::number(c.totalPages); break;
        case Part::Line: out += QString::number(c.line); break;
        case Part::Date: out += c.date; break;
        case Part::Time: out += c.time; break;
        }
    }
    return out;
}

bool ReportExpression::usesTotalPages() const
{
    return std::any_of(m_parts.begin(), m_parts.end(),
                       [](const Part &p) { return p.kind == Part::TotalPages; });
}

bool ReportExpression::isConstant() const
{
    return std::all_of(m_parts.begin(), m_parts.end(), [](const Part &p) {
        return p.kind == Part::Literal || p.kind == Part::Date || p.kind == Part::Time;
    });
}

int ReportExpression::singleFieldColumn() const
{
    return m_parts.size() == 1 && m_parts[0].kind == Part::Field && !m_parts[0].unknown
        ? m_parts[0].column
        : -1;
}

QStringList ReportExpression::fieldNames(const QString &dataSetName) const
{
    QStringList names;
    for (const Part &part : m_parts) {
        if (part.kind == Part::Field && part.dataSet == dataSetName)
            names << part.text;
    }
    return names;
}

QStringList ReportExpression::unknownExpressions() const
{
    QStringList found;
    for (const Part &part : m_parts) {
        if (part.unknown)
            found << (part.kind == Part::Field ? fieldReference(part.dataSet, part.text) : part.text);
    }
    return found;
}

} // namespace tarvo

// Placeholder expansion of designer-written SQL with a user's value. Input: SQL, NUL, name,
// NUL, value; names are identifiers, as the form loader admits no others. A value that lands only inside quoted literals must not end them: the result has
// the same literals open at its end as the SQL had.
#include "fuzzing.h"

#include "actions/placeholders.h"
#include "forms/attributes.h"

namespace {

// Which characters of `sql` lie outside every quoted literal, and the quote of the literal still
// open at its end (null if none); a doubled quote inside a literal stays inside it.
struct QuoteScan {
    QList<bool> outside;
    QChar openAtEnd;
};

QuoteScan scanQuotes(const QString &sql)
{
    QuoteScan scan;
    scan.outside.resize(sql.size());
    QChar open;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        scan.outside[i] = open.isNull();
        if (open.isNull()) {
            if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
                open = c;
        } else if (c == open) {
            if (i + 1 < sql.size() && sql.at(i + 1) == c)
                scan.outside[++i] = false;
            else
                open = QChar();
        }
    }
    scan.openAtEnd = open;
    return scan;
}

// Whether every place the marker was put lies inside a quoted literal.
bool onlyInsideLiterals(const QString &marked, QChar marker)
{
    const QuoteScan scan = scanQuotes(marked);
    for (qsizetype i = 0; i < marked.size(); ++i)
        if (marked.at(i) == marker && scan.outside[i])
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    const QList<QByteArray> input = fuzz::parts(fuzz::bytes(data, size), 3);
    const QString sql = QString::fromUtf8(input[0]);
    const QString name = QString::fromUtf8(input[1]);
    const QString value = QString::fromUtf8(input[2]);
    if (!isIdentifier(name))
        return 0;
    const QString result = replacePlaceholder(sql, name, value);

    const QChar marker(0xE000); // a private-use character no input of this run contains
    if (sql.contains(marker) || name.contains(marker))
        return 0;
    const QString marked = replacePlaceholder(sql, name, QString(marker));
    if (!marked.contains(marker) && result != sql)
        fuzz::propertyFailed("SQL without the placeholder changed", sql, result);
    if (onlyInsideLiterals(marked, marker) && scanQuotes(result).openAtEnd != scanQuotes(sql).openAtEnd)
        fuzz::propertyFailed("a value inside a literal ended it", sql, result);
    return 0;
}

// Placeholder expansion of designer-written SQL with a user's value. Input: SQL, NUL, name,
// NUL, value; names are identifiers, as the form loader admits no others. A value that lands only
// inside quoted literals (a typed value outside them becomes one) must not end them: the result
// ends inside the same literal or comment as the SQL does.
#include "fuzzing.h"

#include "actions/placeholders.h"
#include "forms/attributes.h"
#include "platform/errors.h"

namespace {

// Where each character of `sql` lies as SQL reads it, and where its end lies: in code, in a quoted
// literal (a doubled quote stays inside it) or in a comment, whose quotes open no literal.
enum class Place { Code, SingleQuoted, EscapeQuoted, DoubleQuoted, LineComment, BlockComment };

// The server's E'…' literal, in which a backslash escapes the next character.
bool opensEscapeLiteral(const QString &sql, qsizetype i)
{
    const bool afterName = i > 0
                           && (sql.at(i - 1).isLetterOrNumber() || sql.at(i - 1) == u'_' || sql.at(i - 1) == u'$');
    return (sql.at(i) == u'E' || sql.at(i) == u'e') && i + 1 < sql.size() && sql.at(i + 1) == u'\'' && !afterName;
}

struct QuoteScan {
    QList<Place> places;
    Place atEnd = Place::Code;
};

QuoteScan scanQuotes(const QString &sql)
{
    QuoteScan scan;
    scan.places.resize(sql.size());
    Place place = Place::Code;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        scan.places[i] = place;
        switch (place) {
        case Place::Code:
            if (opensEscapeLiteral(sql, i)) {
                place = Place::EscapeQuoted;
                scan.places[++i] = place;
            } else if (c == u'\'')
                place = Place::SingleQuoted;
            else if (c == u'"')
                place = Place::DoubleQuoted;
            else if (c == u'-' && next == u'-')
                place = Place::LineComment;
            else if (c == u'/' && next == u'*')
                place = Place::BlockComment;
            if (place == Place::LineComment || place == Place::BlockComment)
                scan.places[++i] = place;
            break;
        case Place::EscapeQuoted:
            if (c == u'\\' || (c == u'\'' && next == c))
                scan.places[++i] = place;
            else if (c == u'\'')
                place = Place::Code;
            break;
        case Place::SingleQuoted:
        case Place::DoubleQuoted:
            if (c == (place == Place::SingleQuoted ? u'\'' : u'"')) {
                if (next == c)
                    scan.places[++i] = place;
                else
                    place = Place::Code;
            }
            break;
        case Place::LineComment:
            if (c == u'\n')
                place = Place::Code;
            break;
        case Place::BlockComment:
            if (c == u'*' && next == u'/') {
                scan.places[++i] = place;
                place = Place::Code;
            }
            break;
        }
    }
    scan.atEnd = place;
    return scan;
}

// Whether every place the marker was put lies inside a quoted literal.
bool onlyInsideLiterals(const QString &marked, QChar marker)
{
    const QuoteScan scan = scanQuotes(marked);
    for (qsizetype i = 0; i < marked.size(); ++i)
        if (marked.at(i) == marker && scan.places[i] != Place::SingleQuoted && scan.places[i] != Place::EscapeQuoted
            && scan.places[i] != Place::DoubleQuoted)
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
    QString result;
    try {
        result = replacePlaceholder(sql, name, value);
    } catch (const Error &) {
        return 0; // a value after a comment inside a comment: refused whatever it is
    }

    const QChar marker(0xE000); // a private-use character no input of this run contains
    if (sql.contains(marker) || name.contains(marker))
        return 0;
    const QString marked = replacePlaceholder(sql, name, QString(marker));
    if (!marked.contains(marker) && result != sql)
        fuzz::propertyFailed("SQL without the placeholder changed", sql, result);
    if (onlyInsideLiterals(marked, marker) && scanQuotes(result).atEnd != scanQuotes(sql).atEnd)
        fuzz::propertyFailed("a value inside a literal ended it", sql, result);
    return 0;
}

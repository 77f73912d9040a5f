#include "actions/placeholders.h"

#include "controls/boundcontrols.h"
#include "controls/form.h"
#include "platform/errors.h"

#include <QRegularExpression>

namespace tarvo {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString pickerValue(const TdbDateTimePicker &picker)
{
    if (!picker.checked())
        return QStringLiteral("NULL");
    return quoted(picker.kind() == TdbDateTimePicker::dtkDate ? picker.dbGetDate() : picker.dbGetTime());
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// Digits with an optional sign, fraction and exponent: what may stand bare in the statement.
bool isNumberLiteral(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    return number.match(text).hasMatch();
}

// A typed value outside quotes. A sign is bracketed: after a minus, "-5" would start a comment.
QString bareValue(const QString &text)
{
    if (!isNumberLiteral(text))
        return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
        return QLatin1Char('(') + text + QLatin1Char(')');
    return text;
}

enum class Context { Code, Quoted, LineComment, BlockComment };

bool isIdentifierCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// The server's E'…' literal, in which a backslash escapes the next character. (The file database
// reads E'…' as a syntax error, so reading it the server's way costs nothing there.)
bool opensEscapeLiteral(const QString &sql, int i)
{
    return (sql.at(i) == u'E' || sql.at(i) == u'e') && i + 1 < sql.size() && sql.at(i + 1) == u'\''
           && (i == 0 || !isIdentifierCharacter(sql.at(i - 1)));
}

QString escapedForLiteral(const QString &value, QChar quote, bool backslashEscapes)
{
    QString escaped = value;
    if (backslashEscapes)
        escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return escaped.replace(quote, QString(2, quote));
}

} // namespace

std::optional<PlaceholderValue> placeholderValue(QObject &component)
{
    std::optional<PlaceholderValue> value;
    visitBoundControl(
        &component,
        Overloads{
            [&](TdbEdit &edit) { value = PlaceholderValue{edit.text()}; },
            [&](TdbMemo &memo) { value = PlaceholderValue{memo.text()}; },
            [&](TdbEditCount &counter) { value = PlaceholderValue{counter.text()}; },
            [&](TdbComboBox &combo) {
                value = PlaceholderValue{QString::number(combo.dbItemID()), false};
            },
            [&](TdbCheckBox &box) {
                value = PlaceholderValue{box.sqlValue(), false};
            },
            [&](TdbDateTimePicker &picker) {
                value = PlaceholderValue{pickerValue(picker), false};
            },
            [&](TdbMonthCalendar &calendar) {
                value = PlaceholderValue{quoted(calendar.dbGetDate()), false};
            },
            Ignore<TdbStringGridEx, TdbImageDataBase, TdbFileToDatabase>{}, // their placeholders stay in the text
        });
    return value;
}

QString replacePlaceholder(const QString &sql, const QString &name, const QString &value, bool typed)
{
    const QString placeholder = QLatin1Char('{') + name + QLatin1Char('}');
    const QString outside = typed ? bareValue(value) : value;
    QString result;
    result.reserve(sql.size());
    Context context = Context::Code;
    QChar openQuote;               // the quote of the literal we are in
    bool backslashEscapes = false; // in an E'…' literal
    // The file database ends a comment at the first "*/", the server only at the one that closes
    // every "/*" inside it: after such a comment, where a literal begins depends on the engine.
    bool commentInComment = false;
    for (int i = 0; i < sql.size();) {
        const bool inComment = context == Context::LineComment || context == Context::BlockComment;
        if (!inComment && QStringView(sql).mid(i).startsWith(placeholder, Qt::CaseInsensitive)) {
            if (commentInComment)
                throw Error(QStringLiteral("The statement puts the value of %1 after a comment inside a comment "
                                           "(\"/*\" within \"/* */\"), which database engines end in different "
                                           "places; it is not run.")
                                .arg(name));
            // Right after a literal, a quote of ours would join it ('a''b' is one literal) and
            // read with that literal's escapes: a space keeps them apart.
            if (context == Context::Code && outside.startsWith(u'\'') && result.endsWith(u'\''))
                result += u' ';
            result += context == Context::Code ? outside : escapedForLiteral(value, openQuote, backslashEscapes);
            i += placeholder.size();
            continue;
        }
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        int length = 1;
        switch (context) {
        case Context::Code:
            if (opensEscapeLiteral(sql, i)) {
                context = Context::Quoted;
                openQuote = next;
                backslashEscapes = true;
                length = 2;
            } else if (isQuote(c)) {
                context = Context::Quoted;
                openQuote = c;
                backslashEscapes = false;
            } else if (c == u'-' && next == u'-') {
                context = Context::LineComment;
                length = 2;
            } else if (c == u'/' && next == u'*') {
                context = Context::BlockComment;
                length = 2;
            }
            break;
        case Context::Quoted:
            if ((c == openQuote && next == c) || (backslashEscapes && c == u'\\'))
                length = 2; // a doubled or escaped quote stays inside
            else if (c == openQuote)
                context = Context::Code;
            break;
        case Context::LineComment:
            if (c == u'\n')
                context = Context::Code;
            break;
        case Context::BlockComment:
            if (c == u'*' && next == u'/') {
                context = Context::Code;
                length = 2;
            } else if (c == u'/' && next == u'*') {
                commentInComment = true;
                length = 2;
            }
            break;
        }
        result += QStringView(sql).mid(i, length);
        i += length;
    }
    return result;
}

QString expandPlaceholders(const FormBase &form, const QString &sql)
{
    QString expanded = sql;
    for (QObject *component : form.components())
        if (!component->objectName().isEmpty())
            if (const auto value = placeholderValue(*component))
                expanded = replacePlaceholder(expanded, component->objectName(), value->text, value->typed);
    return expanded;
}

} // namespace tarvo

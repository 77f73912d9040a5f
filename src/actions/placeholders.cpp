#include "actions/placeholders.h"

#include "controls/boundcontrols.h"
#include "controls/form.h"

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
    QChar openQuote; // the quote of the literal we are in
    for (int i = 0; i < sql.size();) {
        const bool inComment = context == Context::LineComment || context == Context::BlockComment;
        if (!inComment && QStringView(sql).mid(i).startsWith(placeholder, Qt::CaseInsensitive)) {
            result += context == Context::Code ? outside : QString(value).replace(openQuote, QString(2, openQuote));
            i += placeholder.size();
            continue;
        }
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        int length = 1;
        switch (context) {
        case Context::Code:
            if (isQuote(c)) {
                context = Context::Quoted;
                openQuote = c;
            } else if (c == u'-' && next == u'-') {
                context = Context::LineComment;
                length = 2;
            } else if (c == u'/' && next == u'*') {
                context = Context::BlockComment;
                length = 2;
            }
            break;
        case Context::Quoted:
            if (c == openQuote && next == c)
                length = 2; // a doubled quote stays inside
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

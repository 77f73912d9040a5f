#include "actions/placeholders.h"

#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbeditcount.h"
#include "controls/dbmemo.h"
#include "controls/dbmonthcalendar.h"
#include "controls/form.h"

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

} // namespace

std::optional<QString> placeholderValue(const QObject &component)
{
    if (auto *edit = qobject_cast<const TdbEdit *>(&component))
        return edit->text();
    if (auto *memo = qobject_cast<const TdbMemo *>(&component))
        return memo->text();
    if (auto *counter = qobject_cast<const TdbEditCount *>(&component))
        return counter->text();
    if (auto *combo = qobject_cast<const TdbComboBox *>(&component))
        return QString::number(combo->dbItemID());
    if (auto *box = qobject_cast<const TdbCheckBox *>(&component))
        return box->sqlValue();
    if (auto *picker = qobject_cast<const TdbDateTimePicker *>(&component))
        return pickerValue(*picker);
    if (auto *calendar = qobject_cast<const TdbMonthCalendar *>(&component))
        return quoted(calendar->dbGetDate());
    return std::nullopt;
}

QString replacePlaceholder(const QString &sql, const QString &name, const QString &value)
{
    const QString placeholder = QLatin1Char('{') + name + QLatin1Char('}');
    QString result;
    result.reserve(sql.size());
    QChar openQuote; // the quote of the literal we are in, or null outside literals
    for (int i = 0; i < sql.size();) {
        if (QStringView(sql).mid(i).startsWith(placeholder, Qt::CaseInsensitive)) {
            result += openQuote.isNull() ? value : QString(value).replace(openQuote, QString(2, openQuote));
            i += placeholder.size();
            continue;
        }
        const QChar c = sql.at(i);
        if (openQuote.isNull() && isQuote(c))
            openQuote = c;
        else if (c == openQuote) {
            if (i + 1 < sql.size() && sql.at(i + 1) == c) { // a doubled quote stays inside
                result += c;
                ++i;
            } else {
                openQuote = QChar();
            }
        }
        result += c;
        ++i;
    }
    return result;
}

QString expandPlaceholders(const FormBase &form, const QString &sql)
{
    QString expanded = sql;
    for (QObject *component : form.components())
        if (!component->objectName().isEmpty())
            if (const auto value = placeholderValue(*component))
                expanded = replacePlaceholder(expanded, component->objectName(), *value);
    return expanded;
}

} // namespace tarvo

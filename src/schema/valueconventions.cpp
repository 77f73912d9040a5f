#include "schema/valueconventions.h"

#include "platform/errors.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "schema/storeddatetime.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace tarvo {

QString realText(double value)
{
    // Building a locale per value costs more than formatting it; keep one until the default changes.
    static thread_local QLocale cached;
    static thread_local QString cachedName;
    const QLocale current;
    if (current.name() != cachedName) {
        cached = current;
        cached.setNumberOptions(QLocale::OmitGroupSeparator);
        cachedName = current.name();
    }
    return cached.toString(value, 'g', 15);
}

bool isWholeNumber(const QString &text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    return wholeNumber.match(text).hasMatch();
}

qint64 integerOfText(const QString &text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw ConversionError(u'\'' + text + QStringLiteral("' is not a valid integer value"));
    return number;
}

std::optional<QString> integerLiteral(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    if (!isWholeNumber(trimmed) || !ok)
        return std::nullopt;
    return QString::number(value);
}

std::optional<QString> realLiteral(const QString &text)
{
    const QString trimmed = text.trimmed();
    // Group separators are refused: "1,250" would be 1250 to one user and 1.25 to another.
    QLocale users;
    users.setNumberOptions(QLocale::RejectGroupSeparator);
    QLocale point = QLocale::c();
    point.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = users.toDouble(trimmed, &ok);
    if (!ok)
        value = point.toDouble(trimmed, &ok);
    if (!ok || !qIsFinite(value))
        return std::nullopt;
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

namespace {

// Character by character, so that a text keeps its length (no "ß" to "SS").
QString mapEach(const QString &text, QChar (QChar::*map)() const)
{
    QString out = text;
    for (QChar &c : out)
        c = (c.*map)();
    return out;
}

QString upper(const QString &text)
{
    return mapEach(text, &QChar::toUpper);
}
QString lower(const QString &text)
{
    return mapEach(text, &QChar::toLower);
}

// Qt's long time formats end in a time-zone name ("t"); stored values carry no zone.
QString longTimeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            out += c;
    }
    return out.trimmed();
}

} // namespace

bool isNonLatin(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 247)
            return true;
    }
    return false;
}

bool isAscii(QByteArrayView utf8)
{
    unsigned char any = 0;
    for (const char c : utf8)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

QString NormalizeDisplayCase(const QString &text)
{
    if (!isNonLatin(text))
        return text;
    QString out = lower(text);
    out[0] = out[0].toUpper();
    return out;
}

QString PrepareSearchText(const QString &text)
{
    return StoredTextCase(text).replace(u'"', QStringLiteral("\"\""));
}

QString StoredTextCase(const QString &text)
{
    return isNonLatin(text) ? upper(text) : text;
}

QString shortDateFormat()
{
    return QLocale().dateFormat(QLocale::ShortFormat);
}

QString shortTimeFormat()
{
    return QLocale().timeFormat(QLocale::ShortFormat);
}

QString FormatStoredDateTime(const QString &stored, const QString &format)
{
    const QLocale locale;
    DateTimeParseRules rules;
    rules.millisecondSeparator = locale.decimalPoint().front();
    rules.ignoreTextAfterTime = true;
    const std::optional<TDateTime> value = parseStoredDateTime(stored, rules);
    if (!value)
        return QStringLiteral("без даты");
    // Stored values carry no zone: a local-time QDateTime would consult the system zone on every
    // call and move clock times that fall in a daylight-saving gap.
    if (format != dateTimeFormatC())
        return locale.toString(QDateTime(value->date(), value->time(), Qt::UTC), format);
    QString text = locale.toString(value->date(), QLocale::ShortFormat);
    if (value->time() != QTime(0, 0))
        text += u' ' + locale.toString(value->time(), longTimeFormatWithoutZone(locale));
    return text;
}

qint64 GetNextRecordCount(SqlConnection &connection, const QString &table)
{
    SqlQuery query = connection.query(QStringLiteral("SELECT max(record_count) FROM ") + table);
    // max() over no rows is NULL: the table is empty, and the counter starts at its start value.
    if (query.isEmpty() || query.isNull(0)) {
        bool ok = false;
        const qint64 start = GetCatalogueFieldType(table, QStringLiteral("*record_count")).toLongLong(&ok, 10);
        return ok ? start : 0;
    }
    try {
        return query.integer(0) + 1;
    } catch (const ConversionError &) {
        return -1;
    }
}

} // namespace tarvo

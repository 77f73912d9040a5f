#pragma once
// The shared routines of the SQL value conventions: display of stored dates, the case rules for
// non-Latin texts and the record counter.
#include <QString>
#include <optional>

namespace tarvo {

class SqlConnection;

// A REAL value as text: general notation, 15 significant digits, the locale's decimal separator,
// no group separators.
QString realText(double value);

// Optionally signed decimal digits and nothing else: what numeric filters and counters accept.
bool isWholeNumber(const QString &text);
// A stored text read as an integer (blanks around ignored); raises ConversionError when it is none.
qint64 integerOfText(const QString &text);
// What a user typed into a number field, as an SQL literal: a whole number that fits 64 bits for
// INTEGER; for REAL a number in the user's locale (its decimal separator, no group separators) or
// with a point. Blanks around are ignored; nullopt for anything else.
std::optional<QString> integerLiteral(const QString &text);
std::optional<QString> realLiteral(const QString &text);

// A text is non-Latin when a UTF-16 code unit is at or above 247.
bool isNonLatin(const QString &text);
// Stored UTF-8 bytes that are all ASCII: Latin, so shown as they are, and read as Latin-1.
bool isAscii(QByteArrayView utf8);
// Non-Latin: lower case with the first character upper case; otherwise unchanged.
QString NormalizeDisplayCase(const QString &text);
// Non-Latin: upper case; then every double quote doubled.
QString PrepareSearchText(const QString &text);
// Upper-cases non-Latin texts only; what a user's text is stored and searched as (the quote
// doubling of PrepareSearchText belongs to the text form, not to bound values).
QString StoredTextCase(const QString &text);

// The display formats the grid passes.
QString shortDateFormat(); // the locale's short date format
QString shortTimeFormat(); // the locale's short time format
inline QString dateTimeFormatC()
{
    return QStringLiteral("c");
} // short date + long time

// The stored text in `format`, using QLocale(); "без даты" when it does not parse.
QString FormatStoredDateTime(const QString &stored, const QString &format);

// max(record_count) + 1; for an empty table the catalogue's "*record_count" start value (0 when
// absent or not an integer); -1 when the maximum is no integer.
qint64 GetNextRecordCount(SqlConnection &connection, const QString &table);

} // namespace tarvo

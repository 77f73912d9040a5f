#pragma once
// Display formats of text items and of FORMAT(): numbers, currency, dates and times, written
// in the user's locale unless a pattern says otherwise.
//   number:#,##0.00            grouping, two decimals
//   number:#,##0.00;(#,##0.00) negative amounts in brackets
//   number:¤ #,##0.00          the locale's currency sign ("¤" stands for it)
//   currency                   the locale's own currency notation
//   date, time, datetime       the locale's short formats; date:dd.MM.yyyy and so on for a pattern
// Dates and times are read from the stored text "yyyy-MM-dd hh:mm:ss.zzz" (or a leading part).
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <optional>

namespace tarvo {

class DisplayFormat {
public:
    // An empty format formats nothing. Returns the problem, or an empty string when `format` is valid.
    static DisplayFormat parse(const QString &format, QString *problem);

    bool isEmpty() const { return m_kind == Kind::None; }
    // nullopt for a value that does not suit the format (a name under a number format): it prints
    // unchanged.
    std::optional<QString> apply(const QVariant &value, const QLocale &locale = QLocale()) const;

private:
    enum class Kind { None, Number, Currency, Date, Time, DateTime };
    struct NumberSection {
        QString prefix, suffix;
        int decimals = 0;
        bool grouping = false;
    };
    QString applyNumber(double value, const QLocale &locale) const;
    Kind m_kind = Kind::None;
    QString m_pattern; // date and time patterns
    NumberSection m_positive;
    std::optional<NumberSection> m_negative;
};

// A value's number, for values that are numbers or numeric text; nullopt otherwise.
std::optional<double> reportNumber(const QVariant &value);
// A stored date/time text ("yyyy-MM-dd hh:mm:ss.zzz", "yyyy-MM-dd", ...) as a date-time.
QDateTime reportDateTime(const QVariant &value);

} // namespace tarvo

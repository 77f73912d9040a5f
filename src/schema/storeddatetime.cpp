#include "schema/storeddatetime.h"

namespace tarvo {

namespace {

class Cursor {
public:
    explicit Cursor(const QString &text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    int pos() const { return m_pos; }
    void reset(int pos) { m_pos = pos; }
    bool accept(QChar c)
    {
        if (atEnd() || m_text.at(m_pos) != c)
            return false;
        ++m_pos;
        return true;
    }
    bool acceptBlanks()
    {
        const int start = m_pos;
        while (!atEnd() && m_text.at(m_pos) == QLatin1Char(' '))
            ++m_pos;
        return m_pos > start;
    }
    // Reads 1..maxDigits decimal digits.
    std::optional<int> number(int maxDigits)
    {
        int value = 0, digits = 0;
        while (!atEnd() && digits < maxDigits && m_text.at(m_pos).isDigit() && m_text.at(m_pos).unicode() < 128) {
            value = value * 10 + (m_text.at(m_pos).unicode() - '0');
            ++m_pos;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return value;
    }

private:
    const QString &m_text;
    int m_pos = 0;
};

std::optional<QDate> readDate(Cursor &in)
{
    const auto year = in.number(4);
    if (!year || !in.accept(QLatin1Char('-')))
        return std::nullopt;
    const auto month = in.number(2);
    if (!month || !in.accept(QLatin1Char('-')))
        return std::nullopt;
    const auto day = in.number(2);
    if (!day)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

std::optional<QTime> readTime(Cursor &in, QChar msSeparator)
{
    const auto hour = in.number(2);
    if (!hour)
        return std::nullopt;
    int minute = 0, second = 0, ms = 0;
    if (in.accept(QLatin1Char(':'))) {
        const auto m = in.number(2);
        if (!m)
            return std::nullopt;
        minute = *m;
        if (in.accept(QLatin1Char(':'))) {
            const auto s = in.number(2);
            if (!s)
                return std::nullopt;
            second = *s;
            if (in.accept(msSeparator)) {
                const auto z = in.number(3);
                if (!z)
                    return std::nullopt;
                ms = *z;
            }
        }
    }
    const QTime time(*hour, minute, second, ms);
    return time.isValid() ? std::optional(time) : std::nullopt;
}

} // namespace

QString storedDateTimeText(const TDateTime &value, bool keepMilliseconds)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6.%7")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(keepMilliseconds ? t.msec() : 0, 3, 10, QLatin1Char('0'));
}

std::optional<TDateTime> parseStoredDateTime(const QString &text, DateTimeParseRules rules)
{
    Cursor in(text);
    if (const auto date = readDate(in)) {
        QTime time(0, 0);
        in.acceptBlanks();
        if (!in.atEnd()) {
            const int beforeTime = in.pos();
            const auto parsed = readTime(in, rules.millisecondSeparator);
            if (parsed)
                time = *parsed;
            else if (!rules.ignoreTextAfterTime)
                return std::nullopt;
            else
                in.reset(beforeTime);
            in.acceptBlanks();
            if (!in.atEnd() && !rules.ignoreTextAfterTime)
                return std::nullopt;
        }
        return TDateTime::fromDateAndTime(*date, time);
    }
    in.reset(0);
    const auto time = readTime(in, rules.millisecondSeparator);
    in.acceptBlanks();
    if (!time || !in.atEnd())
        return std::nullopt;
    return TDateTime::fromDateAndTime(TDateTime::dayZero(), *time);
}

} // namespace tarvo

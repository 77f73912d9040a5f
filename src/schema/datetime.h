#pragma once
// TDateTime: a date and time counted from day zero, 1899-12-30 (days, the fraction being the time
// of day), kept as whole milliseconds so that conversions are exact.
#include <QDateTime>
#include <QtGlobal>

namespace tarvo {

class TDateTime {
public:
    TDateTime() = default;
    static TDateTime fromMSecs(qint64 msecsSinceDayZero) { return TDateTime(msecsSinceDayZero); }
    static TDateTime fromQDateTime(const QDateTime &value); // date and clock time, no time zone shift
    static TDateTime fromDateAndTime(const QDate &date, const QTime &time);
    static TDateTime now();

    static QDate dayZero() { return QDate(1899, 12, 30); }

    qint64 msecs() const { return m_msecs; }
    double days() const { return double(m_msecs) / kMSecsPerDay; }
    QDate date() const;
    QTime time() const;
    QDateTime toQDateTime() const { return QDateTime(date(), time()); }

    TDateTime datePart() const; // midnight of the same day
    TDateTime timePart() const; // the clock time on 1899-12-30

    friend bool operator==(const TDateTime &, const TDateTime &) = default;

    static constexpr qint64 kMSecsPerDay = 86400000;

private:
    explicit TDateTime(qint64 msecs) : m_msecs(msecs) {}
    qint64 m_msecs = 0;
};

} // namespace tarvo

#include "schema/datetime.h"

namespace tarvo {

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

TDateTime TDateTime::fromDateAndTime(const QDate &date, const QTime &time)
{
    return TDateTime(dayZero().daysTo(date) * kMSecsPerDay + QTime(0, 0).msecsTo(time));
}

TDateTime TDateTime::fromQDateTime(const QDateTime &value)
{
    return fromDateAndTime(value.date(), value.time());
}

TDateTime TDateTime::now()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

QDate TDateTime::date() const
{
    return dayZero().addDays(floorDiv(m_msecs, kMSecsPerDay));
}

QTime TDateTime::time() const
{
    return QTime(0, 0).addMSecs(int(m_msecs - floorDiv(m_msecs, kMSecsPerDay) * kMSecsPerDay));
}

TDateTime TDateTime::datePart() const
{
    return TDateTime(floorDiv(m_msecs, kMSecsPerDay) * kMSecsPerDay);
}

TDateTime TDateTime::timePart() const
{
    return TDateTime(m_msecs - floorDiv(m_msecs, kMSecsPerDay) * kMSecsPerDay);
}

} // namespace tarvo

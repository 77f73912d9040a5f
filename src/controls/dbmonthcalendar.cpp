#include "controls/dbmonthcalendar.h"

#include "schema/storeddatetime.h"

#include <QApplication>
#include <QSignalBlocker>

namespace tarvo {

TdbMonthCalendar::TdbMonthCalendar(QWidget *parent) : QCalendarWidget(parent)
{
    setMinimumDate(QDate(100, 1, 1));
    setDateTime(TDateTime::fromDateAndTime(QDate::currentDate(), QTime(0, 0)));
    // A day picked by the user replaces the date and keeps the time of day.
    connect(this, &QCalendarWidget::selectionChanged, this, [this] {
        m_value = TDateTime::fromDateAndTime(selectedDate(), m_value.time());
        emit dayPicked();
    });
}

QString TdbMonthCalendar::dbStringDateTime() const
{
    return storedDateTimeText(m_value, true);
}

void TdbMonthCalendar::setDbStringDateTime(const QString &text)
{
    setDateTime(parseStoredDateTime(text).value_or(TDateTime()));
}

QString TdbMonthCalendar::dbGetDate() const
{
    return storedDateTimeText(m_value.datePart(), true);
}

void TdbMonthCalendar::setDateTime(const TDateTime &value)
{
    m_value = value;
    const QSignalBlocker block(this);
    setSelectedDate(value.date());
}

void TdbMonthCalendar::setShowsDate(bool shows)
{
    if (shows == m_showsDate)
        return;
    m_showsDate = shows;
    // Without a date the selected day is drawn like any other day.
    QPalette colours = palette();
    const QPalette own = QApplication::palette(this);
    colours.setColor(QPalette::Highlight, shows ? own.color(QPalette::Highlight) : own.color(QPalette::Base));
    colours.setColor(QPalette::HighlightedText,
                     shows ? own.color(QPalette::HighlightedText) : own.color(QPalette::Text));
    setPalette(colours);
}

} // namespace tarvo

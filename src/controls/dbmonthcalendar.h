#pragma once
// TdbMonthCalendar: a month calendar that keeps its full TDateTime (time and milliseconds
// included) beside the shown day. dbStringDateTime keeps the milliseconds; writing a text that
// does not parse sets day zero (1899-12-30) instead of failing.
#include "schema/datetime.h"

#include <QCalendarWidget>

namespace tarvo {

class TdbMonthCalendar : public QCalendarWidget {
    Q_OBJECT
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(QString dbStringDateTime READ dbStringDateTime WRITE setDbStringDateTime)
    Q_PROPERTY(QString dbFilter READ dbFilter WRITE setDbFilter)
public:
    explicit TdbMonthCalendar(QWidget *parent = nullptr);

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    QString dbField() const { return m_field; }
    void setDbField(const QString &value) { m_field = value; }
    QString dbFilter() const { return m_filter; }
    void setDbFilter(const QString &value) { m_filter = value; }

    QString dbStringDateTime() const; // "yyyy-mm-dd hh:nn:ss.zzz"
    void setDbStringDateTime(const QString &text);
    QString dbGetDate() const; // the day at 00:00:00.000

    TDateTime dateTime() const { return m_value; }
    void setDateTime(const TDateTime &value);

    // Whether the selected day is highlighted. A calendar that supplies the day of an unchecked
    // time picker stands for no date, and shows none.
    bool showsDate() const { return m_showsDate; }
    void setShowsDate(bool shows);

signals:
    void dayPicked(); // by the user, not by setDateTime

private:
    QString m_table;
    QString m_field;
    QString m_filter;
    TDateTime m_value;
    bool m_showsDate = true;
};

} // namespace tarvo

#pragma once
// TdbDateTimePicker: a date or time editor with its own check box (unchecked = no value). The
// full TDateTime is kept beside the editor, so a picker that shows only a date or only a time
// keeps the other part. dbStringDateTime travels as the stored text with ".000"; writing a
// text that is no date and time raises ConversionError and leaves the value unchanged.
#include "schema/datetime.h"

#include <QWidget>

class QCheckBox;
class QDateTimeEdit;

namespace tarvo {

class TdbDateTimePicker : public QWidget {
    Q_OBJECT
public:
    enum TDateTimeKind { dtkDate, dtkTime };
    Q_ENUM(TDateTimeKind)
    enum TDTDateFormat { dfShort, dfLong };
    Q_ENUM(TDTDateFormat)
private:
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(QString dbCalendarControl READ dbCalendarControl WRITE setDbCalendarControl)
    Q_PROPERTY(QString dbStringDateTime READ dbStringDateTime WRITE setDbStringDateTime)
    Q_PROPERTY(QString dbFilter READ dbFilter WRITE setDbFilter)
    Q_PROPERTY(TDateTimeKind kind READ kind WRITE setKind)
    Q_PROPERTY(QString format READ format WRITE setFormat)
    Q_PROPERTY(TDTDateFormat dateFormat READ dateFormat WRITE setDateFormat)
    Q_PROPERTY(bool checked READ checked WRITE setChecked)
    Q_PROPERTY(bool showCheckbox READ showCheckbox WRITE setShowCheckbox)
public:
    explicit TdbDateTimePicker(QWidget *parent = nullptr);

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    QString dbField() const { return m_field; }
    void setDbField(const QString &value) { m_field = value; }
    QString dbCalendarControl() const { return m_calendarControl; }
    void setDbCalendarControl(const QString &value) { m_calendarControl = value; }
    QString dbFilter() const { return m_filter; }
    void setDbFilter(const QString &value) { m_filter = value; }

    QString dbStringDateTime() const;              // "yyyy-mm-dd hh:nn:ss.000"
    void setDbStringDateTime(const QString &text); // raises ConversionError
    QString dbGetDate() const;                     // the day at 00:00:00.000
    QString dbGetTime() const;                     // the clock time on 1899-12-30, ".000"

    TDateTime dateTime() const { return m_value; }
    void setDateTime(const TDateTime &value);

    TDateTimeKind kind() const { return m_kind; }
    void setKind(TDateTimeKind kind);
    // The designer's display format (d, M, y, h, H, m, s, t letters; 'quoted' literals); empty
    // means the locale's format for the kind and dateFormat.
    QString format() const { return m_format; }
    void setFormat(const QString &format);
    TDTDateFormat dateFormat() const { return m_dateFormat; }
    void setDateFormat(TDTDateFormat format);

    bool checked() const;
    void setChecked(bool checked);
    bool showCheckbox() const;
    void setShowCheckbox(bool show);

    QDateTimeEdit *editor() const { return m_edit; }
    QCheckBox *checkBox() const { return m_check; }

private:
    void applyDisplayFormat();
    void enableEditor();
    void showValue();
    void takeEditedValue();

    QString m_table;
    QString m_field;
    QString m_calendarControl;
    QString m_filter;
    TDateTime m_value;
    TDateTimeKind m_kind = dtkDate;
    QString m_format;
    TDTDateFormat m_dateFormat = dfShort;
    QCheckBox *m_check;
    QDateTimeEdit *m_edit;
};

using TDateTimeKind = TdbDateTimePicker::TDateTimeKind;

// The editing format without its weekday ("dddd, MMMM d, yyyy" edits as "MMMM d, yyyy").
QString withoutWeekday(const QString &format);
// The designer's picker format in Qt's display-format letters.
QString qtDisplayFormat(const QString &designerFormat);

} // namespace tarvo

#include "controls/dbdatetimepicker.h"

#include "platform/errors.h"
#include "schema/storeddatetime.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLocale>
#include <QSignalBlocker>

namespace tarvo {

TdbDateTimePicker::TdbDateTimePicker(QWidget *parent)
    : QWidget(parent), m_check(new QCheckBox(this)), m_edit(new QDateTimeEdit(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    setFocusProxy(m_edit);
    m_check->hide();
    // An unchecked picker has no value: a date typed into it could only be lost.
    connect(m_check, &QCheckBox::toggled, this, [this] { enableEditor(); });
    m_edit->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0)));
    m_value = TDateTime::now();
    applyDisplayFormat();
    connect(m_edit, &QDateTimeEdit::dateTimeChanged, this, [this] { takeEditedValue(); });
}

QString TdbDateTimePicker::dbStringDateTime() const
{
    return storedDateTimeText(m_value, false);
}

void TdbDateTimePicker::setDbStringDateTime(const QString &text)
{
    const auto parsed = parseStoredDateTime(text);
    if (!parsed)
        throw ConversionError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    setDateTime(*parsed);
}

QString TdbDateTimePicker::dbGetDate() const
{
    return storedDateTimeText(m_value.datePart(), true);
}

QString TdbDateTimePicker::dbGetTime() const
{
    return storedDateTimeText(m_value.timePart(), false);
}

void TdbDateTimePicker::setDateTime(const TDateTime &value)
{
    m_value = value;
    showValue();
}

void TdbDateTimePicker::setKind(TDateTimeKind kind)
{
    m_kind = kind;
    applyDisplayFormat();
}

void TdbDateTimePicker::setFormat(const QString &format)
{
    m_format = format;
    applyDisplayFormat();
}

void TdbDateTimePicker::setDateFormat(TDTDateFormat format)
{
    m_dateFormat = format;
    applyDisplayFormat();
}

bool TdbDateTimePicker::checked() const
{
    return m_check->isChecked();
}

void TdbDateTimePicker::setChecked(bool checked)
{
    m_check->setChecked(checked);
    enableEditor();
}

bool TdbDateTimePicker::showCheckbox() const
{
    return !m_check->isHidden();
}

void TdbDateTimePicker::setShowCheckbox(bool show)
{
    m_check->setVisible(show);
    // The check box comes first for the keyboard; Tab goes on from it to the editor.
    setFocusProxy(show ? static_cast<QWidget *>(m_check) : m_edit);
    enableEditor();
}

void TdbDateTimePicker::enableEditor()
{
    m_edit->setEnabled(!showCheckbox() || checked());
}

void TdbDateTimePicker::applyDisplayFormat()
{
    QString format;
    if (!m_format.isEmpty())
        format = qtDisplayFormat(m_format);
    else if (m_kind == dtkTime)
        format = QLocale().timeFormat(QLocale::ShortFormat);
    else
        format = QLocale().dateFormat(m_dateFormat == dfLong ? QLocale::LongFormat : QLocale::ShortFormat);
    const QSignalBlocker block(m_edit);
    m_edit->setCalendarPopup(m_kind == dtkDate);
    m_edit->setDisplayFormat(withoutWeekday(format));
    // Qt pins the date of a time-only format to the current one; the kept value is the truth.
    m_edit->setDateTimeRange(QDateTime(QDate(100, 1, 1), QTime(0, 0)),
                             QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    showValue();
}

void TdbDateTimePicker::showValue()
{
    const QSignalBlocker block(m_edit);
    m_edit->setDateTime(m_value.toQDateTime());
}

// The user edited the shown sections only; the hidden part of the value stays as it was.
void TdbDateTimePicker::takeEditedValue()
{
    const QDateTime edited = m_edit->dateTime();
    const QDateTimeEdit::Sections shown = m_edit->displayedSections();
    const QDate date = (shown & QDateTimeEdit::DateSections_Mask) ? edited.date() : m_value.date();
    const QTime time = (shown & QDateTimeEdit::TimeSections_Mask) ? edited.time() : m_value.time();
    m_value = TDateTime::fromDateAndTime(date, time);
}

QString withoutWeekday(const QString &format)
{
    // Qt makes a typed day or year agree with a shown weekday, so typing 15 into the day gives
    // the 1st and a year never gets past its first digit. The weekday follows from the date.
    QString out;
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        int run = 0;
        while (!quoted && c == QLatin1Char('d') && i + run < format.size() && format.at(i + run) == c)
            ++run;
        if (run < 3) {
            out += c;
            continue;
        }
        i += run;
        while (i < format.size() && (format.at(i) == QLatin1Char(',') || format.at(i).isSpace()))
            ++i;
        --i;
    }
    while (!out.isEmpty() && (out.back() == QLatin1Char(',') || out.back().isSpace()))
        out.chop(1);
    return out;
}

QString qtDisplayFormat(const QString &designerFormat)
{
    // Letters mean the same in both except the AM/PM marker ("t"/"tt" against "A"/"AP").
    QString out;
    bool quoted = false;
    for (int i = 0; i < designerFormat.size(); ++i) {
        const QChar c = designerFormat.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) {
            const bool pair = i + 1 < designerFormat.size() && designerFormat.at(i + 1) == c;
            out += pair ? QStringLiteral("AP") : QStringLiteral("A");
            i += pair ? 1 : 0;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace tarvo

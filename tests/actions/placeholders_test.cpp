#include "actions/placeholders.h"
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbmonthcalendar.h"
#include "controls/tform.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;

TEST(Placeholders, ReplacementIgnoresCaseAndEscapesInsideQuotedLiterals)
{
    const struct { const char *sql, *value, *expected; } cases[] = {
        {"DELETE FROM t WHERE id={Edit1}", "", "DELETE FROM t WHERE id="},
        {"SELECT * FROM t WHERE id={EDIT1}", "7", "SELECT * FROM t WHERE id=7"},
        {"SELECT * FROM t WHERE name='{edit1}'", "O'Brien", "SELECT * FROM t WHERE name='O''Brien'"},
        {"SELECT * FROM t WHERE name=\"{Edit1}\"", "say \"hi\"", "SELECT * FROM t WHERE name=\"say \"\"hi\"\"\""},
        {"SELECT 'it''s {Edit1}' || {Edit1}", "x'", "SELECT 'it''s x''' || x'"},
        {"SELECT \"a'b\", '{Edit1}'", "'", "SELECT \"a'b\", ''''"},
        {"SELECT {Other}", "1", "SELECT {Other}"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(replacePlaceholder(QString::fromUtf8(c.sql), QStringLiteral("Edit1"), QString::fromUtf8(c.value)),
                  QString::fromUtf8(c.expected))
            << c.sql;
}

TEST(Placeholders, ValuesOfEveryInputControlInComponentOrder)
{
    TForm form;
    auto add = [&](QWidget *w, const char *name) {
        w->setObjectName(QString::fromLatin1(name));
        form.addComponent(w);
        return w;
    };
    auto *edit = static_cast<TdbEdit *>(add(new TdbEdit(&form), "Edit1"));
    edit->setText(QStringLiteral("Smith"));
    auto *combo = static_cast<TdbComboBox *>(add(new TdbComboBox(&form), "Combo"));
    combo->AddRecord(-1, QString());
    combo->AddRecord(42, QStringLiteral("Oslo"));
    auto *box = static_cast<TdbCheckBox *>(add(new TdbCheckBox(&form), "Box"));
    box->setState(TdbCheckBox::cbGrayed);
    auto *date = static_cast<TdbDateTimePicker *>(add(new TdbDateTimePicker(&form), "Day"));
    date->setDateTime(TDateTime::fromQDateTime({QDate(2024, 5, 1), QTime(9, 30)}));
    date->setChecked(true);
    auto *time = static_cast<TdbDateTimePicker *>(add(new TdbDateTimePicker(&form), "Clock"));
    time->setKind(TdbDateTimePicker::dtkTime);
    time->setDateTime(TDateTime::fromQDateTime({QDate(2024, 5, 1), QTime(14, 5)}));
    time->setChecked(false);
    auto *calendar = static_cast<TdbMonthCalendar *>(add(new TdbMonthCalendar(&form), "Cal"));
    calendar->setDateTime(TDateTime::fromQDateTime({QDate(2024, 5, 2), QTime(8, 0)}));

    const QString sql = QStringLiteral("{edit1}|{Combo}|{box}|{Day}|{Clock}|{Cal}");
    EXPECT_EQ(expandPlaceholders(form, sql),
              QStringLiteral("Smith|-1|NULL|\"2024-05-01 00:00:00.000\"|NULL|\"2024-05-02 00:00:00.000\""));

    combo->setCurrentIndex(1);
    box->setState(TdbCheckBox::cbChecked);
    time->setChecked(true);
    EXPECT_EQ(expandPlaceholders(form, QStringLiteral("{Combo},{Box},{Clock}")),
              QStringLiteral("42,1,\"1899-12-30 14:05:00.000\""));
}

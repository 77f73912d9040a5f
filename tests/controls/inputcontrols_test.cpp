#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbeditcount.h"
#include "controls/dbmonthcalendar.h"
#include "platform/errors.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

struct ComboCase {
    const char *name;
    std::vector<int> ids; // AddRecord order
    int select;           // item index to select first (-1: none)
    int write;            // dbItemID written afterwards (INT_MIN: none)
    int expectedIndex;
    int expectedId;
};

class ComboIds : public testing::TestWithParam<ComboCase> {};

TEST_P(ComboIds, Bookkeeping)
{
    const ComboCase &c = GetParam();
    TdbComboBox combo;
    for (int id : c.ids)
        combo.AddRecord(id, QStringLiteral("item %1").arg(id));
    combo.setCurrentIndex(c.select);
    if (c.write != INT_MIN)
        combo.setDbItemID(c.write);
    EXPECT_EQ(combo.currentIndex(), c.expectedIndex);
    EXPECT_EQ(combo.dbItemID(), c.expectedId);
}

INSTANTIATE_TEST_SUITE_P(Cases, ComboIds,
                         testing::Values(ComboCase{"nothing_selected", {-1, 7, 9}, -1, INT_MIN, -1, -1},
                                         ComboCase{"empty_first_item", {-1, 7, 9}, 0, INT_MIN, 0, -1},
                                         ComboCase{"selected_item_id", {-1, 7, 9}, 2, INT_MIN, 2, 9},
                                         ComboCase{"write_known_id", {-1, 7, 9}, 0, 7, 1, 7},
                                         ComboCase{"write_unknown_keeps", {-1, 7, 9}, 2, 42, 2, 9},
                                         ComboCase{"duplicate_selects_first", {-1, 5, 3, 5}, 0, 5, 1, 5}),
                         [](const auto &p) { return std::string(p.param.name); });

TEST(ComboBox, BatchFillKeepsIdsInStepWithItemsAndSelectsLikeSingleAdds)
{
    TdbComboBox combo;
    combo.AddRecord(-1, QString());
    combo.AddRecords({7}, {QStringLiteral("seven")});
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(combo.itemText(0), QString());
    combo.AddRecord(9, QStringLiteral("nine"));
    combo.AddRecords({3, 7}, {QStringLiteral("three"), QStringLiteral("seven again")});
    EXPECT_EQ(combo.itemIdStrings(), QStringList({u"-1"_s, u"7"_s, u"9"_s, u"3"_s, u"7"_s}));
    ASSERT_EQ(combo.count(), 5);
    EXPECT_EQ(combo.itemText(3), QStringLiteral("three"));
    combo.setDbItemID(7);
    EXPECT_EQ(combo.currentIndex(), 1);
    combo.setCurrentIndex(3);
    EXPECT_EQ(combo.dbItemID(), 3);
    combo.Clear();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.dbItemID(), -1);
    TdbComboBox fresh;
    fresh.AddRecords({-1, 4}, {QString(), QStringLiteral("four")});
    EXPECT_EQ(fresh.currentIndex(), 0); // as after AddRecord into an empty box
}

TEST(ComboBox, ClearEmptiesBothListsAndDropDownCountIsMaxVisibleItems)
{
    TdbComboBox combo;
    EXPECT_FALSE(combo.isEditable());
    combo.AddRecord(-1, QString());
    combo.AddRecord(4, QStringLiteral("Oslo"));
    combo.setCurrentIndex(1);
    combo.Clear();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_TRUE(combo.itemIdStrings().isEmpty());
    EXPECT_EQ(combo.dbItemID(), -1);

    combo.setProperty("dropDownCount", 12);
    EXPECT_EQ(combo.maxVisibleItems(), 12);
}

const TDateTime kSample = TDateTime::fromDateAndTime(QDate(2024, 3, 7), QTime(14, 5, 9, 250));

TEST(DateTimePicker, StoredTextsOfSevenMarch)
{
    for (auto kind : {TdbDateTimePicker::dtkDate, TdbDateTimePicker::dtkTime}) {
        TdbDateTimePicker picker;
        picker.setKind(kind); // the hidden part of the value survives the kind
        picker.setDateTime(kSample);
        EXPECT_EQ(picker.dbStringDateTime(), u"2024-03-07 14:05:09.000"_s);
        EXPECT_EQ(picker.dbGetDate(), u"2024-03-07 00:00:00.000"_s);
        EXPECT_EQ(picker.dbGetTime(), u"1899-12-30 14:05:09.000"_s);
        EXPECT_EQ(picker.dateTime(), kSample);
    }
    TdbMonthCalendar calendar;
    calendar.setDateTime(kSample);
    EXPECT_EQ(calendar.dbStringDateTime(), u"2024-03-07 14:05:09.250"_s);
    EXPECT_EQ(calendar.dbGetDate(), u"2024-03-07 00:00:00.000"_s);
    EXPECT_EQ(calendar.selectedDate(), QDate(2024, 3, 7));
}

TEST(DateTimePicker, WritingStoredTexts)
{
    struct Case {
        const char *text;
        const char *pickerReads; // nullptr: rejected, value kept
        const char *calendarReads;
    } cases[] = {
        {"2024-03-07", "2024-03-07 00:00:00.000", "2024-03-07 00:00:00.000"},
        {"2024-03-07 14:05:09.250", "2024-03-07 14:05:09.000", "2024-03-07 14:05:09.250"},
        {"13:45", "1899-12-30 13:45:00.000", "1899-12-30 13:45:00.000"},
        {"hello", nullptr, "1899-12-30 00:00:00.000"},
        {"", nullptr, "1899-12-30 00:00:00.000"},
        {"2024-02-30", nullptr, "1899-12-30 00:00:00.000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TdbDateTimePicker picker;
        picker.setDateTime(kSample);
        if (c.pickerReads) {
            picker.setDbStringDateTime(QString::fromUtf8(c.text));
            EXPECT_EQ(picker.dbStringDateTime(), QString::fromUtf8(c.pickerReads));
        } else {
            EXPECT_THROW(picker.setDbStringDateTime(QString::fromUtf8(c.text)), ConversionError);
            EXPECT_EQ(picker.dateTime(), kSample);
        }
        TdbMonthCalendar calendar;
        calendar.setDateTime(kSample);
        calendar.setDbStringDateTime(QString::fromUtf8(c.text));
        EXPECT_EQ(calendar.dbStringDateTime(), QString::fromUtf8(c.calendarReads));
    }
}

TEST(DateTimePicker, UserEditOfShownPartKeepsHiddenPart)
{
    TdbDateTimePicker picker;
    picker.setKind(TdbDateTimePicker::dtkTime);
    picker.setFormat(QStringLiteral("HH:mm"));
    picker.setDateTime(kSample);
    picker.editor()->setTime(QTime(9, 30)); // as the user would
    EXPECT_EQ(picker.dbStringDateTime(), u"2024-03-07 09:30:00.000"_s);

    picker.setKind(TdbDateTimePicker::dtkDate);
    picker.setFormat(QString());
    picker.editor()->setDate(QDate(2025, 1, 2));
    EXPECT_EQ(picker.dbStringDateTime(), u"2025-01-02 09:30:00.000"_s);
}

TEST(DateTimePicker, DesignerFormatAndPropertiesByName)
{
    EXPECT_EQ(qtDisplayFormat(QStringLiteral("dd.MM.yyyy hh:mm tt")), u"dd.MM.yyyy hh:mm AP"_s);
    EXPECT_EQ(qtDisplayFormat(QStringLiteral("'at' HH:mm")), u"'at' HH:mm"_s);

    TdbDateTimePicker picker;
    EXPECT_TRUE(picker.setProperty("kind", u"dtkTime"_s));
    EXPECT_TRUE(picker.setProperty("checked", true));
    EXPECT_TRUE(picker.setProperty("dateFormat", u"dfLong"_s));
    EXPECT_EQ(picker.kind(), TdbDateTimePicker::dtkTime);
    EXPECT_TRUE(picker.checked());
    EXPECT_EQ(picker.dateFormat(), TdbDateTimePicker::dfLong);
}

TEST(DateTimePicker, CheckBoxByKeyboardAndAnEditorOnlyForAValue)
{
    QWidget window;
    auto *picker = new TdbDateTimePicker(&window);
    picker->setShowCheckbox(true);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    picker->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), picker->checkBox());
    EXPECT_FALSE(picker->editor()->isEnabled()); // nothing typed can be lost
    QTest::keyClick(window.windowHandle(), Qt::Key_Space);
    EXPECT_TRUE(picker->checked());
    EXPECT_TRUE(picker->editor()->isEnabled());
    QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), picker->editor());
    EXPECT_TRUE(picker->editor()->calendarPopup());
    picker->setKind(TdbDateTimePicker::dtkTime);
    EXPECT_FALSE(picker->editor()->calendarPopup());
}

TEST(DateTimePicker, TypingWorksInEveryFormat)
{
    using S = QDateTimeEdit::Section;
    const struct {
        TdbDateTimePicker::TDateTimeKind kind;
        TdbDateTimePicker::TDTDateFormat dateFormat;
        const char *format;
        S section;
        const char *typed;
        const char *stored;
    } cases[] = {
        {TdbDateTimePicker::dtkDate, TdbDateTimePicker::dfLong, "", S::YearSection, "1970", "1970-03-07 14:05:09.000"},
        {TdbDateTimePicker::dtkDate, TdbDateTimePicker::dfLong, "", S::DaySection, "15", "2024-03-15 14:05:09.000"},
        {TdbDateTimePicker::dtkDate, TdbDateTimePicker::dfShort, "", S::DaySection, "15", "2024-03-15 14:05:09.000"},
        {TdbDateTimePicker::dtkDate, TdbDateTimePicker::dfShort, "", S::MonthSection, "11", "2024-11-07 14:05:09.000"},
        {TdbDateTimePicker::dtkDate, TdbDateTimePicker::dfShort, "dddd dd.MM.yyyy", S::YearSection, "1970",
         "1970-03-07 14:05:09.000"},
        {TdbDateTimePicker::dtkTime, TdbDateTimePicker::dfShort, "", S::MinuteSection, "30", "2024-03-07 14:30:09.000"},
        {TdbDateTimePicker::dtkTime, TdbDateTimePicker::dfShort, "HH:mm:ss", S::HourSection, "09",
         "2024-03-07 09:05:09.000"},
    };
    for (const auto &c : cases) {
        QWidget window;
        auto *picker = new TdbDateTimePicker(&window);
        picker->setShowCheckbox(true);
        picker->setChecked(true);
        picker->setKind(c.kind);
        picker->setDateFormat(c.dateFormat);
        picker->setFormat(QString::fromLatin1(c.format));
        picker->setDateTime(kSample);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        picker->editor()->setFocus();
        picker->editor()->setSelectedSection(c.section);
        QTest::keyClicks(picker->editor(), QString::fromLatin1(c.typed));
        QTest::keyClick(picker->editor(), Qt::Key_Return);
        EXPECT_EQ(picker->dbStringDateTime(), QString::fromUtf8(c.stored))
            << c.format << " " << c.typed << " shown as " << picker->editor()->text().toStdString();
    }
}

TEST(CheckBox, GrayedStateBySetterWithoutLettingTheUserReachIt)
{
    TdbCheckBox box;
    box.setState(TdbCheckBox::cbGrayed);
    EXPECT_EQ(box.state(), TdbCheckBox::cbGrayed);
    box.click();
    EXPECT_EQ(box.state(), TdbCheckBox::cbChecked);
    box.click();
    EXPECT_EQ(box.state(), TdbCheckBox::cbUnchecked);

    box.click();
    EXPECT_EQ(box.state(), TdbCheckBox::cbChecked); // grayed skipped

    box.setState(TdbCheckBox::cbUnchecked);
    EXPECT_TRUE(box.setProperty("allowGrayed", true));
    box.click();
    EXPECT_EQ(box.state(), TdbCheckBox::cbGrayed);
    EXPECT_TRUE(box.setProperty("dbDefaultState", u"cbChecked"_s));
    EXPECT_EQ(box.dbDefaultState(), TdbCheckBox::cbChecked);
}

TEST(EditCount, ReadOnlyAndEmptyAfterConstruction)
{
    TdbEditCount count;
    EXPECT_TRUE(count.isReadOnly());
    EXPECT_TRUE(count.text().isEmpty());
}

} // namespace

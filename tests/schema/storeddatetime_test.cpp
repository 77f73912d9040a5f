#include "schema/storeddatetime.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;

TEST(TDateTime, DayZeroAndExactConversions)
{
    EXPECT_EQ(TDateTime().date(), QDate(1899, 12, 30));
    const QDateTime value(QDate(2024, 3, 7), QTime(14, 5, 9, 250));
    const TDateTime t = TDateTime::fromQDateTime(value);
    EXPECT_EQ(t.toQDateTime(), value);
    EXPECT_EQ(t.datePart().toQDateTime(), QDateTime(QDate(2024, 3, 7), QTime(0, 0)));
    EXPECT_EQ(t.timePart().toQDateTime(), QDateTime(QDate(1899, 12, 30), QTime(14, 5, 9, 250)));
    const TDateTime before = TDateTime::fromDateAndTime(QDate(1899, 12, 29), QTime(6, 0));
    EXPECT_EQ(before.date(), QDate(1899, 12, 29));
    EXPECT_EQ(before.time(), QTime(6, 0));
}

TEST(StoredDateTime, Text)
{
    const TDateTime t = TDateTime::fromQDateTime({QDate(2024, 3, 7), QTime(14, 5, 9, 250)});
    EXPECT_EQ(storedDateTimeText(t), QStringLiteral("2024-03-07 14:05:09.250"));
    EXPECT_EQ(storedDateTimeText(t, false), QStringLiteral("2024-03-07 14:05:09.000"));
    EXPECT_EQ(storedDateTimeText(t.timePart(), false), QStringLiteral("1899-12-30 14:05:09.000"));
}

TEST(StoredDateTime, Parse)
{
    const struct {
        const char *text;
        const char *expected;
    } cases[] = {
        {"2024-03-07 14:05:09.250", "2024-03-07 14:05:09.250"},
        {"2024-03-07", "2024-03-07 00:00:00.000"},
        {"2024-3-7 9:5", "2024-03-07 09:05:00.000"},
        {"2024-03-07 14:05:09.250  ", "2024-03-07 14:05:09.250"},
        {"13:45:10.000", "1899-12-30 13:45:10.000"},
        {"", nullptr},
        {"hello", nullptr},
        {"2024-02-30", nullptr},
        {"2024-03-07 25:00", nullptr},
        {"2024-03-07 14:05 tail", nullptr},
    };
    for (const auto &c : cases) {
        const auto parsed = parseStoredDateTime(QString::fromUtf8(c.text));
        if (!c.expected) {
            EXPECT_FALSE(parsed.has_value()) << c.text;
            continue;
        }
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(storedDateTimeText(*parsed), QString::fromUtf8(c.expected)) << c.text;
    }
}

TEST(StoredDateTime, DisplayParsingIgnoresTextAfterTheTime)
{
    DateTimeParseRules display;
    display.millisecondSeparator = QLatin1Char(',');
    display.ignoreTextAfterTime = true;
    const auto parsed = parseStoredDateTime(QStringLiteral("2014-05-17 13:45:10.000"), display);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(storedDateTimeText(*parsed), QStringLiteral("2014-05-17 13:45:10.000"));
}

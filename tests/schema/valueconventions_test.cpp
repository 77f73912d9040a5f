#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace tarvo;

TEST(ValueConventions, CaseRules)
{
    const struct {
        const char *text;
        const char *display;
        const char *search;
    } cases[] = {
        {"иВАНОВ пЁтр", "Иванов пётр", "ИВАНОВ ПЁТР"},
        {"McDonald", "McDonald", "McDonald"},
        {"Zoë Ærö", "Zoë Ærö", "Zoë Ærö"},    // Latin-1 below 247
        {"Jø", "Jø", "JØ"},                   // ø is 248
        {"straße ÿ", "Straße ÿ", "STRAßE Ÿ"}, // ÿ (255) is non-Latin; ß keeps its length
        {"", "", ""},
        {"ООО \"рога\"", "Ооо \"рога\"", "ООО \"\"РОГА\"\""},
        {"say \"hi\"", "say \"hi\"", "say \"\"hi\"\""},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(NormalizeDisplayCase(text), QString::fromUtf8(c.display)) << c.text;
        EXPECT_EQ(PrepareSearchText(text), QString::fromUtf8(c.search)) << c.text;
        EXPECT_EQ(StoredTextCase(text),
                  QString::fromUtf8(c.search).replace(QStringLiteral("\"\""), QStringLiteral("\"")))
            << c.text;
    }
}

TEST(ValueConventions, FormatStoredDateTime)
{
    const struct {
        const char *stored;
        QString format;
        const char *expected;
    } cases[] = {
        {"2014-05-17 00:00:00.000", shortDateFormat(), "5/17/14"},
        {"1899-12-30 13:45:10.000", shortTimeFormat(), "1:45 PM"},
        {"2014-05-17 00:00:00.000", dateTimeFormatC(), "5/17/14"},
        {"2014-05-17 13:45:10.000", dateTimeFormatC(), "5/17/14 1:45:10 PM"},
        {"2014-5-7 9:05", QStringLiteral("yyyy.MM.dd hh:mm"), "2014.05.07 09:05"},
        {"", shortDateFormat(), "без даты"},
        {"17.05.2014", shortDateFormat(), "без даты"},
        {"2014-05-17 13:45:10.000 trailing", shortTimeFormat(), "1:45 PM"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatStoredDateTime(QString::fromUtf8(c.stored), c.format), QString::fromUtf8(c.expected))
            << c.stored;

    // Where the decimal separator is not ".", the milliseconds are simply dropped.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = FormatStoredDateTime(QStringLiteral("2014-05-17 13:45:10.500"), dateTimeFormatC());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(german, QStringLiteral("17.05.14 13:45:10"));
}

namespace {

class CounterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.write(QStringLiteral("tables.ini"),
                       QStringLiteral("[hundred]\n*record_count=100\n[plain]\n_x=TEXT\n[bad]\n*record_count=abc\n"));
        LoadFieldCatalogue(m_folder.file(QStringLiteral("tables.ini")));
        m_db.setDatabase(m_folder.file(QStringLiteral("sqlite.db")));
        m_db.open();
        for (const char *table : {"hundred", "plain", "bad", "other"})
            m_db.execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY ASC, record_count INTEGER, x TEXT)")
                             .arg(QLatin1String(table)));
    }
    void TearDown() override { ReleaseFieldCatalogue(); }
    qint64 next(const char *table) { return GetNextRecordCount(m_db, QString::fromLatin1(table)); }

    test::ProjectFolder m_folder;
    SqlConnection m_db;
};

} // namespace

TEST_F(CounterTest, NextRecordCount)
{
    EXPECT_EQ(next("hundred"), 100);
    EXPECT_EQ(next("plain"), 0);
    EXPECT_EQ(next("bad"), 0);
    m_db.execute(QStringLiteral("INSERT INTO plain (record_count) VALUES (3), (7), (5)"));
    EXPECT_EQ(next("plain"), 8);
    m_db.execute(QStringLiteral("INSERT INTO hundred (record_count) VALUES (7.5)"));
    EXPECT_EQ(next("hundred"), -1);
    EXPECT_THROW(next("missing"), DatabaseError);
}

TEST(ValueConventions, NumbersTypedIntoNumberFieldsInTheUsersLocale)
{
    const struct {
        const char *locale, *typed, *integer, *real;
    } cases[] = {
        {"en_US", "12", "12", "12"},
        {"en_US", " +12 ", "12", "12"},
        {"en_US", "-7", "-7", "-7"},
        {"en_US", "007", "7", "7"},
        {"en_US", "12.50", nullptr, "12.5"},
        {"en_US", "12,50", nullptr, nullptr}, // no group separators: "12,50" is no number here
        {"en_US", "1,250", nullptr, nullptr},
        {"en_US", "1e3", nullptr, "1000"},
        {"de_DE", "12,50", nullptr, "12.5"}, // the user's decimal comma
        {"de_DE", "12.50", nullptr, "12.5"}, // and a point still works
        {"en_US", "two", nullptr, nullptr},
        {"en_US", "abc", nullptr, nullptr},
        {"en_US", "", nullptr, nullptr},
        {"en_US", "1 2", nullptr, nullptr},
        {"en_US", "99999999999999999999", nullptr, "1e+20"},
        {"en_US", "inf", nullptr, nullptr},
        {"en_US", "nan", nullptr, nullptr},
    };
    const QLocale before;
    for (const auto &c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        const QString typed = QString::fromUtf8(c.typed);
        EXPECT_EQ(integerLiteral(typed), c.integer ? std::optional(QString::fromLatin1(c.integer)) : std::nullopt)
            << c.locale << " " << c.typed;
        EXPECT_EQ(realLiteral(typed), c.real ? std::optional(QString::fromLatin1(c.real)) : std::nullopt)
            << c.locale << " " << c.typed;
    }
    QLocale::setDefault(before);
}

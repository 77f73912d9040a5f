// Expressions and display formats of report texts.
#include "reporttestdata.h"

#include "report/reportexpression.h"
#include "report/reportformat.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

TEST(ReportExpression, EvaluatesOperatorsAndFunctions)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const ReportDataSet data({u"id"_s, u"n"_s, u"when"_s, u"name"_s},
                             {{qint64(7), QVariant(), u"2026-11-02 14:30:00.000"_s, u"  Ada  "_s}});
    ExpressionContext c;
    c.data = &data;
    c.row = 0;
    const struct {
        const char *text;
        const char *expected;
    } cases[] = {
        {"[Report.\"id\" * 2 + 1] [10 / 4] [7 % 3] [-Report.\"id\"] [(1 + 2) * 3]", "15 2.5 1 -7 9"},
        {"[Report.\"id\" > 5 AND NOT (Report.\"id\" = 8)] [1 > 2 OR 2 <= 2] [3 <> 3]", "true true false"},
        {"[Report.\"n\" = 1] [Report.\"n\" + 1]|", "false |"}, // NULL compares false, sums to NULL
        {"[IIF(Report.\"id\" >= 7, \"big\", 'small')]", "big"},
        {"[UPPER(\"ab\") & LOWER(\"CD\") & TRIM(Report.\"name\") & LENGTH(\"hello\")]", "ABcdAda5"},
        {"[SUBSTR(\"abcdef\", 2, 3)] [SUBSTR(\"abcdef\", 5)] [\"a\" + 1] [\"2\" + 1]", "bcd ef a1 3"},
        {"[YEAR(Report.\"when\")]/[MONTH(Report.\"when\")]/[DAY(Report.\"when\")] [HOUR(Report.\"when\")]:[MINUTE(Report.\"when\")]",
         "2026/11/2 14:30"},
        {"[FORMAT(1234.5, \"number:#,##0.00\")] [ROUND(2.346, 2)] [ABS(-3)]", "1,234.50 2.35 3"},
        {"[see note] [Report.\"id\"", "[see note] [Report.\"id\""},           // not expressions: as written
        {"[Nobody + 1] [Other.\"x\" * 2]", "[Nobody + 1] [Other.\"x\" * 2]"}, // unknown names
        {"[10 / 0]|[\"x]\"]", "|x]"},                                         // "]" inside a text
        // Whole numbers whose result does not fit go on in floating point; positions are clamped.
        {"[9223372036854775807 + 1] [0 - 9223372036854775807 - 2] [3037000500 * 3037000500]",
         "9.22337203685478E+18 -9.22337203685478E+18 9.22337203700025E+18"},
        {"[(0 - 9223372036854775807 - 1) % -1] [ABS(0 - 9223372036854775807 - 1)]", "0 9.22337203685478E+18"},
        {"[SUBSTR(\"abcdef\", 2, 99999999999999999999)] [SUBSTR(\"abcdef\", 0 - 99999999999999999999, 2)]", "bcdef ab"},
    };
    for (const auto &tc : cases) {
        ReportExpression e = ReportExpression::parse(QString::fromUtf8(tc.text));
        e.bind(data);
        EXPECT_TRUE(e.errors().isEmpty()) << tc.text << ": " << e.errors().join(u"; "_s).toStdString();
        EXPECT_EQ(e.expand(c), QString::fromUtf8(tc.expected)) << tc.text;
    }
    QLocale::setDefault(QLocale::c());
}

TEST(ReportExpression, NamesUnknownFunctionsAndWrongArgumentCounts)
{
    const struct {
        const char *text;
        const char *error;
    } cases[] = {
        {"[FOO(1)]", "unknown function FOO"},
        {"[IIF(1, 2)]", "IIF takes 3 argument(s), not 2"},
        {"[SUBSTR(\"a\")]", "SUBSTR takes 2 to 3 arguments, not 1"},
        {"[SUM(1, Report.\"id\")]", "the scope of SUM must be a text"},
        {"[FORMAT(1, \"money\")]", "unknown format \"money\""},
    };
    for (const auto &tc : cases) {
        const ReportExpression e = ReportExpression::parse(QString::fromUtf8(tc.text));
        EXPECT_TRUE(e.errors().join(u"; "_s).contains(QString::fromUtf8(tc.error)))
            << tc.text << ": " << e.errors().join(u"; "_s).toStdString();
        EXPECT_EQ(e.unknownExpressions(), QStringList{QString::fromUtf8(tc.text)});
    }
    EXPECT_FALSE(ReportExpression::parseExpression(u"Report.\"id\" >"_s).errors().isEmpty());
}

// The list the expression editor offers is the parser's own: names and argument counts agree.
TEST(ReportExpression, OffersEveryFunctionWithItsArgumentCounts)
{
    const QList<ExpressionFunction> &functions = expressionFunctions();
    ASSERT_TRUE(std::any_of(functions.begin(), functions.end(), [](const ExpressionFunction &f) {
        return f.hint == u"SUBSTR(text, start[, length])"_s && f.minArgs == 2 && f.maxArgs == 3;
    }));
    auto call = [](const ExpressionFunction &f, int count) {
        QStringList args;
        for (int i = 0; i < count; ++i)
            args << u"1"_s;
        return ReportExpression::parseExpression(f.name + u'(' + args.join(u", "_s) + u')').errors().join(u"; "_s);
    };
    for (const ExpressionFunction &f : functions) {
        EXPECT_TRUE(f.hint.startsWith(f.name + u'(')) << f.hint.toStdString();
        EXPECT_TRUE(call(f, f.maxArgs + 1).startsWith(f.name + u" takes"_s)) << f.name.toStdString();
        if (f.minArgs > 0) {
            EXPECT_TRUE(call(f, f.minArgs - 1).startsWith(f.name + u" takes"_s)) << f.name.toStdString();
        }
    }
    EXPECT_EQ(expressionSystemValues(), (QStringList{u"Page#"_s, u"TotalPages#"_s, u"Line#"_s, u"Date"_s, u"Time"_s}));
}

// Nesting deep enough to exhaust the stack is an error, not a crash; written nesting still parses.
TEST(ReportExpression, NestingTooDeepIsAnError)
{
    const auto repeated = [](const QString &piece, int times) { return piece.repeated(times); };
    const QString tooDeep[] = {repeated(u"("_s, 1000) + u"1"_s + repeated(u")"_s, 1000),
                               repeated(u"ABS("_s, 1000) + u"1"_s + repeated(u")"_s, 1000),
                               repeated(u"-"_s, 1000) + u"1"_s, repeated(u"NOT "_s, 1000) + u"1"_s,
                               u"1"_s + repeated(u" + 1"_s, 1000)};
    for (const QString &text : tooDeep)
        EXPECT_TRUE(
            ReportExpression::parseExpression(text).errors().join(u"; "_s).contains(u"nested more than 200 deep"_s))
            << text.left(12).toStdString();
    EXPECT_TRUE(
        ReportExpression::parseExpression(repeated(u"("_s, 150) + u"1"_s + repeated(u")"_s, 150)).errors().isEmpty());
    EXPECT_TRUE(ReportExpression::parseExpression(u"1"_s + repeated(u" + 1"_s, 150)).errors().isEmpty());
}

TEST(DisplayFormat, FormatsNumbersAndDatesInTheLocale)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany);
    const struct {
        const char *pattern;
        QVariant value;
        QLocale locale;
        const char *expected; // null: printed unchanged
    } cases[] = {
        {"number:#,##0.00", 1234.5, us, "1,234.50"},
        {"number:#,##0.00", qint64(1234), de, "1.234,00"},
        {"number:0.0", u"1234.56"_s, us, "1234.6"}, // numeric text from the database
        {"number:#,##0.00;(#,##0.00)", -1234.5, us, "(1,234.50)"},
        {"number:#,##0.00", -0.001, us, "0.00"},
        {"number:\u00A4#,##0.00", 3, us, "$3.00"},
        {"currency", 1325.5, us, "$1,325.50"},
        {"number:#,##0", u"Ada"_s, us, nullptr},
        {"date", u"2026-11-02 00:00:00.000"_s, us, "11/2/26"},
        {"date", u"2026-11-02"_s, de, "02.11.26"},
        {"date:dd.MM.yyyy", u"2026-11-02 00:00:00.000"_s, us, "02.11.2026"},
        {"datetime:yyyy-MM-dd hh:mm", u"2026-11-02 14:30:05"_s, us, "2026-11-02 14:30"},
        {"time:hh:mm", u"2026-11-02 14:30:00.000"_s, us, "14:30"},
        {"date", u"yesterday"_s, us, nullptr},
    };
    for (const auto &tc : cases) {
        QString problem;
        const DisplayFormat format = DisplayFormat::parse(QString::fromUtf8(tc.pattern), &problem);
        ASSERT_TRUE(problem.isEmpty()) << tc.pattern;
        const std::optional<QString> text = format.apply(tc.value, tc.locale);
        if (tc.expected)
            EXPECT_EQ(text.value_or(u"(unchanged)"_s), QString::fromUtf8(tc.expected)) << tc.pattern;
        else
            EXPECT_FALSE(text.has_value()) << tc.pattern;
    }
    for (const char *bad : {"money", "number:abc"}) {
        QString problem;
        DisplayFormat::parse(QString::fromUtf8(bad), &problem);
        EXPECT_FALSE(problem.isEmpty()) << bad;
    }
}

#include "reporttestdata.h"

#include "platform/errors.h"
#include "report/reportexpression.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

// Body items must stay above the footer, which sits at the same place on every page.
double footerTop(const PreparedReport &r)
{
    return r.layout.paintRect(QPageLayout::Millimeter).height() - r.source->band(BandType::PageFooter)->height;
}

} // namespace

TEST(ReportLayout, PaginatesBandsWholeWithTitleHeaderFooterAndTotals)
{
    const PreparedReport r = prepareReport(listTemplate(), customers(40), std::nullopt, fixedNow);
    // A5 leaves 180 mm above the footer: 15 rows after title and header, then 17 a page.
    ASSERT_EQ(r.pages.size(), 3);
    const int rowsPerPage[] = {15, 17, 8};
    int line = 0;
    for (int p = 0; p < r.pages.size(); ++p) {
        const PreparedPage &page = r.pages[p];
        SCOPED_TRACE(p + 1);
        EXPECT_EQ(textsOf(page, BandType::ReportTitle).size(), p == 0 ? 1 : 0);
        EXPECT_EQ(textsOf(page, BandType::PageHeader), (QStringList{u"No."_s, u"Name"_s, u"Balance"_s}));
        EXPECT_EQ(textsOf(page, BandType::PageFooter), QStringList{QStringLiteral("Page %1 of 3").arg(p + 1)});
        const QStringList rows = textsOf(page, BandType::MasterData);
        ASSERT_EQ(rows.size(), rowsPerPage[p] * 3);
        for (int i = 0; i < rows.size(); i += 3) {
            ++line;
            EXPECT_EQ(rows[i], QString::number(line));
            EXPECT_EQ(rows[i + 1], QStringLiteral("Customer %1").arg(line));
        }
        for (const PreparedItem &item : page.items) {
            if (item.band != BandType::PageFooter) {
                EXPECT_LE(item.rect.bottom(), footerTop(r) + 1e-9) << item.text.toStdString();
            }
        }
    }
    EXPECT_EQ(textsOf(r.pages.last(), BandType::Summary), QStringList{u"Customers: 40"_s});
    EXPECT_EQ(r.pages[0].items.last().text, u"Page 1 of 3"_s);
}

TEST(ReportLayout, SummaryThatDoesNotFitMovesToANewPage)
{
    // 15 rows fill page 1 exactly; the summary goes to page 2 below the header.
    const PreparedReport r = prepareReport(listTemplate(), customers(15), std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 2);
    EXPECT_TRUE(textsOf(r.pages[0], BandType::Summary).isEmpty());
    EXPECT_EQ(textsOf(r.pages[1], BandType::Summary), QStringList{u"Customers: 15"_s});
    EXPECT_EQ(textsOf(r.pages[1], BandType::PageFooter), QStringList{u"Page 2 of 2"_s});
}

TEST(ReportLayout, EmptyDataSetGivesOnePageWithoutRows)
{
    const PreparedReport r = prepareReport(listTemplate(), customers(0), std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 1);
    EXPECT_TRUE(textsOf(r.pages[0], BandType::MasterData).isEmpty());
    EXPECT_EQ(textsOf(r.pages[0], BandType::Summary), QStringList{u"Customers: 0"_s});
}

TEST(ReportLayout, GrowingTextPushesTheFollowingRowsDown)
{
    ReportDataSet data({u"id"_s, u"name"_s, u"balance"_s},
                       {{1, u"short"_s, 1.0},
                        {2, u"word "_s.repeated(60).trimmed(), 2.0},
                        {3, u"after"_s, 3.0},
                        {4, u"漢字"_s.repeated(30), 4.0}}); // drawn in another font than the item's
    const PreparedReport r = prepareReport(listTemplate(), data, std::nullopt, fixedNow);
    QList<const PreparedItem *> names;
    for (const PreparedItem &item : r.pages[0].items) {
        if (item.band == BandType::MasterData && item.rect.x() == 15)
            names << &item;
    }
    ASSERT_EQ(names.size(), 4);
    EXPECT_DOUBLE_EQ(names[0]->rect.height(), 6);
    EXPECT_GT(names[1]->rect.height(), 12); // several lines in a 60 mm column
    EXPECT_GT(names[3]->rect.height(), 6);
    // The band grew by as much as its item did, keeping the 4 mm below it.
    EXPECT_NEAR(names[2]->rect.top(), names[1]->rect.bottom() + 4, 1e-9);
}

TEST(ReportLayout, BandTallerThanAPageContinuesOnTheNextPages)
{
    QString words;
    for (int i = 0; i < 2000; ++i)
        words += u"word%1 "_s.arg(i);
    ReportDataSet data({u"id"_s, u"name"_s, u"balance"_s}, {{1, words, 1.0}, {2, u"x"_s, 2.0}});
    const PreparedReport r = prepareReport(listTemplate(), data, std::nullopt, fixedNow);
    ASSERT_GT(r.pages.size(), 3);
    QString printed;
    for (const PreparedPage &page : r.pages) {
        for (const PreparedItem &item : page.items) {
            if (item.band != BandType::PageFooter) {
                EXPECT_LE(item.rect.bottom(), footerTop(r) + 1e-9);
            }
            if (item.band == BandType::MasterData && item.row == 0 && item.text.startsWith(u"word"_s))
                printed += item.text + u"\n"_s;
        }
    }
    // Every word printed once, starting on the title page right below the header.
    EXPECT_EQ(printed.simplified(), words.simplified());
    EXPECT_FALSE(textsOf(r.pages[0], BandType::MasterData).isEmpty());
    const QStringList last = textsOf(r.pages.last(), BandType::MasterData);
    EXPECT_EQ(last.mid(last.size() - 3), (QStringList{u"2"_s, u"x"_s, u"2"_s}));
}

TEST(ReportLayout, FirstRowNeverOverlapsTheFooterWhenTheTitleLeavesTooLittleRoom)
{
    ReportTemplate t = listTemplate();
    t.band(BandType::ReportTitle)->height = 168; // with the header 4 mm are left: less than a row
    const PreparedReport r = prepareReport(t, customers(3), std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 2);
    EXPECT_TRUE(textsOf(r.pages[0], BandType::MasterData).isEmpty());
    EXPECT_EQ(textsOf(r.pages[1], BandType::MasterData).first(), u"1"_s);
}

TEST(ReportLayout, HeaderAndFooterLeavingNoRoomIsAnError)
{
    ReportTemplate t = listTemplate();
    t.band(BandType::PageFooter)->height = 185;
    try {
        prepareReport(t, customers(1));
        FAIL() << "no error";
    } catch (const ParseError &e) {
        EXPECT_TRUE(e.message().contains(u"leave no room"_s)) << e.what();
    }
}

TEST(ReportLayout, PrinterLayoutReplacesTheTemplatePage)
{
    const QPageLayout bigMargins(QPageSize(QPageSize::A5), QPageLayout::Portrait, QMarginsF(20, 40, 20, 40),
                                 QPageLayout::Millimeter);
    const PreparedReport r = prepareReport(listTemplate(), customers(40), bigMargins, fixedNow);
    EXPECT_EQ(r.pages.size(), 4); // 120 mm above the footer instead of 180
}

TEST(ReportExpression, ExpandsEachKindOfExpression)
{
    const ReportDataSet data({u"id"_s, u"Say \"hi\""_s, u"n"_s}, {{qint64(7), u"hello"_s, QVariant()}});
    ExpressionContext c;
    c.data = &data;
    c.row = 0;
    c.page = 2;
    c.totalPages = 5;
    c.line = 3;
    c.date = u"12/10/26"_s;
    c.time = u"2:30 PM"_s;
    const struct {
        const char *text;
        const char *expected;
    } cases[] = {
        {"[Report.\"ID\"]", "7"},                   // column names ignore case
        {"[Report.\"say \"\"hi\"\"\"]!", "hello!"}, // doubled quote inside the name
        {"[Report.\"missing\"]|", "|"},             // missing field prints empty
        {"[Report.\"n\"]", ""},                     // NULL prints empty
        {"[Other.\"id\"]", "[Other.\"id\"]"},       // another data set prints as written
        {"Page [Page#] of [TotalPages#], line [Line#]", "Page 2 of 5, line 3"},
        {"[Date] [Time]", "12/10/26 2:30 PM"},
        {"[[Page#] [[[Page#]]", "[Page#] [2]"},
        {"[Unknown] and [unclosed", "[Unknown] and [unclosed"},
        {"a ] b", "a ] b"},
    };
    for (const auto &tc : cases) {
        ReportExpression e = ReportExpression::parse(QString::fromUtf8(tc.text));
        e.bind(data);
        EXPECT_EQ(e.expand(c), QString::fromUtf8(tc.expected)) << tc.text;
    }
    EXPECT_EQ(ReportExpression::fieldReference(u"Report"_s, u"a\"b"_s), u"[Report.\"a\"\"b\"]"_s);
}

TEST(ReportLayout, ItemsOfOneNumericFieldCarryTheNumber)
{
    const PreparedReport r = prepareReport(listTemplate(), customers(2), std::nullopt, fixedNow);
    QList<QVariant> numbers;
    for (const PreparedItem &item : r.pages[0].items) {
        if (item.band == BandType::MasterData)
            numbers << item.number;
    }
    ASSERT_EQ(numbers.size(), 6);
    EXPECT_FALSE(numbers[0].isValid()); // [Line#] is text
    EXPECT_FALSE(numbers[1].isValid()); // the name
    EXPECT_EQ(numbers[2], QVariant(1.5));
}

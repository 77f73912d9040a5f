// Groups, aggregates, conditional styles, master-detail and the errors of bad templates.
#include "reporttestdata.h"

#include "platform/errors.h"
#include "schema/sqlconnection.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;

namespace {

// A template on A5 (footer top at 180 mm) around the given bands.
ReportTemplate reportWith(const QString &bands)
{
    const QString xml = QStringLiteral("<report>\n<page size=\"A5\" left=\"10\" top=\"10\" right=\"10\" bottom=\"10\"/>\n%1\n</report>").arg(bands);
    return ReportTemplate::fromXml(xml.toUtf8(), QStringLiteral("test.trp"));
}

QString textItem(const QString &text, const QString &attributes = QString())
{
    return QStringLiteral("<text x=\"0\" y=\"0\" w=\"120\" h=\"6\" %1>%2</text>").arg(attributes, text.toHtmlEscaped());
}

// Every text of every page, in order, pages separated by "--".
QStringList allTexts(const PreparedReport &r)
{
    QStringList texts;
    for (const PreparedPage &page : r.pages) {
        if (!texts.isEmpty())
            texts << "--";
        for (const PreparedItem &item : page.items) {
            if (item.source->kind == ItemKind::Text)
                texts << item.text;
        }
    }
    return texts;
}

ReportDataSet sales()
{
    return ReportDataSet({"city", "name", "amount"}, {{"Bergen", "A", qint64(10)},
                                                      {"Bergen", "B", qint64(20)},
                                                      {"Oslo", "C", qint64(5)},
                                                      {"Oslo", "D", 7.5},
                                                      {"Oslo", "E", 2.5}});
}

} // namespace

TEST(ReportGroups, HeadersFootersAndAggregatesOverGroupsRunningAndWholeReport)
{
    const ReportTemplate t = reportWith(
        "<reportTitle height=\"6\">" + textItem("Total [SUM(Report.\"amount\")] in [COUNT()] rows") + "</reportTitle>"
        "<group name=\"city\" condition='Report.\"city\"'>"
        "<groupHeader height=\"6\">" + textItem("[Report.\"city\"] ([COUNT()]): [SUM(Report.\"amount\")]") + "</groupHeader>"
        "<groupFooter height=\"6\">" + textItem("Subtotal [Report.\"city\"] [SUM(Report.\"amount\")] avg [AVG(Report.\"amount\")] "
                                                "min [MIN(Report.\"amount\")] max [MAX(Report.\"amount\")]") + "</groupFooter>"
        "</group>"
        "<masterData height=\"6\">" + textItem("[Report.\"name\"] [Report.\"amount\"] running [SUM(Report.\"amount\")] "
                                               "in group [SUM(Report.\"amount\", \"city\")]") + "</masterData>"
        "<summary height=\"6\">" + textItem("Grand [SUM(Report.\"amount\")] in [COUNT(Report.\"name\", \"report\")]") + "</summary>");
    EXPECT_EQ(allTexts(prepareReport(t, sales(), std::nullopt, fixedNow)),
              (QStringList{"Total 45 in 5 rows",
                           "Bergen (2): 30",
                           "A 10 running 10 in group 10",
                           "B 20 running 30 in group 30",
                           "Subtotal Bergen 30 avg 15 min 10 max 20",
                           "Oslo (3): 15",
                           "C 5 running 35 in group 5",
                           "D 7.5 running 42.5 in group 12.5",
                           "E 2.5 running 45 in group 15",
                           "Subtotal Oslo 15 avg 5 min 2.5 max 7.5",
                           "Grand 45 in 5"}));
}

TEST(ReportGroups, NestedGroupsBreakWhenAnOuterValueChanges)
{
    const ReportDataSet data({"country", "city"}, {{"NO", "Oslo"}, {"NO", "Oslo"}, {"SE", "Oslo"}, {"SE", "Lund"}});
    const ReportTemplate t = reportWith(
        "<group name=\"country\" condition='Report.\"country\"'><groupHeader height=\"6\">" + textItem("[Report.\"country\"]") + "</groupHeader></group>"
        "<group name=\"city\" condition='Report.\"city\"'><groupFooter height=\"6\">" + textItem("[Report.\"city\"]: [COUNT()] of [COUNT(Report.\"city\", \"country\")]") + "</groupFooter></group>");
    EXPECT_EQ(allTexts(prepareReport(t, data, std::nullopt, fixedNow)),
              (QStringList{"NO", "Oslo: 2 of 2", "SE", "Oslo: 1 of 1", "Lund: 1 of 2"}));
}

TEST(ReportGroups, NewPagePerGroupRepeatedHeadersAndPageTotals)
{
    QList<QVariantList> rows;
    for (int i = 0; i < 40; ++i)
        rows << QVariantList{i < 35 ? "Bergen" : "Oslo", qint64(1)};
    const ReportTemplate t = reportWith(
        "<pageHeader height=\"6\">" + textItem("Page sum [SUM(Report.\"amount\")]") + "</pageHeader>"
        "<group name=\"city\" condition='Report.\"city\"' newPage=\"1\" repeatHeader=\"1\">"
        "<groupHeader height=\"6\">" + textItem("City [Report.\"city\"]") + "</groupHeader></group>"
        "<masterData height=\"6\">" + textItem("row") + "</masterData>"
        "<pageFooter height=\"6\">" + textItem("[COUNT()] rows, [SUM(Report.\"amount\")]") + "</pageFooter>");
    const PreparedReport r = prepareReport(t, ReportDataSet({"city", "amount"}, rows), std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 3); // 28 Bergen rows, 7 more after the repeated header, then Oslo
    const QList<QStringList> expected{{"Page sum 28", "City Bergen", "28 rows, 28"},
                                      {"Page sum 7", "City Bergen", "7 rows, 7"},
                                      {"Page sum 5", "City Oslo", "5 rows, 5"}};
    for (qsizetype p = 0; p < r.pages.size(); ++p) {
        QStringList texts = allTexts(PreparedReport{r.source, r.styles, r.layout, {r.pages[p]}, r.title});
        texts.removeAll("row");
        EXPECT_EQ(texts, expected[p]) << "page " << p + 1;
    }
}

TEST(ReportGroups, KeepTogetherMovesAGroupThatFitsAPageButNotTheRoomLeft)
{
    QList<QVariantList> rows;
    for (int i = 0; i < 45; ++i)
        rows << QVariantList{i < 20 ? "A" : (i < 40 ? "B" : "C")};
    for (const bool keep : {false, true}) {
        const ReportTemplate t = reportWith(
            QString("<group name=\"g\" condition='Report.\"g\"' keepTogether=\"%1\">").arg(keep ? 1 : 0)
            + "<groupHeader height=\"6\">" + textItem("Group [Report.\"g\"]") + "</groupHeader></group>"
            "<masterData height=\"6\">" + textItem("row") + "</masterData>");
        const PreparedReport r = prepareReport(t, ReportDataSet({"g"}, rows), std::nullopt, fixedNow);
        // A takes 126 of 190 mm; B needs as much again.
        const QString firstOnPage2 = r.pages.value(1).items.value(0).text;
        EXPECT_EQ(firstOnPage2, keep ? "Group B" : "row") << keep;
        EXPECT_EQ(allTexts(r).count("Group C"), 1); // C follows B on page 2 either way
    }
}

TEST(ReportGroups, HighlightsAndPrintIfStyleAndHideItemsAndBands)
{
    const ReportTemplate t = reportWith(
        "<masterData height=\"6\" printIf='Report.\"name\" &lt;&gt; \"B\"'>"
        "<text x=\"0\" y=\"0\" w=\"50\" h=\"6\" fill=\"#EEEEEE\" border=\"0.3\">[Report.\"name\"]"
        "<highlight if='Report.\"amount\" &gt;= 10' colour=\"#C00000\" bold=\"1\"/></text>"
        + textItem("small", "printIf='Report.\"amount\" &lt; 10'") + "</masterData>");
    const PreparedReport r = prepareReport(t, sales(), std::nullopt, fixedNow);
    EXPECT_EQ(allTexts(r), (QStringList{"A", "C", "small", "D", "small", "E", "small"}));
    const PreparedItem &a = r.pages[0].items[0];
    EXPECT_EQ(a.source->colour, QColor("#C00000"));
    EXPECT_TRUE(a.source->bold);
    EXPECT_EQ(a.source->fill, QColor("#EEEEEE")); // the rest of the style stays
    EXPECT_EQ(r.pages[0].items[1].source->colour, QColor(Qt::black));
}

TEST(ReportGroups, DetailRowsComeFromASecondQueryPerMasterRow)
{
    ProjectFolder folder;
    SqlConnection db;
    db.setDatabase(folder.file("orders.db"));
    db.open();
    db.execute("CREATE TABLE orders (id INTEGER PRIMARY KEY, number TEXT)");
    db.execute("CREATE TABLE lines (id INTEGER PRIMARY KEY, id_orders INTEGER, product TEXT, quantity INTEGER, price REAL)");
    db.execute("INSERT INTO orders VALUES (1, 'A-1'), (2, 'A-2'), (3, 'A''3')");
    db.execute("INSERT INTO lines VALUES (1, 1, 'Engine', 1, 1200.5), (2, 1, 'Cards', 500, 0.25), (3, 3, 'Gear', 2, 3)");
    const ReportTemplate t = reportWith(
        "<masterData height=\"6\">" + textItem("Order [Report.\"number\"]") + "</masterData>"
        "<detail name=\"Lines\" sql=\"SELECT product, quantity * price AS amount FROM lines "
        "WHERE id_orders = :id AND product &lt;&gt; ':id' ORDER BY id\">"
        "<detailData height=\"6\">" + textItem("[Line#]. [Lines.\"product\"] [Lines.\"amount\"] [Report.\"number\"]") + "</detailData>"
        "<detailFooter height=\"6\">" + textItem("[COUNT()] lines") + textItem("Total [SUM(Lines.\"amount\")]", "format=\"number:#,##0.00\"") + "</detailFooter>"
        "</detail>");
    SqlQuery master = db.query("SELECT id, number FROM orders ORDER BY id");
    ReportDataSet data;
    data.connect(master);
    EXPECT_EQ(allTexts(prepareReport(t, data, std::nullopt, fixedNow)),
              (QStringList{"Order A-1", "1. Engine 1200.5 A-1", "2. Cards 125 A-1", "2 lines", "Total 1,325.50",
                           "Order A-2", "0 lines", "Total 0.00", // no lines: the order still prints
                           "Order A'3", "1. Gear 6 A'3", "1 lines", "Total 6.00"}));
}

TEST(ReportGroups, BadTemplatesNameTheTemplateLineAndItem)
{
    ReportDataSet data = sales();
    const struct {
        const char *bands;
        const char *message;
    } cases[] = {
        {"<masterData>\n<text>[FOO(1)]</text></masterData>", "Report template \"test.trp\", line 4: unknown function FOO"},
        {"<masterData>\n<text>[IIF(1, 2)]</text></masterData>", "line 4: IIF takes 3 argument(s), not 2"},
        {"<masterData>\n<text printIf=\"nobody = 1\">x</text></masterData>", "line 4: \"nobody = 1\" names something the report lacks"},
        {"<masterData>\n<text>[SUM(1, \"region\")]</text></masterData>", "line 4: no group is named \"region\""},
        {"<variable name=\"a\" expression=\"b + 1\"/>\n<variable name=\"b\" expression=\"a * 2\"/>", "the variables a -> b -> a refer to each other in a cycle"},
        {"<group name=\"g\" condition='Report.\"ctiy\"'/>", "line 3: group \"g\" is on the field \"ctiy\" that data set \"Report\" lacks"},
        {"<detail name=\"Lines\" sql=\"SELECT 1\"/>\n<masterData/>", "line 3: the query of detail \"Lines\" failed: there is no database connection"},
        {"<detail name=\"Lines\" sql=\"SELECT :nope\"/>\n<masterData/>", "has no field \"nope\" for the parameter :nope"},
        // found while reading the file
        {"<groupHeader/>", "line 3: unknown element <groupHeader>"},
        {"<group name=\"g\" condition=\"1\"><masterData/></group>", "unknown element <masterData> in <group>"},
        {"<group condition=\"1\"/>", "<group> needs the attribute name"},
        {"<masterData>\n<text format=\"money\">x</text></masterData>", "line 4: unknown format \"money\""},
    };
    for (const auto &tc : cases) {
        try {
            prepareReport(reportWith(QString::fromUtf8(tc.bands)), data, std::nullopt, fixedNow);
            ADD_FAILURE() << "no error: " << tc.bands;
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(tc.message))) << e.message().toStdString();
        }
    }
}

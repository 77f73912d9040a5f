// Groups, aggregates, conditional styles, master-detail and the errors of bad templates.
#include "reporttestdata.h"

#include "platform/errors.h"
#include "schema/sqlconnection.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

// A template on A5 (footer top at 180 mm) around the given bands.
ReportTemplate reportWith(const QString &bands)
{
    const QString xml =
        QStringLiteral("<report>\n<page size=\"A5\" left=\"10\" top=\"10\" right=\"10\" bottom=\"10\"/>\n%1\n</report>")
            .arg(bands);
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
            texts << u"--"_s;
        for (const PreparedItem &item : page.items) {
            if (item.source->kind == ItemKind::Text)
                texts << item.text;
        }
    }
    return texts;
}

ReportDataSet sales()
{
    return ReportDataSet({u"city"_s, u"name"_s, u"amount"_s}, {{u"Bergen"_s, u"A"_s, qint64(10)},
                                                               {u"Bergen"_s, u"B"_s, qint64(20)},
                                                               {u"Oslo"_s, u"C"_s, qint64(5)},
                                                               {u"Oslo"_s, u"D"_s, 7.5},
                                                               {u"Oslo"_s, u"E"_s, 2.5}});
}

} // namespace

TEST(ReportGroups, HeadersFootersAndAggregatesOverGroupsRunningAndWholeReport)
{
    const ReportTemplate t = reportWith(
        u"<reportTitle height=\"6\">"_s + textItem(u"Total [SUM(Report.\"amount\")] in [COUNT()] rows"_s)
        + u"</reportTitle>"_s
          "<group name=\"city\" condition='Report.\"city\"'>"
          "<groupHeader height=\"6\">"
        + textItem(u"[Report.\"city\"] ([COUNT()]): [SUM(Report.\"amount\")]"_s)
        + u"</groupHeader>"_s
          "<groupFooter height=\"6\">"
        + textItem(u"Subtotal [Report.\"city\"] [SUM(Report.\"amount\")] avg [AVG(Report.\"amount\")] "_s
                   "min [MIN(Report.\"amount\")] max [MAX(Report.\"amount\")]")
        + u"</groupFooter>"_s
          "</group>"
          "<masterData height=\"6\">"
        + textItem(u"[Report.\"name\"] [Report.\"amount\"] running [SUM(Report.\"amount\")] "_s
                   "in group [SUM(Report.\"amount\", \"city\")]")
        + u"</masterData>"_s
          "<summary height=\"6\">"
        + textItem(u"Grand [SUM(Report.\"amount\")] in [COUNT(Report.\"name\", \"report\")]"_s) + u"</summary>"_s);
    EXPECT_EQ(allTexts(prepareReport(t, sales(), std::nullopt, fixedNow)),
              (QStringList{u"Total 45 in 5 rows"_s, u"Bergen (2): 30"_s, u"A 10 running 10 in group 10"_s,
                           u"B 20 running 30 in group 30"_s, u"Subtotal Bergen 30 avg 15 min 10 max 20"_s,
                           u"Oslo (3): 15"_s, u"C 5 running 35 in group 5"_s, u"D 7.5 running 42.5 in group 12.5"_s,
                           u"E 2.5 running 45 in group 15"_s, u"Subtotal Oslo 15 avg 5 min 2.5 max 7.5"_s,
                           u"Grand 45 in 5"_s}));
}

TEST(ReportGroups, NestedGroupsBreakWhenAnOuterValueChanges)
{
    const ReportDataSet data({u"country"_s, u"city"_s},
                             {{u"NO"_s, u"Oslo"_s}, {u"NO"_s, u"Oslo"_s}, {u"SE"_s, u"Oslo"_s}, {u"SE"_s, u"Lund"_s}});
    const ReportTemplate t = reportWith(
        u"<group name=\"country\" condition='Report.\"country\"'><groupHeader height=\"6\">"_s
        + textItem(u"[Report.\"country\"]"_s)
        + u"</groupHeader></group>"_s
          "<group name=\"city\" condition='Report.\"city\"'><groupFooter height=\"6\">"
        + textItem(u"[Report.\"city\"]: [COUNT()] of [COUNT(Report.\"city\", \"country\")]"_s)
        + u"</groupFooter></group>"_s);
    EXPECT_EQ(allTexts(prepareReport(t, data, std::nullopt, fixedNow)),
              (QStringList{u"NO"_s, u"Oslo: 2 of 2"_s, u"SE"_s, u"Oslo: 1 of 1"_s, u"Lund: 1 of 2"_s}));
}

TEST(ReportGroups, NewPagePerGroupRepeatedHeadersAndPageTotals)
{
    QList<QVariantList> rows;
    for (int i = 0; i < 40; ++i)
        rows << QVariantList{i < 35 ? u"Bergen"_s : u"Oslo"_s, qint64(1)};
    const ReportTemplate t = reportWith(
        u"<pageHeader height=\"6\">"_s + textItem(u"Page sum [SUM(Report.\"amount\")]"_s)
        + u"</pageHeader>"_s
          "<group name=\"city\" condition='Report.\"city\"' newPage=\"1\" repeatHeader=\"1\">"
          "<groupHeader height=\"6\">"
        + textItem(u"City [Report.\"city\"]"_s)
        + u"</groupHeader></group>"_s
          "<masterData height=\"6\">"
        + textItem(u"row"_s)
        + u"</masterData>"_s
          "<pageFooter height=\"6\">"
        + textItem(u"[COUNT()] rows, [SUM(Report.\"amount\")]"_s) + u"</pageFooter>"_s);
    const PreparedReport r = prepareReport(t, ReportDataSet({u"city"_s, u"amount"_s}, rows), std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 3); // 28 Bergen rows, 7 more after the repeated header, then Oslo
    const QList<QStringList> expected{{u"Page sum 28"_s, u"City Bergen"_s, u"28 rows, 28"_s},
                                      {u"Page sum 7"_s, u"City Bergen"_s, u"7 rows, 7"_s},
                                      {u"Page sum 5"_s, u"City Oslo"_s, u"5 rows, 5"_s}};
    for (qsizetype p = 0; p < r.pages.size(); ++p) {
        QStringList texts = allTexts(PreparedReport{r.source, r.styles, r.layout, {r.pages[p]}, r.title, {}});
        texts.removeAll(u"row"_s);
        EXPECT_EQ(texts, expected[p]) << "page " << p + 1;
    }
}

TEST(ReportGroups, KeepTogetherMovesAGroupThatFitsAPageButNotTheRoomLeft)
{
    QList<QVariantList> rows;
    for (int i = 0; i < 45; ++i)
        rows << QVariantList{i < 20 ? u"A"_s : (i < 40 ? u"B"_s : u"C"_s)};
    for (const bool keep : {false, true}) {
        const ReportTemplate t = reportWith(
            u"<group name=\"g\" condition='Report.\"g\"' keepTogether=\"%1\">"_s.arg(keep ? 1 : 0)
            + u"<groupHeader height=\"6\">"_s + textItem(u"Group [Report.\"g\"]"_s)
            + u"</groupHeader></group>"_s
              "<masterData height=\"6\">"
            + textItem(u"row"_s) + u"</masterData>"_s);
        const PreparedReport r = prepareReport(t, ReportDataSet({u"g"_s}, rows), std::nullopt, fixedNow);
        // A takes 126 of 190 mm; B needs as much again.
        const QString firstOnPage2 = r.pages.value(1).items.value(0).text;
        EXPECT_EQ(firstOnPage2, keep ? u"Group B"_s : u"row"_s) << keep;
        EXPECT_EQ(allTexts(r).count(u"Group C"_s), 1); // C follows B on page 2 either way
    }
}

TEST(ReportGroups, HighlightsAndPrintIfStyleAndHideItemsAndBands)
{
    const ReportTemplate t = reportWith(
        u"<masterData height=\"6\" printIf='Report.\"name\" &lt;&gt; \"B\"'>"_s
        "<text x=\"0\" y=\"0\" w=\"50\" h=\"6\" fill=\"#EEEEEE\" border=\"0.3\">[Report.\"name\"]"
        "<highlight if='Report.\"amount\" &gt;= 10' colour=\"#C00000\" bold=\"1\"/></text>"
        + textItem(u"small"_s, u"printIf='Report.\"amount\" &lt; 10'"_s) + u"</masterData>"_s);
    const PreparedReport r = prepareReport(t, sales(), std::nullopt, fixedNow);
    EXPECT_EQ(allTexts(r), (QStringList{u"A"_s, u"C"_s, u"small"_s, u"D"_s, u"small"_s, u"E"_s, u"small"_s}));
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
    db.setDatabase(folder.file(u"orders.db"_s));
    db.open();
    db.execute(u"CREATE TABLE orders (id INTEGER PRIMARY KEY, number TEXT)"_s);
    db.execute(
        u"CREATE TABLE lines (id INTEGER PRIMARY KEY, id_orders INTEGER, product TEXT, quantity INTEGER, price REAL)"_s);
    db.execute(u"INSERT INTO orders VALUES (1, 'A-1'), (2, 'A-2'), (3, 'A''3')"_s);
    db.execute(
        u"INSERT INTO lines VALUES (1, 1, 'Engine', 1, 1200.5), (2, 1, 'Cards', 500, 0.25), (3, 3, 'Gear', 2, 3)"_s);
    const ReportTemplate t = reportWith(
        u"<masterData height=\"6\">"_s + textItem(u"Order [Report.\"number\"]"_s)
        + u"</masterData>"_s
          "<detail name=\"Lines\" sql=\"SELECT product, quantity * price AS amount FROM lines "
          "WHERE id_orders = :id AND product &lt;&gt; ':id' ORDER BY id\">"
          "<detailData height=\"6\">"
        + textItem(u"[Line#]. [Lines.\"product\"] [Lines.\"amount\"] [Report.\"number\"]"_s)
        + u"</detailData>"_s
          "<detailFooter height=\"6\">"
        + textItem(u"[COUNT()] lines"_s) + textItem(u"Total [SUM(Lines.\"amount\")]"_s, u"format=\"number:#,##0.00\""_s)
        + u"</detailFooter>"_s
          "</detail>");
    SqlQuery master = db.query(u"SELECT id, number FROM orders ORDER BY id"_s);
    ReportDataSet data;
    data.connect(master);
    EXPECT_EQ(allTexts(prepareReport(t, data, std::nullopt, fixedNow)),
              (QStringList{u"Order A-1"_s, u"1. Engine 1200.5 A-1"_s, u"2. Cards 125 A-1"_s, u"2 lines"_s,
                           u"Total 1,325.50"_s, u"Order A-2"_s, u"0 lines"_s,
                           u"Total 0.00"_s, // no lines: the order still prints
                           u"Order A'3"_s, u"1. Gear 6 A'3"_s, u"1 lines"_s, u"Total 6.00"_s}));
}

TEST(ReportGroups, BadTemplatesNameTheTemplateLineAndItem)
{
    ReportDataSet data = sales();
    const struct {
        const char *bands;
        const char *message;
    } cases[] = {
        {"<masterData>\n<text>[FOO(1)]</text></masterData>",
         "Report template \"test.trp\", line 4: unknown function FOO"},
        {"<masterData>\n<text>[IIF(1, 2)]</text></masterData>", "line 4: IIF takes 3 argument(s), not 2"},
        {"<masterData>\n<text printIf=\"nobody = 1\">x</text></masterData>",
         "line 4: \"nobody = 1\" names something the report lacks"},
        {"<masterData>\n<text>[SUM(1, \"region\")]</text></masterData>", "line 4: no group is named \"region\""},
        {"<variable name=\"a\" expression=\"b + 1\"/>\n<variable name=\"b\" expression=\"a * 2\"/>",
         "the variables a -> b -> a refer to each other in a cycle"},
        {"<group name=\"g\" condition='Report.\"ctiy\"'/>",
         "line 3: group \"g\" is on the field \"ctiy\" that data set \"Report\" lacks"},
        {"<detail name=\"Lines\" sql=\"SELECT 1\"/>\n<masterData/>",
         "line 3: the query of detail \"Lines\" failed: there is no database connection"},
        {"<detail name=\"Lines\" sql=\"SELECT :nope\"/>\n<masterData/>",
         "has no field \"nope\" for the parameter :nope"},
        // found while reading the file
        {"<groupHeader/>", "line 3: unknown element <groupHeader>"},
        {"<group name=\"g\" condition=\"1\"><masterData/></group>", "unknown element <masterData> in <group>"},
        {"<group condition=\"1\"/>", "<group> needs the attribute name"},
        {"<masterData>\n<text format=\"money\">x</text></masterData>", "line 4: unknown format \"money\""},
        {"<pageHeader columns=\"2\"/>", "line 3: columns is a whole number of <masterData>"},
        {"<masterData columns=\"2.5\"/>", "line 3: columns is a whole number of <masterData>"},
        {"<masterData columns=\"0\"/>", "attribute columns=\"0\" of <masterData> is not a number from 1 to 100"},
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

TEST(ReportGroups, AMultiColumnBandPutsRowsSideBySideAcrossThePageLikeLabels)
{
    // A5 leaves 128 mm between the margins: three columns of 42.67 mm. Row "E" grows to two lines,
    // so the line it is in is taller; the footer starts below the last, partly filled line.
    ReportDataSet data = sales();
    data = ReportDataSet(data.columns(), {{u"Bergen"_s, u"A"_s, 1},
                                          {u"Bergen"_s, u"B"_s, 2},
                                          {u"Bergen"_s, u"C"_s, 3},
                                          {u"Oslo"_s, u"D"_s, 4},
                                          {u"Oslo"_s, u"E E E E E E E E E E E E"_s, 5}});
    const ReportTemplate tpl = reportWith(
        u"<masterData height=\"10\" columns=\"3\"><text x=\"1\" y=\"0\" w=\"20\" h=\"5\" grow=\"1\">[Report.\"name\"]</text>"
        "</masterData><summary height=\"6\">"_s
        + textItem(u"[COUNT()] labels"_s) + u"</summary>"_s);
    const PreparedReport r = prepareReport(tpl, data, std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 1);
    QList<QPointF> cells;
    double labelsTop = 0;
    for (const PreparedItem &item : r.pages[0].items) {
        if (item.band == BandType::MasterData)
            cells << QPointF(std::round(item.rect.x() * 100) / 100, item.rect.y());
        else if (item.text == u"5 labels"_s)
            labelsTop = item.rect.y();
    }
    const double w = 128.0 / 3;
    EXPECT_EQ(cells, (QList<QPointF>{{1, 0},
                                     {std::round((1 + w) * 100) / 100, 0},
                                     {std::round((1 + 2 * w) * 100) / 100, 0},
                                     {1, 10},
                                     {std::round((1 + w) * 100) / 100, 10}}));
    EXPECT_GT(labelsTop, 20); // below the grown "E E ..." label, not at 20
    const ReportTemplate reread = ReportTemplate::fromXml(tpl.toXml(), u"again.trp"_s);
    EXPECT_EQ(reread.band(BandType::MasterData)->columns, 3);
}

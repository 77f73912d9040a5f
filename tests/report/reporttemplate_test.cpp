#include "reporttestdata.h"

#include "platform/errors.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

TEST(ReportTemplate, SavedTemplateLoadsBackUnchanged)
{
    ReportTemplate t = listTemplate();
    ReportItem picture;
    picture.kind = ItemKind::Image;
    picture.rect = QRectF(1, 2, 30, 20);
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    picture.image = image;
    picture.png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
    t.band(BandType::ReportTitle)->items << picture;
    t.page.orientation = QPageLayout::Landscape;
    t.page.size = QPageSize(QSizeF(100, 150), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);

    const ProjectFolder folder;
    t.save(folder.file(u"copy.trp"_s));
    const ReportTemplate back = ReportTemplate::load(folder.file(u"copy.trp"_s));
    EXPECT_EQ(back.toXml(), t.toXml());
    EXPECT_EQ(back.title, u"Customer list"_s);
    EXPECT_EQ(back.page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(back.page.size.size(QPageSize::Millimeter), QSizeF(100, 150));
    const ReportItem &name = back.band(BandType::MasterData)->items[1];
    EXPECT_EQ(name.text, u"[Report.\"name\"]"_s);
    EXPECT_TRUE(name.grow);
    EXPECT_EQ(back.band(BandType::PageHeader)->items[2].align, Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(back.band(BandType::Summary)->items[0].fill, QColor("#eeeeee"));
    EXPECT_FALSE(back.band(BandType::ReportTitle)->items.last().image.isNull());
}

TEST(ReportTemplate, GroupsDetailVariablesAndStylesSurviveSaving)
{
    const QByteArray xml = R"(<report>
  <variable name="net" expression='Report."amount" * 0.8'/>
  <group name="city" condition='Report."city"' keepTogether="1" newPage="1" repeatHeader="1">
    <groupHeader height="7" printIf="COUNT() &gt; 1"><text x="0" y="0" w="50" h="6">[Report."city"]</text></groupHeader>
    <groupFooter height="5" pageBreakAfter="1"/>
  </group>
  <masterData height="6">
    <text x="0" y="0" w="50" h="6" fill="#EEEEEE" border="0.3" borderColour="#FF0000" format="number:#,##0.00" printIf="net &gt; 0">[net]<highlight if="net &gt; 100" colour="#C00000" bold="1"/><highlight if="net &lt; 0" fill="#FFEEEE"/></text>
  </masterData>
  <detail name="Lines" sql="SELECT * FROM lines WHERE id_orders = :id">
    <detailData height="5"><text x="0" y="0" w="50" h="5">[Lines."product"]</text></detailData>
    <detailFooter height="5"/>
  </detail>
</report>)";
    const ReportTemplate t = ReportTemplate::fromXml(xml, u"t.trp"_s);
    ASSERT_EQ(t.groups.size(), 1);
    EXPECT_TRUE(t.groups[0].keepTogether && t.groups[0].newPage && t.groups[0].repeatHeader);
    EXPECT_EQ(t.groups[0].header->printIf, u"COUNT() > 1"_s);
    EXPECT_TRUE(t.groups[0].footer->pageBreakAfter);
    const ReportItem &item = t.band(BandType::MasterData)->items[0];
    EXPECT_EQ(item.text, u"[net]"_s);
    EXPECT_EQ(item.line, 8);
    EXPECT_EQ(item.highlights.size(), 2);
    EXPECT_EQ(item.highlights[1].fill, QColor("#FFEEEE"));
    EXPECT_FALSE(item.highlights[1].bold.has_value());
    EXPECT_EQ(item.format, u"number:#,##0.00"_s);
    ASSERT_TRUE(t.detail && t.detail->data && !t.detail->header);
    EXPECT_EQ(t.detail->sql, u"SELECT * FROM lines WHERE id_orders = :id"_s);
    const ReportTemplate back = ReportTemplate::fromXml(t.toXml(), u"back.trp"_s);
    EXPECT_EQ(back.toXml(), t.toXml());
    EXPECT_EQ(back.band(BandType::MasterData)->items[0].text, u"[net]"_s);
    EXPECT_EQ(back.variables.size(), 1);
}

TEST(ReportTemplate, BadTemplatesNameTheProblem)
{
    const struct {
        const char *xml;
        const char *problem;
    } cases[] = {
        {"", "the file is empty"},
        {"  \n", "the file is empty"},
        {"this is not xml", "not valid XML"},
        {"<report><masterData>", "not valid XML"},
        {"<form/>", "the root element is <form>"},
        {"<report><crosstab/></report>", "unknown element <crosstab>"},
        {"<report><masterData><circle/></masterData></report>", "unknown item <circle>"},
        {"<report><masterData/><masterData/></report>", "band <masterData> appears twice"},
        {"<report><masterData height=\"abc\"/></report>", "height=\"abc\""},
        {"<report><masterData height=\"1e300\"/></report>", "height=\"1e300\""},
        {"<report><masterData height=\"nan\"/></report>", "height=\"nan\""},
        {"<report><page size=\"100000x5\"/></report>", "page size \"100000x5\""},
        {"<report><page left=\"500\"/></report>", "left=\"500\""},
        {"<report><pageHeader><text size=\"100000\"/></pageHeader></report>", "size=\"100000\""},
        {"<report><pageHeader><text colour=\"red\"/></pageHeader></report>", "colour=\"red\""},
        {"<report><pageHeader><text bold=\"yes\"/></pageHeader></report>", "bold=\"yes\""},
        {"<report><pageHeader><text align=\"middle\"/></pageHeader></report>", "align=\"middle\""},
        {"<report><summary><image>AAAA</image></summary></report>", "cannot be decoded"},
    };
    for (const auto &tc : cases) {
        try {
            ReportTemplate::fromXml(tc.xml, u"bad.trp"_s);
            ADD_FAILURE() << "accepted: " << tc.xml;
        } catch (const ParseError &e) {
            EXPECT_TRUE(e.message().startsWith(u"Report template \"bad.trp\": "_s)) << e.what();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(tc.problem))) << e.what();
        }
    }
}

// A declared encoding can decode to a lone surrogate, which a saved template could not keep.
TEST(ReportTemplate, TextThatIsNoUnicodeIsRefused)
{
    const QString utf16 = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>"
                                         "<report><summary><text>a%1b</text></summary></report>")
                              .arg(QChar(0xD800));
    const QByteArray documents[] = {
        QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2),
        "<?xml version=\"1.0\" encoding=\"UTF-7\"?><report title=\"a+2222-b\"/>",
    };
    for (const QByteArray &xml : documents) {
        try {
            ReportTemplate::fromXml(xml, u"bad.trp"_s);
            ADD_FAILURE() << "accepted: " << xml.toStdString();
        } catch (const ParseError &e) {
            EXPECT_TRUE(e.message().contains(u"a character that is no Unicode"_s)) << e.what();
        }
    }
}

TEST(ReportTemplate, MissingFileIsAFileErrorWithThePath)
{
    try {
        ReportTemplate::load(u"/nonexistent/x.trp"_s);
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_EQ(e.message(), u"Report template not found: /nonexistent/x.trp"_s);
    }
}

TEST(ReportTemplate, ListsFieldsTheDataSetLacks)
{
    ReportTemplate t = listTemplate();
    ReportItem photo;
    photo.kind = ItemKind::Image;
    photo.field = u"photo"_s;
    t.band(BandType::MasterData)->items << photo;
    const ReportDataSet data({u"NAME"_s}, {});
    EXPECT_EQ(t.missingFields(data), (QStringList{u"balance"_s, u"photo"_s}));
}

TEST(ReportTemplate, TableLayoutPrintsEveryColumn)
{
    const ReportDataSet data = customers(3);
    const ReportTemplate t = ReportTemplate::tableLayout(data, u"Customers"_s);
    const PreparedReport r = prepareReport(t, data, std::nullopt, fixedNow);
    ASSERT_EQ(r.pages.size(), 1);
    EXPECT_EQ(textsOf(r.pages[0], BandType::ReportTitle), QStringList{u"Customers"_s});
    EXPECT_EQ(textsOf(r.pages[0], BandType::PageHeader), (QStringList{u"id"_s, u"name"_s, u"balance"_s}));
    EXPECT_EQ(textsOf(r.pages[0], BandType::MasterData).mid(3, 3), (QStringList{u"2"_s, u"Customer 2"_s, u"3"_s}));
    EXPECT_EQ(textsOf(r.pages[0], BandType::PageFooter), QStringList{u"Page 1 of 1"_s});
    EXPECT_TRUE(t.missingFields(data).isEmpty());
}

TEST(ReportTemplate, EditingACopysBandsLeavesTheOriginalAlone)
{
    const ReportTemplate original = listTemplate();
    ReportTemplate copy = original;
    copy.band(BandType::MasterData)->items[0].rect.moveLeft(5);
    copy.addBand(BandType::Summary).items.clear();
    EXPECT_EQ(original.band(BandType::MasterData)->items[0].rect.x(), 0);
    EXPECT_EQ(original.band(BandType::Summary)->items.size(), 2);
}

TEST(ReportTemplate, ADetachedCopyLeavesTheOriginalsItemsWhereCallersPointAtThem)
{
    ReportTemplate live = listTemplate();
    live.groups.append(ReportGroup{u"g"_s, u"[name]"_s, false, false, false, 0, ReportBand{}, std::nullopt});
    ReportTemplate snapshot = live;
    snapshot.detach();
    const ReportItem *item = &live.band(BandType::MasterData)->items[0];
    const ReportBand *groupHeader = &*live.groups[0].header;
    live.band(BandType::MasterData)->items[0].rect.moveLeft(5);
    live.groups[0].header->height = 12;
    EXPECT_EQ(&live.band(BandType::MasterData)->items[0], item);
    EXPECT_EQ(&*live.groups[0].header, groupHeader);
    EXPECT_EQ(snapshot.band(BandType::MasterData)->items[0].rect.x(), 0);
}

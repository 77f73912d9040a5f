// Prepared reports saved to a file and shown again without their data; damaged files.
#include "reporttestdata.h"

#include "platform/errors.h"
#include "report/reportexport.h"
#include "report/reportfile.h"
#include "report/reportpainter.h"
#include "report/reportpreview.h"
#include "support/scriptedinteraction.h"

#include <QAction>
#include <QBuffer>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QTreeWidget>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

// The regions report with a picture in its title.
PreparedReport regionsReport()
{
    ReportTemplate t = regionsTemplate();
    ReportItem picture;
    picture.kind = ItemKind::Image;
    picture.rect = QRectF(110, 0, 18, 10);
    picture.image = QImage(8, 4, QImage::Format_RGB32);
    picture.image.fill(QColor(0, 160, 80));
    QBuffer png(&picture.png);
    png.open(QIODevice::WriteOnly);
    picture.image.save(&png, "PNG");
    t.band(BandType::ReportTitle)->items << picture;
    return prepareReport(t, regionCustomers(3), std::nullopt, fixedNow);
}

QImage rendered(const PreparedPage &page)
{
    QImage image(560, 800, QImage::Format_RGB32);
    image.setDotsPerMeterX(4000); // about 100 dpi
    image.setDotsPerMeterY(4000);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page);
    return image;
}

void expectSamePages(const PreparedReport &a, const PreparedReport &b)
{
    ASSERT_EQ(a.pages.size(), b.pages.size());
    for (qsizetype i = 0; i < a.pages.size(); ++i)
        EXPECT_TRUE(rendered(a.pages[i]) == rendered(b.pages[i])) << "page " << i + 1;
}

// A file of the current format around `payload`.
QByteArray fileAround(const QByteArray &payload)
{
    const quint32 statedSize = quint32(payload.size());
    QByteArray out = "TarvoRpt";
    const quint16 version = qToBigEndian(quint16(1));
    const quint32 size = qToBigEndian(statedSize);
    out.append(reinterpret_cast<const char *>(&version), 2);
    out.append(reinterpret_cast<const char *>(&size), 4);
    return out + qCompress(payload).mid(4); // qCompress puts the size before the zlib stream
}

// Payload pieces, big-endian as the format has them.
QByteArray u32(quint32 v)
{
    v = qToBigEndian(v);
    return QByteArray(reinterpret_cast<const char *>(&v), 4);
}
QByteArray f64(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    bits = qToBigEndian(bits);
    return QByteArray(reinterpret_cast<const char *>(&bits), 8);
}
QByteArray text(const QByteArray &utf8)
{
    return u32(quint32(utf8.size())) + utf8;
}
// An A4 portrait page with 10 mm margins.
QByteArray a4()
{
    return f64(210) + f64(297) + QByteArray(1, 0) + f64(10) + f64(10) + f64(10) + f64(10);
}
// Title, page and no template.
QByteArray head()
{
    return text("T") + a4() + text("");
}
QByteArray oneStyle()
{
    return u32(1) + QByteArray(1, 0) + text("Arial") + f64(10) + QByteArray(3, 0) + QByteArray(15, 0) + f64(0) + u32(0)
           + QByteArray(1, 1) + f64(0.2);
}
QByteArray item(quint32 style, double x)
{
    return u32(style) + QByteArray(1, 2) + u32(0) + f64(x) + f64(0) + f64(10) + f64(5) + text("x") + u32(0)
           + QByteArray(1, 0);
}

} // namespace

TEST(ReportFile, SavedReportReadsBackWithTheSamePagesOutlineAndExports)
{
    const ProjectFolder folder;
    const PreparedReport original = regionsReport();
    const QString path = folder.file(u"regions.tpr"_s);
    savePreparedReport(original, path);
    const PreparedReport loaded = loadPreparedReport(path);

    EXPECT_EQ(loaded.title, original.title);
    EXPECT_TRUE(loaded.layout.isEquivalentTo(original.layout));
    EXPECT_EQ(loaded.layout.pageSize().id(), QPageSize::A5);
    expectSamePages(original, loaded);
    ASSERT_EQ(loaded.outline.size(), original.outline.size());
    for (qsizetype i = 0; i < loaded.outline.size(); ++i) {
        EXPECT_EQ(loaded.outline[i].text, original.outline[i].text);
        EXPECT_EQ(std::tuple(loaded.outline[i].level, loaded.outline[i].page, loaded.outline[i].y),
                  std::tuple(original.outline[i].level, original.outline[i].page, original.outline[i].y));
    }
    // Typed numbers and the columns of the spreadsheet come back too.
    exportSpreadsheetXml(original, folder.file(u"original.xml"_s));
    exportSpreadsheetXml(loaded, folder.file(u"loaded.xml"_s));
    EXPECT_EQ(folder.read(u"loaded.xml"_s), folder.read(u"original.xml"_s));
    EXPECT_EQ(preparedReportBytes(loaded), preparedReportBytes(original));
}

TEST(ReportFile, DamagedForeignAndHostileFilesAreParseErrorsNamingTheProblem)
{
    const QByteArray good = preparedReportBytes(regionsReport());
    QByteArray newer = good;
    newer[9] = 2;
    QByteArray huge = good;
    huge.replace(10, 4, u32(0xFFFFFFFF));
    QByteArray understated = good;
    understated.replace(10, 4, u32(qFromBigEndian<quint32>(good.constData() + 10) - 1));
    const QByteArray page = u32(1) + u32(1);
    const struct {
        const char *name;
        QByteArray bytes;
        const char *problem;
    } cases[] = {
        {"empty", {}, "the file is empty"},
        {"foreign", "PK\x03\x04 a zip archive", "no saved Tarvo report"},
        {"header cut", good.left(11), "ends early"},
        {"newer format", newer, "format 2"},
        {"stated size beyond any report", huge, "more than a report can have"},
        {"stream cut", good.left(good.size() / 2), "ends early"},
        {"bytes after the stream", good + "xyz", "unknown data follows"},
        {"stream inflating beyond its stated size", understated, "holds more than it states"},
        {"stream of garbage", good.left(14) + QByteArray(64, 'x'), "damaged"},
        {"huge style count", fileAround(head() + u32(0xFFFFFFFF)), "ends early"},
        {"huge text length", fileAround(u32(0xFFFFFFF0) + "T"), "ends early"},
        {"item with a missing style", fileAround(head() + oneStyle() + page + item(7, 0) + u32(0)), "missing style 7"},
        {"position not a number", fileAround(head() + oneStyle() + page + item(0, qQNaN()) + u32(0)), "out of range"},
        {"outline past the pages",
         fileAround(head() + oneStyle() + page + item(0, 0) + u32(1) + text("G") + u32(0) + u32(1) + f64(0)),
         "points past the pages"},
        {"template that is no template", fileAround(text("T") + a4() + text("<nope/>")), "template is damaged"},
    };
    for (const auto &c : cases) {
        try {
            preparedReportFromBytes(c.bytes, u"saved.tpr"_s);
            ADD_FAILURE() << c.name << ": read without error";
        } catch (const ParseError &e) {
            EXPECT_TRUE(e.message().startsWith(u"Saved report \"saved.tpr\": "_s)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.problem))) << c.name << ": " << e.message().toStdString();
        }
    }
}

TEST(ReportFile, MissingOrUnwritableFilesAreFileErrors)
{
    const ProjectFolder folder;
    EXPECT_THROW(loadPreparedReport(folder.file(u"none.tpr"_s)), FileError);
    EXPECT_THROW(savePreparedReport(regionsReport(), folder.file(u"no/such/folder/r.tpr"_s)), FileError);
}

TEST(ReportFile, PreviewSavesAndOpensReportsAndShowsADamagedFileAsAnError)
{
    ScriptedInteraction ui;
    const ProjectFolder folder;
    const PreparedReport regions = regionsReport();
    savePreparedReport(regions, folder.file(u"regions.tpr"_s));
    folder.write(u"damaged.tpr"_s, preparedReportBytes(regions).left(200));

    const ReportTemplate list = listTemplate();
    const ReportDataSet data = customers(40);
    ReportPreview preview(prepareReport(list, data, std::nullopt, fixedNow), [&](std::optional<QPageLayout> layout) {
        return prepareReport(list, data, layout, fixedNow);
    });
    ui.expectSaveFile(folder.file(u"list.tpr"_s));
    preview.action(u"save"_s)->trigger();
    expectSamePages(loadPreparedReport(folder.file(u"list.tpr"_s)), preview.report());

    ui.expectOpenFile(folder.file(u"damaged.tpr"_s));
    ui.expectMessage();
    preview.action(u"open"_s)->trigger();
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_TRUE(ui.messages()[0].text.contains(u"damaged.tpr"_s));
    EXPECT_EQ(preview.report().title, list.title); // still the report it showed

    ui.expectOpenFile(folder.file(u"regions.tpr"_s));
    preview.action(u"open"_s)->trigger();
    expectSamePages(preview.report(), regions);
    EXPECT_EQ(preview.view()->pageCount(), regions.pages.size());
    EXPECT_EQ(preview.currentPage(), 1);
    EXPECT_EQ(preview.outline()->topLevelItemCount(), 3);
    EXPECT_EQ(preview.windowTitle(), u"Preview - Customers by region"_s);
    EXPECT_FALSE(preview.action(u"pageSetup"_s)->isEnabled()); // no data to lay it out again
}

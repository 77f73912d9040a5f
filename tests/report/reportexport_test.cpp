#include "reporttestdata.h"

#include "platform/errors.h"
#include "report/reportengine.h"
#include "report/reportexport.h"
#include "report/reportpainter.h"
#include "schema/sqlconnection.h"
#include "support/externaltool.h"

#include <QDomDocument>
#include <QMap>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

QString run(const QString &program, const QStringList &args)
{
    return QString::fromUtf8(runTool(program, args));
}

QDomDocument parsed(const QByteArray &xml)
{
    QDomDocument doc;
    QString error;
    int line = 0;
    EXPECT_TRUE(doc.setContent(xml, true, &error, &line)) << error.toStdString() << " at " << line;
    return doc;
}

ReportDataSet awkwardCustomers()
{
    return ReportDataSet({u"id"_s, u"name"_s, u"balance"_s}, {{qint64(1), u"A <b>&amp;</b> \"q\""_s, 10.25},
                                                              {qint64(2), u"bell\x07here"_s, QVariant()},
                                                              {qint64(3), u"line\nbreak"_s, qint64(-4)}});
}

} // namespace

TEST(ReportExport, PdfHoldsEveryPageTextAndTheTitle)
{
    const ProjectFolder folder;
    const PreparedReport r = prepareReport(listTemplate(), customers(40), std::nullopt, fixedNow);
    exportPdf(r, folder.file(u"out.pdf"_s));
    const QString text = run(u"pdftotext"_s, {u"-layout"_s, folder.file(u"out.pdf"_s), u"-"_s});
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(u"Customer list"_s));
    EXPECT_TRUE(pages[0].contains(u"Customer 15"_s));
    EXPECT_FALSE(pages[0].contains(u"Customer 16"_s));
    EXPECT_TRUE(pages[1].contains(u"Customer 16"_s));
    EXPECT_TRUE(pages[2].contains(u"Customers: 40"_s));
    EXPECT_TRUE(pages[2].contains(u"Page 3 of 3"_s));
    const QString info = run(u"pdfinfo"_s, {folder.file(u"out.pdf"_s)});
    EXPECT_TRUE(info.contains(QRegularExpression(u"Title:\\s+Customer list"_s))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(u"Page size:\\s+420 x 595 pts \\(A5\\)"_s))) << info.toStdString();
}

TEST(ReportExport, PdfToAnUnwritablePlaceIsAFileError)
{
    const PreparedReport r = prepareReport(listTemplate(), customers(1));
    EXPECT_THROW(exportPdf(r, u"/nonexistent/folder/out.pdf"_s), FileError);
    EXPECT_THROW(exportHtml(r, u"/nonexistent/folder/out.html"_s), FileError);
    EXPECT_THROW(exportSpreadsheetXml(r, u"/nonexistent/folder/out.xml"_s), FileError);
}

TEST(ReportExport, HtmlHasAPageDivPerPageWithEscapedPositionedTexts)
{
    ReportTemplate t = listTemplate();
    ReportItem picture;
    picture.kind = ItemKind::Image;
    picture.rect = QRectF(0, 0, 10, 10);
    picture.image = QImage(2, 2, QImage::Format_RGB32);
    t.band(BandType::Summary)->items << picture;
    const PreparedReport r = prepareReport(t, awkwardCustomers(), std::nullopt, fixedNow);
    const QDomDocument doc = parsed(htmlDocument(r));

    QList<QDomElement> pages;
    const QDomNodeList divs = doc.elementsByTagName(u"div"_s);
    for (int i = 0; i < divs.size(); ++i)
        if (divs.at(i).toElement().attribute(u"class"_s) == u"page"_s)
            pages << divs.at(i).toElement();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].attribute(u"style"_s), u"width:148.00mm;height:210.00mm"_s);
    EXPECT_TRUE(doc.elementsByTagName(u"style"_s).at(0).toElement().text().contains(u"page-break-after:always"_s));

    QStringList texts;
    QString nameStyle;
    for (QDomElement d = pages[0].firstChildElement(u"div"_s); !d.isNull(); d = d.nextSiblingElement(u"div"_s)) {
        texts << d.text();
        if (d.text().startsWith(u"A <b>"_s))
            nameStyle = d.attribute(u"style"_s);
    }
    EXPECT_TRUE(texts.contains(u"A <b>&amp;</b> \"q\""_s));
    EXPECT_TRUE(texts.contains(u"line\nbreak"_s));
    // Position includes the 10 mm margins: x 15 mm in the band, first row below title and header.
    EXPECT_TRUE(nameStyle.startsWith(u"left:25.00mm;top:38.00mm;width:60.00mm;"_s)) << nameStyle.toStdString();
    const QDomElement img = pages[0].firstChildElement(u"img"_s);
    EXPECT_TRUE(img.attribute(u"src"_s).startsWith(u"data:image/png;base64,iVBOR"_s));
    EXPECT_EQ(pages[0].elementsByTagName(u"line"_s).size(), 1);
}

TEST(ReportExport, SpreadsheetHasHeaderThenOneTypedRowPerDataRow)
{
    const ProjectFolder folder;
    ReportTemplate t = listTemplate();
    t.title = u"Customers: [all]/2026?"_s;
    const PreparedReport r = prepareReport(t, awkwardCustomers(), std::nullopt, fixedNow);
    exportSpreadsheetXml(r, folder.file(u"out.xml"_s));
    const QByteArray bytes = folder.read(u"out.xml"_s);
    EXPECT_TRUE(bytes.contains("<?mso-application progid=\"Excel.Sheet\"?>"));
    EXPECT_FALSE(bytes.contains("ExpandedRowCount"));

    const QString ss = u"urn:schemas-microsoft-com:office:spreadsheet"_s;
    const QDomDocument doc = parsed(bytes);
    const QDomElement workbook = doc.documentElement();
    EXPECT_EQ(workbook.namespaceURI(), ss);
    EXPECT_EQ(workbook.localName(), u"Workbook"_s);
    EXPECT_EQ(workbook.elementsByTagNameNS(ss, u"Styles"_s).size(), 1);
    const QDomNodeList sheets = workbook.elementsByTagNameNS(ss, u"Worksheet"_s);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets.at(0).toElement().attributeNS(ss, u"Name"_s), u"Customers all2026"_s);
    EXPECT_EQ(workbook.elementsByTagNameNS(ss, u"Column"_s).size(), 3);

    QList<QStringList> rows;
    QStringList types;
    const QDomNodeList rowNodes = workbook.elementsByTagNameNS(ss, u"Row"_s);
    for (int i = 0; i < rowNodes.size(); ++i) {
        QStringList cells;
        const QDomNodeList data = rowNodes.at(i).toElement().elementsByTagNameNS(ss, u"Data"_s);
        for (int c = 0; c < data.size(); ++c) {
            cells << data.at(c).toElement().text();
            if (i == 1)
                types << data.at(c).toElement().attributeNS(ss, u"Type"_s);
        }
        rows << cells;
    }
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], (QStringList{u"No."_s, u"Name"_s, u"Balance"_s}));
    EXPECT_EQ(rows[1], (QStringList{u"1"_s, u"A <b>&amp;</b> \"q\""_s, u"10.25"_s}));
    EXPECT_EQ(types, (QStringList{u"String"_s, u"String"_s, u"Number"_s}));
    EXPECT_EQ(rows[2], (QStringList{u"2"_s, u"bellhere"_s, u""_s})); // control character dropped
    EXPECT_EQ(rows[3], (QStringList{u"3"_s, u"line\nbreak"_s, u"-4"_s}));
}

TEST(ReportExport, SpreadsheetCellsKeepTheFillsAndFramesOfTheirTexts)
{
    const ProjectFolder folder;
    exportSpreadsheetXml(prepareReport(regionsTemplate(), regionCustomers(1), std::nullopt, fixedNow),
                         folder.file(u"out.xml"_s));
    const QString ss = u"urn:schemas-microsoft-com:office:spreadsheet"_s;
    QDomDocument doc = parsed(folder.read(u"out.xml"_s));

    // Each style as "Bold Interior Borders" of its parts, by ID.
    QMap<QString, QString> styles;
    const QDomNodeList styleNodes = doc.elementsByTagNameNS(ss, u"Style"_s);
    for (int i = 0; i < styleNodes.size(); ++i) {
        const QDomElement style = styleNodes.at(i).toElement();
        QStringList parts;
        const QDomElement font = style.firstChildElement(u"Font"_s);
        if (!font.isNull())
            parts << u"bold="_s + font.attributeNS(ss, u"Bold"_s);
        const QDomElement interior = style.firstChildElement(u"Interior"_s);
        if (!interior.isNull())
            parts << u"fill="_s + interior.attributeNS(ss, u"Color"_s) + u'/' + interior.attributeNS(ss, u"Pattern"_s);
        const QDomNodeList borders = style.elementsByTagNameNS(ss, u"Border"_s);
        for (int b = 0; b < borders.size(); ++b) {
            const QDomElement border = borders.at(b).toElement();
            parts << u"%1=%2/%3/%4"_s.arg(border.attributeNS(ss, u"Position"_s), border.attributeNS(ss, u"LineStyle"_s),
                                          border.attributeNS(ss, u"Weight"_s), border.attributeNS(ss, u"Color"_s));
        }
        styles.insert(style.attributeNS(ss, u"ID"_s), parts.join(u' '));
    }
    const QDomNodeList rows = doc.elementsByTagNameNS(ss, u"Row"_s);
    ASSERT_EQ(rows.size(), 1 + 18);
    auto styleOfCell = [&](int row, int cell) {
        const QDomElement c = rows.at(row).toElement().elementsByTagNameNS(ss, u"Cell"_s).at(cell).toElement();
        return c.hasAttributeNS(ss, u"StyleID"_s) ? styles.value(c.attributeNS(ss, u"StyleID"_s), u"missing"_s)
                                                  : u"plain"_s;
    };
    EXPECT_EQ(styleOfCell(0, 0), u"bold=1"_s);
    EXPECT_EQ(styleOfCell(0, 1), u"bold=1"_s);
    EXPECT_EQ(styleOfCell(1, 0), u"fill=#FFF2CC/Solid"_s);
    EXPECT_EQ(styleOfCell(1, 1), u"Left=Continuous/1/#000000 Top=Continuous/1/#000000 "_s
                                 u"Right=Continuous/1/#000000 Bottom=Continuous/1/#000000"_s);
    EXPECT_EQ(styleOfCell(18, 0), styleOfCell(1, 0));
    EXPECT_EQ(styles.size(), 3); // one style for each distinct look
}

TEST(ReportExport, WorksheetNamesAreLegal)
{
    EXPECT_EQ(worksheetName(u""_s), u"Report"_s);
    EXPECT_EQ(worksheetName(u"[]:*?/\\"_s), u"Report"_s);
    EXPECT_EQ(worksheetName(QString(40, u'x')), QString(31, u'x'));
    EXPECT_EQ(worksheetName(u"Sales: 2026/Q1"_s), u"Sales 2026Q1"_s);
}

namespace {

// The demo's sample data in a fresh database: the tables it uses and the "Add sample data"
// button's statements.
QString demoButtonSql(const QDomDocument &forms, const QString &button)
{
    const QDomNodeList buttons = forms.elementsByTagName(u"TdbButton"_s);
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i).toElement().attribute(u"Name"_s) == button)
            return buttons.at(i).toElement().attribute(u"dbSQL"_s);
    }
    ADD_FAILURE() << "no button " << button.toStdString();
    return {};
}

} // namespace

// The demo's two reports on its sample data, as the PDF a user saves from the preview.
TEST(ReportDemo, CustomerListByCityAndInvoiceWithLinesAndTotal)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const ProjectFolder folder;
    const QString demo = QStringLiteral(TARVO_SOURCE_DIR "/examples/demo/");
    QFile formsFile(demo + u"forms.xml"_s);
    ASSERT_TRUE(formsFile.open(QIODevice::ReadOnly));
    const QDomDocument forms = parsed(formsFile.readAll());
    SqlConnection db;
    db.setDatabase(folder.file(u"demo.db"_s));
    db.open();
    db.execute(u"CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT)"_s);
    db.execute(u"CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT, phone TEXT, email TEXT, birthday TEXT, "_s
               "is_active INTEGER, id_city INTEGER)");
    db.execute(u"CREATE TABLE orders (id INTEGER PRIMARY KEY, id_customers INTEGER, number TEXT, ordered TEXT, "_s
               "paid INTEGER, record_count INTEGER)");
    db.execute(
        u"CREATE TABLE order_lines (id INTEGER PRIMARY KEY, id_orders INTEGER, product TEXT, quantity INTEGER, price REAL)"_s);
    for (const QString &statement : demoButtonSql(forms, u"bSample"_s).split(u"\\r\\n"_s))
        db.execute(statement);

    auto pdfText = [&](const QString &sql, const QString &templateFile) {
        ReportEngine engine;
        SqlQuery rows = db.query(sql);
        engine.dataSet().connect(rows);
        engine.loadTemplate(demo + u"Report/"_s + templateFile);
        exportPdf(engine.prepare(), folder.file(u"out.pdf"_s));
        return run(u"pdftotext"_s, {u"-layout"_s, folder.file(u"out.pdf"_s), u"-"_s}).simplified();
    };
    const QString list = pdfText(demoButtonSql(forms, u"bReport"_s), u"customers.trp"_s);
    for (const char *expected : {"Bergen 1 customer", "Grace Hopper +47 555 0102 grace@example.org", "Oslo 1 customer",
                                 "Ada Lovelace", "САНКТ-ПЕТЕРБУРГ 1 customer", "Customers: 3", "Page 1 of 1"})
        EXPECT_TRUE(list.contains(QString::fromUtf8(expected))) << expected << "\n" << list.toStdString();
    EXPECT_LT(list.indexOf(u"Bergen"_s), list.indexOf(u"Oslo"_s)); // cities in order, each with its customers

    const QString invoice = pdfText(demoButtonSql(forms, u"bInvoice"_s).replace(u"$id"_s, u"1"_s), u"invoice.trp"_s);
    for (const char *expected :
         {"INVOICE No. A-1001", "Date: 11/2/26", "Customer: Ada Lovelace", "1 Analytical engine 1 1,200.50 1,200.50",
          "2 Punched cards 500 0.25 125.00", "Total $1,325.50", "Invoice A-1001 Page 1 of 1"})
        EXPECT_TRUE(invoice.contains(QString::fromUtf8(expected))) << expected << "\n" << invoice.toStdString();
    EXPECT_FALSE(invoice.contains(u"Notes on the engine"_s));
    EXPECT_FALSE(invoice.contains(u"no lines yet"_s));
    QLocale::setDefault(QLocale::c());
}

TEST(ReportExport, HtmlTextsKeepTheirBackgroundAndFrame)
{
    ReportTemplate t = listTemplate();
    ReportItem &name = t.band(BandType::MasterData)->items[1];
    name.fill = QColor("#ffeecc");
    name.border = 0.5;
    name.borderColour = QColor("#0000ff");
    const PreparedReport r = prepareReport(t, customers(1), std::nullopt, fixedNow);
    const QString html = QString::fromUtf8(htmlDocument(r));
    EXPECT_TRUE(html.contains(u"background:#ffeecc;border:0.50mm solid #0000ff;box-sizing:border-box;"_s))
        << html.toStdString();
    EXPECT_EQ(html.count(u"solid #0000ff"_s), 1); // one row, one framed text
}

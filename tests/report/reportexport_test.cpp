#include "reporttestdata.h"

#include "platform/errors.h"
#include "report/reportengine.h"
#include "report/reportexport.h"
#include "report/reportpainter.h"
#include "schema/sqlconnection.h"

#include <QDomDocument>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
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
    return ReportDataSet({"id", "name", "balance"},
                         {{qint64(1), "A <b>&amp;</b> \"q\"", 10.25},
                          {qint64(2), QString("bell\x07here"), QVariant()},
                          {qint64(3), "line\nbreak", qint64(-4)}});
}

} // namespace

TEST(ReportExport, PdfHoldsEveryPageTextAndTheTitle)
{
    const ProjectFolder folder;
    const PreparedReport r = prepareReport(listTemplate(), customers(40), std::nullopt, fixedNow);
    exportPdf(r, folder.file("out.pdf"));
    const QString text = run("pdftotext", {"-layout", folder.file("out.pdf"), "-"});
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains("Customer list"));
    EXPECT_TRUE(pages[0].contains("Customer 15"));
    EXPECT_FALSE(pages[0].contains("Customer 16"));
    EXPECT_TRUE(pages[1].contains("Customer 16"));
    EXPECT_TRUE(pages[2].contains("Customers: 40"));
    EXPECT_TRUE(pages[2].contains("Page 3 of 3"));
    const QString info = run("pdfinfo", {folder.file("out.pdf")});
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Customer list"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+420 x 595 pts \\(A5\\)"))) << info.toStdString();
}

TEST(ReportExport, PdfToAnUnwritablePlaceIsAFileError)
{
    const PreparedReport r = prepareReport(listTemplate(), customers(1));
    EXPECT_THROW(exportPdf(r, "/nonexistent/folder/out.pdf"), FileError);
    EXPECT_THROW(exportHtml(r, "/nonexistent/folder/out.html"), FileError);
    EXPECT_THROW(exportSpreadsheetXml(r, "/nonexistent/folder/out.xml"), FileError);
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
    const QDomNodeList divs = doc.elementsByTagName("div");
    for (int i = 0; i < divs.size(); ++i)
        if (divs.at(i).toElement().attribute("class") == "page")
            pages << divs.at(i).toElement();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].attribute("style"), "width:148.00mm;height:210.00mm");
    EXPECT_TRUE(doc.elementsByTagName("style").at(0).toElement().text().contains("page-break-after:always"));

    QStringList texts;
    QString nameStyle;
    for (QDomElement d = pages[0].firstChildElement("div"); !d.isNull(); d = d.nextSiblingElement("div")) {
        texts << d.text();
        if (d.text().startsWith("A <b>"))
            nameStyle = d.attribute("style");
    }
    EXPECT_TRUE(texts.contains("A <b>&amp;</b> \"q\""));
    EXPECT_TRUE(texts.contains("line\nbreak"));
    // Position includes the 10 mm margins: x 15 mm in the band, first row below title and header.
    EXPECT_TRUE(nameStyle.startsWith("left:25.00mm;top:38.00mm;width:60.00mm;")) << nameStyle.toStdString();
    const QDomElement img = pages[0].firstChildElement("img");
    EXPECT_TRUE(img.attribute("src").startsWith("data:image/png;base64,iVBOR"));
    EXPECT_EQ(pages[0].elementsByTagName("line").size(), 1);
}

TEST(ReportExport, SpreadsheetHasHeaderThenOneTypedRowPerDataRow)
{
    const ProjectFolder folder;
    ReportTemplate t = listTemplate();
    t.title = "Customers: [all]/2026?";
    const PreparedReport r = prepareReport(t, awkwardCustomers(), std::nullopt, fixedNow);
    exportSpreadsheetXml(r, folder.file("out.xml"));
    const QByteArray bytes = folder.read("out.xml");
    EXPECT_TRUE(bytes.contains("<?mso-application progid=\"Excel.Sheet\"?>"));
    EXPECT_FALSE(bytes.contains("ExpandedRowCount"));

    const QString ss = "urn:schemas-microsoft-com:office:spreadsheet";
    const QDomDocument doc = parsed(bytes);
    const QDomElement workbook = doc.documentElement();
    EXPECT_EQ(workbook.namespaceURI(), ss);
    EXPECT_EQ(workbook.localName(), "Workbook");
    EXPECT_EQ(workbook.elementsByTagNameNS(ss, "Styles").size(), 1);
    const QDomNodeList sheets = workbook.elementsByTagNameNS(ss, "Worksheet");
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets.at(0).toElement().attributeNS(ss, "Name"), "Customers all2026");
    EXPECT_EQ(workbook.elementsByTagNameNS(ss, "Column").size(), 3);

    QList<QStringList> rows;
    QStringList types;
    const QDomNodeList rowNodes = workbook.elementsByTagNameNS(ss, "Row");
    for (int i = 0; i < rowNodes.size(); ++i) {
        QStringList cells;
        const QDomNodeList data = rowNodes.at(i).toElement().elementsByTagNameNS(ss, "Data");
        for (int c = 0; c < data.size(); ++c) {
            cells << data.at(c).toElement().text();
            if (i == 1)
                types << data.at(c).toElement().attributeNS(ss, "Type");
        }
        rows << cells;
    }
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], (QStringList{"No.", "Name", "Balance"}));
    EXPECT_EQ(rows[1], (QStringList{"1", "A <b>&amp;</b> \"q\"", "10.25"}));
    EXPECT_EQ(types, (QStringList{"String", "String", "Number"}));
    EXPECT_EQ(rows[2], (QStringList{"2", "bellhere", ""})); // control character dropped
    EXPECT_EQ(rows[3], (QStringList{"3", "line\nbreak", "-4"}));
}

TEST(ReportExport, WorksheetNamesAreLegal)
{
    EXPECT_EQ(worksheetName(""), "Report");
    EXPECT_EQ(worksheetName("[]:*?/\\"), "Report");
    EXPECT_EQ(worksheetName(QString(40, 'x')), QString(31, 'x'));
    EXPECT_EQ(worksheetName("Sales: 2026/Q1"), "Sales 2026Q1");
}

namespace {

// The demo's sample data in a fresh database: the tables it uses and the "Add sample data"
// button's statements.
QString demoButtonSql(const QDomDocument &forms, const QString &button)
{
    const QDomNodeList buttons = forms.elementsByTagName("TdbButton");
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i).toElement().attribute("Name") == button)
            return buttons.at(i).toElement().attribute("dbSQL");
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
    QFile formsFile(demo + "forms.xml");
    ASSERT_TRUE(formsFile.open(QIODevice::ReadOnly));
    const QDomDocument forms = parsed(formsFile.readAll());
    SqlConnection db;
    db.setDatabase(folder.file("demo.db"));
    db.open();
    db.execute("CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT)");
    db.execute("CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT, phone TEXT, email TEXT, birthday TEXT, "
               "is_active INTEGER, id_city INTEGER)");
    db.execute("CREATE TABLE orders (id INTEGER PRIMARY KEY, id_customers INTEGER, number TEXT, ordered TEXT, "
               "paid INTEGER, record_count INTEGER)");
    db.execute("CREATE TABLE order_lines (id INTEGER PRIMARY KEY, id_orders INTEGER, product TEXT, quantity INTEGER, price REAL)");
    for (const QString &statement : demoButtonSql(forms, "bSample").split("\\r\\n"))
        db.execute(statement);

    auto pdfText = [&](const QString &sql, const QString &templateFile) {
        ReportEngine engine;
        SqlQuery rows = db.query(sql);
        engine.dataSet().connect(rows);
        engine.loadTemplate(demo + "Report/" + templateFile);
        exportPdf(engine.prepare(), folder.file("out.pdf"));
        return run("pdftotext", {"-layout", folder.file("out.pdf"), "-"}).simplified();
    };
    const QString list = pdfText(demoButtonSql(forms, "bReport"), "customers.trp");
    for (const char *expected : {"Bergen 1 customer", "Grace Hopper +47 555 0102 grace@example.org", "Oslo 1 customer",
                                 "Ada Lovelace", "САНКТ-ПЕТЕРБУРГ 1 customer", "Customers: 3", "Page 1 of 1"})
        EXPECT_TRUE(list.contains(QString::fromUtf8(expected))) << expected << "\n" << list.toStdString();
    EXPECT_LT(list.indexOf("Bergen"), list.indexOf("Oslo")); // cities in order, each with its customers

    const QString invoice = pdfText(demoButtonSql(forms, "bInvoice").replace("$id", "1"), "invoice.trp");
    for (const char *expected : {"INVOICE No. A-1001", "Date: 11/2/26", "Customer: Ada Lovelace",
                                 "1 Analytical engine 1 1,200.50 1,200.50", "2 Punched cards 500 0.25 125.00",
                                 "Total $1,325.50", "Invoice A-1001 Page 1 of 1"})
        EXPECT_TRUE(invoice.contains(QString::fromUtf8(expected))) << expected << "\n" << invoice.toStdString();
    EXPECT_FALSE(invoice.contains("Notes on the engine"));
    EXPECT_FALSE(invoice.contains("no lines yet"));
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
    EXPECT_TRUE(html.contains("background:#ffeecc;border:0.50mm solid #0000ff;box-sizing:border-box;")) << html.toStdString();
    EXPECT_EQ(html.count("solid #0000ff"), 1); // one row, one framed text
}

#pragma once
// A report template: page setup and up to one band of each type, each holding positioned items.
// Lengths are millimetres, font sizes points. Files are our XML format (docs/report-format.md);
// load() and fromXml() raise FileError / ParseError naming the problem, and bound every size.
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

namespace tarvo {

class ReportDataSet;

enum class BandType { ReportTitle, PageHeader, MasterData, Summary, PageFooter };
enum class ItemKind { Text, Line, Rect, Image };

QString bandTypeName(BandType type); // the XML element name, e.g. "masterData"
const QList<BandType> &allBandTypes(); // in page order

struct ReportItem {
    ItemKind kind = ItemKind::Text;
    QRectF rect;                 // within the band; a line runs from topLeft to bottomRight
    QString text;                // text items: literal text with [expressions]
    QString font = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor colour = Qt::black;
    QColor fill;                 // rectangles; invalid: not filled
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    bool wrap = true;
    bool grow = false;           // the band grows to fit the wrapped text
    double lineWidth = 0.2;      // lines and rectangle borders, mm
    QByteArray png;              // embedded picture (image items), as stored
    QImage image;                // `png` decoded
    QString field;               // image items: BLOB column of the data set

    QFont qfont() const;
};

struct ReportBand {
    BandType type = BandType::MasterData;
    double height = 10;
    QList<ReportItem> items;
};

struct PageSetup {
    QPageSize size{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};

    QPageLayout layout() const;
    void setLayout(const QPageLayout &layout);
};

class ReportTemplate {
public:
    QString title;
    PageSetup page;

    const ReportBand *band(BandType type) const;
    ReportBand *band(BandType type);
    // The existing band when there is one. References to bands last until the next addBand or
    // removeBand.
    ReportBand &addBand(BandType type);
    void removeBand(BandType type);
    const QList<ReportBand> &bands() const { return m_bands; } // in page order

    static ReportTemplate load(const QString &path);
    static ReportTemplate fromXml(const QByteArray &xml, const QString &sourceName);
    QByteArray toXml() const;
    void save(const QString &path) const; // raises FileError

    // Field names the template refers to in `data` that `data` lacks, in order of appearance.
    QStringList missingFields(const ReportDataSet &data) const;

    // A table of all columns: title, captions in the page header, one data row, page numbers
    // in the footer.
    static ReportTemplate tableLayout(const ReportDataSet &data, const QString &title);

private:
    QList<ReportBand> m_bands;
};

} // namespace tarvo

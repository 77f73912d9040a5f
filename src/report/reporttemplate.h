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
#include <optional>

namespace tarvo {

class ReportDataSet;

// The first five are the page's own bands; the others belong to a group or to the detail.
enum class BandType {
    ReportTitle,
    PageHeader,
    MasterData,
    Summary,
    PageFooter,
    GroupHeader,
    GroupFooter,
    DetailHeader,
    DetailData,
    DetailFooter
};
enum class ItemKind { Text, Line, Rect, Image };

QString bandTypeName(BandType type);   // the XML element name, e.g. "masterData"
QString bandCaption(BandType type);    // for people, e.g. "Master data"
const QList<BandType> &allBandTypes(); // the page's own bands, in page order

// Where a band sits in a template: one of the page's own bands, a group's header or footer
// (`group` indexes ReportTemplate::groups) or one of the detail's bands.
struct BandRef {
    BandType type = BandType::MasterData;
    int group = -1;

    BandRef() = default;
    // Implicit: a band type alone names one of the page's own bands or the detail's.
    BandRef(BandType bandType, int groupIndex = -1) : type(bandType), group(groupIndex) {}
    bool operator==(const BandRef &) const = default;
};

// A style that applies while its condition holds.
struct ReportHighlight {
    QString condition;
    QColor colour; // invalid: unchanged
    QColor fill;   // invalid: unchanged
    std::optional<bool> bold;
};

struct ReportItem {
    ItemKind kind = ItemKind::Text;
    int line = 0; // in the template file, for messages; 0 when not read from one
    QRectF rect;  // within the band; a line runs from topLeft to bottomRight
    QString text; // text items: literal text with [expressions]
    QString font = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor colour = Qt::black;
    QColor fill;       // rectangles and texts; invalid: not filled
    double border = 0; // texts: frame width, mm; 0 for none
    QColor borderColour = Qt::black;
    QString format;                    // texts: display format of each expression (reportformat.h)
    QString printIf;                   // an expression; the item prints only when it is true
    QList<ReportHighlight> highlights; // the first whose condition holds applies
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    bool wrap = true;
    bool grow = false;      // the band grows to fit the wrapped text
    double lineWidth = 0.2; // lines and rectangle borders, mm
    QByteArray png;         // embedded picture (image items), as stored
    QImage image;           // `png` decoded
    QString field;          // image items: BLOB column of the data set

    QFont qfont() const;
};

struct ReportBand {
    BandType type = BandType::MasterData;
    double height = 10;
    QList<ReportItem> items;
    int line = 0;
    QString printIf;             // an expression; the band prints only when it is true
    bool pageBreakAfter = false; // a new page after each printing of the band
    int columns = 1;             // master data: rows side by side in this many columns, like labels
};

// Rows with the same value of `condition` form a group, framed by its header and footer.
// Groups are listed outermost first.
struct ReportGroup {
    QString name;
    QString condition;
    bool keepTogether = false; // start on a new page rather than split, when the group fits one
    bool newPage = false;      // every group starts on a new page
    bool repeatHeader = false; // the header again at the top of each page the group continues on
    int line = 0;
    std::optional<ReportBand> header;
    std::optional<ReportBand> footer;
};

// Rows of a second query, printed after each master row. ":name" in `sql` takes the value of
// the master row's column `name`.
struct ReportDetail {
    QString name;
    QString sql;
    int line = 0;
    std::optional<ReportBand> header;
    std::optional<ReportBand> data;
    std::optional<ReportBand> footer;
};

// A named expression that other expressions use by its name.
struct ReportVariable {
    QString name;
    QString expression;
    int line = 0;
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
    QList<ReportGroup> groups;
    std::optional<ReportDetail> detail;
    QList<ReportVariable> variables;
    QString sourceName; // the file it was read from, for messages

    // Every band, the groups' and the detail's included.
    QList<const ReportBand *> allBands() const;
    // "Report template "<file>", line <n>: <problem>"
    QString problemAt(int line, const QString &problem) const;

    const ReportBand *band(BandType type) const;
    ReportBand *band(BandType type);
    // The existing band when there is one. References to bands last until the next addBand or
    // removeBand.
    ReportBand &addBand(BandType type);
    void removeBand(BandType type);
    const QList<ReportBand> &bands() const { return m_bands; } // in page order

    // Every place a band can take now, whether it holds one or not, in the order the bands come
    // down a page: title, page header, group headers (outermost first), master data, the
    // detail's bands, group footers (innermost first), summary, page footer.
    QList<BandRef> bandSlots() const;
    const ReportBand *bandAt(const BandRef &ref) const; // null: no such band
    ReportBand *bandAt(const BandRef &ref);
    // The existing band when there is one; null when `ref` names a group or detail that is not there.
    ReportBand *addBandAt(const BandRef &ref);
    void removeBandAt(const BandRef &ref);
    // Gives this copy bands and items of its own, so that editing the template it was copied
    // from leaves that one's bands and items where they are.
    void detach();

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

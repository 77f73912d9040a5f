// SpreadsheetML 2003: the page header once, then one row per data row, in columns taken from
// where the master-data band places its texts.
#include "report/reportexport.h"

#include "platform/errors.h"
#include "platform/workprogress.h"

#include <QMap>
#include <QObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>

namespace tarvo {

namespace {

const QString ns = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");

struct Column {
    double x;
    double width;
};

QList<Column> columnsOf(const ReportTemplate &tpl)
{
    QMap<double, double> byX; // rounded x -> widest item there
    for (BandType type : {BandType::MasterData, BandType::PageHeader}) {
        if (const ReportBand *band = tpl.band(type)) {
            for (const ReportItem &item : band->items) {
                if (item.kind == ItemKind::Text) {
                    const double x = std::round(item.rect.x() * 10) / 10;
                    byX[x] = std::max(byX.value(x), item.rect.width());
                }
            }
        }
        if (!byX.isEmpty())
            break; // the header shapes the columns only when there is no master-data text
    }
    QList<Column> columns;
    for (auto it = byX.cbegin(); it != byX.cend(); ++it)
        columns << Column{it.key(), it.value()};
    return columns;
}

// The column that overlaps the item most; the nearest by left edge when none overlaps.
int columnFor(const QList<Column> &columns, const QRectF &r)
{
    int best = 0;
    double bestScore = -1e9;
    for (int i = 0; i < columns.size(); ++i) {
        const double overlap = std::min(r.right(), columns[i].x + columns[i].width) - std::max(r.left(), columns[i].x);
        const double score = overlap > 0 ? overlap : -std::abs(r.left() - columns[i].x) - 1e6;
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

struct Cell {
    QString text;
    QVariant number;
};

using Row = QList<Cell>;

void addToRow(Row &row, const QList<Column> &columns, const PreparedItem &item)
{
    if (item.source->kind != ItemKind::Text || columns.isEmpty())
        return;
    Cell &cell = row[columnFor(columns, item.rect)];
    if (cell.text.isEmpty() && !cell.number.isValid()) {
        cell.text = item.text;
        cell.number = item.number;
    } else {
        cell.text += QLatin1Char(' ') + item.text;
        cell.number = QVariant();
    }
}

struct Rows {
    QList<Row> rows;
    bool header = false; // the first row holds the page header
};

Rows rowsOf(const PreparedReport &report, const QList<Column> &columns)
{
    Rows out;
    if (report.pages.isEmpty())
        return out;
    Row header(columns.size());
    for (const PreparedItem &item : report.pages.first().items) {
        if (item.band == BandType::PageHeader && item.source->kind == ItemKind::Text) {
            addToRow(header, columns, item);
            out.header = true;
        }
    }
    QList<Row> &rows = out.rows;
    if (out.header)
        rows << header;
    int currentRow = -1;
    for (const PreparedPage &page : report.pages) {
        for (const PreparedItem &item : page.items) {
            if (item.band != BandType::MasterData)
                continue;
            if (item.row != currentRow) {
                rows << Row(columns.size());
                currentRow = item.row;
            }
            addToRow(rows.last(), columns, item);
        }
    }
    return out;
}

void writeCell(QXmlStreamWriter &w, const Cell &cell, bool header)
{
    w.writeStartElement(ns, QStringLiteral("Cell"));
    if (header)
        w.writeAttribute(ns, QStringLiteral("StyleID"), QStringLiteral("header"));
    w.writeStartElement(ns, QStringLiteral("Data"));
    const bool isNumber = cell.number.isValid();
    w.writeAttribute(ns, QStringLiteral("Type"), isNumber ? QStringLiteral("Number") : QStringLiteral("String"));
    if (!isNumber)
        w.writeCharacters(withoutControlCharacters(cell.text));
    else if (cell.number.typeId() == QMetaType::Double)
        w.writeCharacters(QString::number(cell.number.toDouble(), 'g', 17));
    else
        w.writeCharacters(QString::number(cell.number.toLongLong()));
    w.writeEndElement();
    w.writeEndElement();
}

} // namespace

// QXmlStreamWriter refuses control characters (and only flags an error), so they go first.
QString withoutControlCharacters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out += c;
    }
    return out;
}

QString worksheetName(const QString &wanted)
{
    QString name = withoutControlCharacters(wanted);
    name.remove(QRegularExpression(QStringLiteral(R"([\[\]:*?/\\])")));
    name = name.trimmed().left(31);
    return name.isEmpty() ? QStringLiteral("Report") : name;
}

void exportSpreadsheetXml(const PreparedReport &report, const QString &path)
{
    const QList<Column> columns = columnsOf(*report.source);
    const auto [rows, hasHeader] = rowsOf(report, columns);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Cannot write the file %1: %2").arg(path, file.errorString()));
    QXmlStreamWriter w(&file);
    w.setAutoFormatting(true);
    w.writeNamespace(ns, QStringLiteral("ss"));
    w.writeDefaultNamespace(ns);
    w.writeStartDocument();
    w.writeProcessingInstruction(QStringLiteral("mso-application"), QStringLiteral("progid=\"Excel.Sheet\""));
    w.writeStartElement(ns, QStringLiteral("Workbook"));
    w.writeStartElement(ns, QStringLiteral("Styles"));
    w.writeStartElement(ns, QStringLiteral("Style"));
    w.writeAttribute(ns, QStringLiteral("ID"), QStringLiteral("header"));
    w.writeEmptyElement(ns, QStringLiteral("Font"));
    w.writeAttribute(ns, QStringLiteral("Bold"), QStringLiteral("1"));
    w.writeEndElement(); // Style
    w.writeEndElement(); // Styles
    w.writeStartElement(ns, QStringLiteral("Worksheet"));
    w.writeAttribute(ns, QStringLiteral("Name"), worksheetName(report.title));
    w.writeStartElement(ns, QStringLiteral("Table"));
    for (const Column &c : columns) {
        w.writeEmptyElement(ns, QStringLiteral("Column"));
        w.writeAttribute(ns, QStringLiteral("Width"), QString::number(c.width * 72 / 25.4, 'f', 1));
    }
    WorkProgress progress(QObject::tr("Writing row %1"), rows.size(), 64);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        progress.advanceOrAbort();
        w.writeStartElement(ns, QStringLiteral("Row"));
        for (const Cell &cell : rows[r])
            writeCell(w, cell, hasHeader && r == 0);
        w.writeEndElement();
    }
    w.writeEndElement(); // Table
    w.writeEndElement(); // Worksheet
    w.writeEndElement(); // Workbook
    w.writeEndDocument();
    if (w.hasError() || !file.commit())
        throw FileError(QStringLiteral("Cannot write the file %1: %2").arg(path, file.errorString()));
}

} // namespace tarvo

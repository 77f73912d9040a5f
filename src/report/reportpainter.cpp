#include "report/reportpainter.h"

#include "platform/errors.h"
#include "platform/workprogress.h"

#include <QFile>
#include <QHash>
#include <QObject>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace tarvo {

namespace {

void paintText(QPainter &p, const PreparedItem &item, const QRectF &r, const PaintOptions &options,
               QHash<const ReportItem *, QFont> &fonts)
{
    const ReportItem &style = *item.source;
    if (style.fill.isValid())
        p.fillRect(r, style.fill);
    if (!options.highlight.isEmpty() && item.text.contains(options.highlight, Qt::CaseInsensitive))
        p.fillRect(r, QColor(255, 235, 59));
    if (style.border > 0) {
        p.setPen(QPen(style.borderColour, style.border * p.device()->logicalDpiX() / 25.4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
    auto font = fonts.find(&style);
    if (font == fonts.end())
        font = fonts.insert(&style, style.qfont());
    p.setFont(*font);
    p.setPen(style.colour);
    p.drawText(r, int(style.align) | (style.wrap ? Qt::TextWordWrap : 0), item.text);
}

void paintImage(QPainter &p, const QImage &image, const QRectF &r)
{
    if (image.isNull() || r.isEmpty())
        return;
    QSizeF size = QSizeF(image.size()).scaled(r.size(), Qt::KeepAspectRatio);
    const QRectF target(r.x() + (r.width() - size.width()) / 2, r.y() + (r.height() - size.height()) / 2, size.width(),
                        size.height());
    p.drawImage(target, image);
}

// Pages from..to (0-based) through a painter already begun; `newPage` runs between pages.
template <class NewPage>
void paintAll(QPainter &painter, const PreparedReport &report, int from, int to, NewPage newPage)
{
    for (int i = from; i <= to; ++i) {
        if (i > from)
            newPage();
        paintPage(painter, report.pages[i]);
    }
}

} // namespace

void paintPage(QPainter &p, const PreparedPage &page, const PaintOptions &options)
{
    const double dotsPerMm = p.device()->logicalDpiX() / 25.4;
    const double dotsPerMmY = p.device()->logicalDpiY() / 25.4;
    QHash<const ReportItem *, QFont> fonts;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (const PreparedItem &item : page.items) {
        const ReportItem &style = *item.source;
        const QRectF r(item.rect.x() * dotsPerMm, item.rect.y() * dotsPerMmY, item.rect.width() * dotsPerMm,
                       item.rect.height() * dotsPerMmY);
        const QPen pen(style.colour, style.lineWidth * dotsPerMm);
        switch (style.kind) {
        case ItemKind::Text:
            paintText(p, item, r, options, fonts);
            break;
        case ItemKind::Line:
            p.setPen(pen);
            p.drawLine(r.topLeft(), r.bottomRight());
            break;
        case ItemKind::Rect:
            p.setPen(style.lineWidth > 0 ? pen : QPen(Qt::NoPen));
            p.setBrush(style.fill.isValid() ? QBrush(style.fill) : QBrush(Qt::NoBrush));
            p.drawRect(r);
            break;
        case ItemKind::Image:
            paintImage(p, item.image, r);
            break;
        }
    }
    p.restore();
}

void printReport(const PreparedReport &report, QPrinter &printer, int fromPage, int toPage)
{
    const int last = int(report.pages.size()) - 1;
    const int from = fromPage > 0 ? std::min(fromPage - 1, last) : 0;
    const int to = toPage > 0 ? std::min(toPage - 1, last) : last;
    printer.setDocName(report.title);
    QPainter painter;
    if (!painter.begin(&printer))
        throw FileError(QStringLiteral("The printer cannot print the report."));
    paintAll(painter, report, from, to, [&] { printer.newPage(); });
}

void exportPdf(const PreparedReport &report, const QString &path)
{
    // The file appears only when whole: a cancelled or failed export leaves what was there.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Cannot write the file %1.").arg(path));
    QPdfWriter writer(&file);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("Tarvo"));
    writer.setResolution(1200);
    writer.setPageLayout(report.layout);
    QPainter painter;
    if (!painter.begin(&writer))
        throw FileError(QStringLiteral("Cannot write the file %1.").arg(path));
    WorkProgress progress(QObject::tr("Writing page %1"), report.pages.size(), 1);
    paintAll(painter, report, 0, int(report.pages.size()) - 1, [&] {
        progress.advanceOrAbort();
        writer.newPage();
    });
    if (!painter.end() || !file.commit())
        throw FileError(QStringLiteral("Cannot write the file %1.").arg(path));
}

} // namespace tarvo

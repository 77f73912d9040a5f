#include "report/reportexport.h"

#include "platform/errors.h"
#include "platform/workprogress.h"

#include <QBuffer>
#include <QObject>
#include <QSaveFile>

namespace tarvo {

namespace {

QString mm(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral("mm");
}

QString box(const QRectF &r)
{
    return QStringLiteral("left:%1;top:%2;width:%3;height:%4;")
        .arg(mm(r.x()), mm(r.y()), mm(r.width()), mm(r.height()));
}

QString textStyle(const ReportItem &s)
{
    // The family comes from the template: keep only what a font name needs, so it cannot
    // carry further CSS into the page.
    QString family;
    for (QChar c : s.font) {
        if (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('_'))
            family += c;
    }
    QString css = QStringLiteral("font-family:'%1';font-size:%2pt;color:%3;")
                      .arg(family, QString::number(s.size), s.colour.name());
    if (s.bold)
        css += QStringLiteral("font-weight:bold;");
    if (s.italic)
        css += QStringLiteral("font-style:italic;");
    if (s.underline)
        css += QStringLiteral("text-decoration:underline;");
    if (s.fill.isValid())
        css += QStringLiteral("background:%1;").arg(s.fill.name());
    // Inside the item's box, as the printed frame keeps the text's place.
    if (s.border > 0)
        css += QStringLiteral("border:%1 solid %2;box-sizing:border-box;").arg(mm(s.border), s.borderColour.name());
    if (!s.wrap)
        css += QStringLiteral("white-space:pre;");
    if (s.align & Qt::AlignHCenter)
        css += QStringLiteral("text-align:center;");
    else if (s.align & Qt::AlignRight)
        css += QStringLiteral("text-align:right;");
    else if (s.align & Qt::AlignJustify)
        css += QStringLiteral("text-align:justify;");
    if (s.align & Qt::AlignVCenter)
        css += QStringLiteral("display:flex;flex-direction:column;justify-content:center;");
    else if (s.align & Qt::AlignBottom)
        css += QStringLiteral("display:flex;flex-direction:column;justify-content:flex-end;");
    return css;
}

QString pngDataUrl(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

// Lines and rectangles go into one SVG per page whose user unit is the millimetre.
QString shape(const PreparedItem &item, const QPointF &origin)
{
    const ReportItem &s = *item.source;
    const QRectF r = item.rect.translated(origin);
    if (s.kind == ItemKind::Line)
        return QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>")
            .arg(r.left())
            .arg(r.top())
            .arg(r.right())
            .arg(r.bottom())
            .arg(s.colour.name())
            .arg(s.lineWidth);
    return QStringLiteral(
               "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\" stroke=\"%6\" stroke-width=\"%7\"/>")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .arg(s.fill.isValid() ? s.fill.name() : QStringLiteral("none"),
             s.lineWidth > 0 ? s.colour.name() : QStringLiteral("none"))
        .arg(s.lineWidth);
}

} // namespace

QByteArray htmlDocument(const PreparedReport &report)
{
    const QSizeF page = report.layout.fullRect(QPageLayout::Millimeter).size();
    const QMarginsF margins = report.layout.margins(QPageLayout::Millimeter);
    const QPointF origin(margins.left(), margins.top());
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"/><title>%1</title>\n<style>\n"
                                  "body{margin:0;background:#808080}\n"
                                  ".page{position:relative;overflow:hidden;background:#fff;margin:0 auto 5mm auto;"
                                  "page-break-after:always}\n"
                                  ".page div,.page img{position:absolute;overflow:hidden;white-space:pre-wrap;"
                                  "line-height:1.15;margin:0}\n.page img{object-fit:contain}\n"
                                  ".page svg{position:absolute;left:0;top:0;width:100%;height:100%}\n"
                                  "@media print{body{background:none}.page{margin:0}}\n"
                                  "@page{size:%2 %3;margin:0}\n</style></head><body>\n")
                       .arg(withoutControlCharacters(report.title).toHtmlEscaped(), mm(page.width()),
                            mm(page.height()));
    WorkProgress progress(QObject::tr("Writing page %1"), report.pages.size(), 1);
    for (const PreparedPage &p : report.pages) {
        progress.advanceOrAbort();
        html += QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n")
                    .arg(mm(page.width()), mm(page.height()));
        QString shapes;
        for (const PreparedItem &item : p.items) {
            const QRectF r = item.rect.translated(origin);
            switch (item.source->kind) {
            case ItemKind::Text:
                html += QStringLiteral("<div style=\"%1%2\">%3</div>\n")
                            .arg(box(r), textStyle(*item.source), withoutControlCharacters(item.text).toHtmlEscaped());
                break;
            case ItemKind::Image:
                if (!item.image.isNull())
                    html +=
                        QStringLiteral("<img style=\"%1\" src=\"%2\" alt=\"\"/>\n").arg(box(r), pngDataUrl(item.image));
                break;
            case ItemKind::Line:
            case ItemKind::Rect:
                shapes += shape(item, origin);
                break;
            }
        }
        if (!shapes.isEmpty())
            html += QStringLiteral("<svg viewBox=\"0 0 %1 %2\">%3</svg>\n")
                        .arg(page.width())
                        .arg(page.height())
                        .arg(shapes);
        html += QStringLiteral("</div>\n");
    }
    html += QStringLiteral("</body></html>\n");
    return html.toUtf8();
}

void exportHtml(const PreparedReport &report, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(htmlDocument(report)) < 0 || !file.commit())
        throw FileError(QStringLiteral("Cannot write the file %1: %2").arg(path, file.errorString()));
}

} // namespace tarvo

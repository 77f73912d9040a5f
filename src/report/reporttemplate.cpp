#include "report/reporttemplate.h"

#include "report/reportdataset.h"
#include "report/reportexpression.h"

#include <algorithm>

namespace tarvo {

QString bandTypeName(BandType type)
{
    switch (type) {
    case BandType::ReportTitle:
        return QStringLiteral("reportTitle");
    case BandType::PageHeader:
        return QStringLiteral("pageHeader");
    case BandType::MasterData:
        return QStringLiteral("masterData");
    case BandType::Summary:
        return QStringLiteral("summary");
    case BandType::PageFooter:
        return QStringLiteral("pageFooter");
    case BandType::GroupHeader:
        return QStringLiteral("groupHeader");
    case BandType::GroupFooter:
        return QStringLiteral("groupFooter");
    case BandType::DetailHeader:
        return QStringLiteral("detailHeader");
    case BandType::DetailData:
        return QStringLiteral("detailData");
    case BandType::DetailFooter:
        return QStringLiteral("detailFooter");
    }
    return {};
}

const QList<BandType> &allBandTypes()
{
    static const QList<BandType> types{BandType::ReportTitle, BandType::PageHeader, BandType::MasterData,
                                       BandType::Summary, BandType::PageFooter};
    return types;
}

QFont ReportItem::qfont() const
{
    QFont f(font);
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    return f;
}

QPageLayout PageSetup::layout() const
{
    return QPageLayout(size, orientation, margins, QPageLayout::Millimeter);
}

void PageSetup::setLayout(const QPageLayout &layout)
{
    size = layout.pageSize();
    orientation = layout.orientation();
    margins = layout.margins(QPageLayout::Millimeter);
}

const ReportBand *ReportTemplate::band(BandType type) const
{
    for (const ReportBand &b : m_bands) {
        if (b.type == type)
            return &b;
    }
    return nullptr;
}

ReportBand *ReportTemplate::band(BandType type)
{
    // Non-const access: a copy of the template that shares the bands gets its own before an edit.
    for (ReportBand &b : m_bands) {
        if (b.type == type)
            return &b;
    }
    return nullptr;
}

void ReportTemplate::detach()
{
    auto own = [](std::optional<ReportBand> &band) {
        if (band)
            band->items.detach();
    };
    for (ReportBand &band : m_bands) // non-const iteration gives the list of bands its own copy
        band.items.detach();
    for (ReportGroup &group : groups) {
        own(group.header);
        own(group.footer);
    }
    if (detail) {
        own(detail->header);
        own(detail->data);
        own(detail->footer);
    }
}

ReportBand &ReportTemplate::addBand(BandType type)
{
    if (ReportBand *existing = band(type))
        return *existing;
    const auto pos = std::find_if(m_bands.begin(), m_bands.end(),
                                  [type](const ReportBand &b) { return int(b.type) > int(type); });
    ReportBand created;
    created.type = type;
    return *m_bands.insert(pos, created);
}

void ReportTemplate::removeBand(BandType type)
{
    m_bands.removeIf([type](const ReportBand &b) { return b.type == type; });
}

QList<const ReportBand *> ReportTemplate::allBands() const
{
    QList<const ReportBand *> all;
    for (const ReportBand &b : m_bands)
        all << &b;
    auto add = [&](const std::optional<ReportBand> &b) {
        if (b)
            all << &*b;
    };
    for (const ReportGroup &g : groups) {
        add(g.header);
        add(g.footer);
    }
    if (detail) {
        add(detail->header);
        add(detail->data);
        add(detail->footer);
    }
    return all;
}

QString ReportTemplate::problemAt(int line, const QString &problem) const
{
    return line > 0 ? QStringLiteral("Report template \"%1\", line %2: %3").arg(sourceName).arg(line).arg(problem)
                    : QStringLiteral("Report template \"%1\": %2").arg(sourceName, problem);
}

QStringList ReportTemplate::missingFields(const ReportDataSet &data) const
{
    QStringList missing;
    auto note = [&](const QString &name) {
        if (data.columnIndex(name) < 0 && !missing.contains(name))
            missing << name;
    };
    auto noteIn = [&](const ReportExpression &e) {
        for (const QString &name : e.fieldNames(data.name()))
            note(name);
    };
    auto noteCondition = [&](const QString &text) { noteIn(ReportExpression::parseExpression(text)); };
    for (const ReportBand *b : allBands()) {
        noteCondition(b->printIf);
        for (const ReportItem &item : b->items) {
            noteCondition(item.printIf);
            for (const ReportHighlight &h : item.highlights)
                noteCondition(h.condition);
            if (item.kind == ItemKind::Text)
                noteIn(ReportExpression::parse(item.text));
            else if (item.kind == ItemKind::Image && !item.field.isEmpty())
                note(item.field);
        }
    }
    for (const ReportGroup &g : groups)
        noteCondition(g.condition);
    for (const ReportVariable &v : variables)
        noteCondition(v.expression);
    return missing;
}

ReportTemplate ReportTemplate::tableLayout(const ReportDataSet &data, const QString &title)
{
    ReportTemplate t;
    t.title = title;
    const double width = t.page.layout().paintRect(QPageLayout::Millimeter).width();
    const int columns = std::max<qsizetype>(1, data.columns().size());
    const double columnWidth = width / columns;

    ReportItem caption;
    caption.rect = QRectF(0, 0, width, 10);
    caption.text = title;
    caption.size = 16;
    caption.bold = true;
    caption.align = Qt::AlignHCenter | Qt::AlignVCenter;
    for (BandType type : allBandTypes()) {
        if (type != BandType::Summary)
            t.addBand(type);
    }
    t.band(BandType::ReportTitle)->height = 14;
    t.band(BandType::ReportTitle)->items << caption;

    ReportBand &header = *t.band(BandType::PageHeader);
    header.height = 7;
    ReportBand &rows = *t.band(BandType::MasterData);
    rows.height = 6;
    for (int c = 0; c < data.columns().size(); ++c) {
        const QString &name = data.columns()[c];
        ReportItem head;
        head.rect = QRectF(c * columnWidth, 0, columnWidth, 6);
        head.text = name;
        head.bold = true;
        head.align = Qt::AlignLeft | Qt::AlignVCenter;
        header.items << head;
        ReportItem cell = head;
        cell.bold = false;
        cell.grow = true;
        cell.align = Qt::AlignLeft | Qt::AlignTop;
        cell.text = ReportExpression::fieldReference(data.name(), name);
        rows.items << cell;
    }
    ReportItem rule;
    rule.kind = ItemKind::Line;
    rule.rect = QRectF(0, 6.5, width, 0);
    header.items << rule;

    ReportBand &footer = *t.band(BandType::PageFooter);
    footer.height = 8;
    ReportItem pages;
    pages.rect = QRectF(0, 2, width, 6);
    pages.text = QStringLiteral("Page [Page#] of [TotalPages#]");
    pages.size = 8;
    pages.align = Qt::AlignRight | Qt::AlignVCenter;
    footer.items << pages;
    return t;
}

} // namespace tarvo

#include "report/reporttemplate.h"

#include "report/reportdataset.h"
#include "report/reportexpression.h"

#include <QCoreApplication>
#include <algorithm>

namespace tarvo {

namespace {

struct BandTypeInfo {
    BandType type;
    const char *name;    // in the XML
    const char *caption; // for people
};

// In the order of the enum.
constexpr BandTypeInfo bandTypes[] = {
    {BandType::ReportTitle, "reportTitle", QT_TRANSLATE_NOOP("Report", "Report title")},
    {BandType::PageHeader, "pageHeader", QT_TRANSLATE_NOOP("Report", "Page header")},
    {BandType::MasterData, "masterData", QT_TRANSLATE_NOOP("Report", "Master data")},
    {BandType::Summary, "summary", QT_TRANSLATE_NOOP("Report", "Summary")},
    {BandType::PageFooter, "pageFooter", QT_TRANSLATE_NOOP("Report", "Page footer")},
    {BandType::GroupHeader, "groupHeader", QT_TRANSLATE_NOOP("Report", "Group header")},
    {BandType::GroupFooter, "groupFooter", QT_TRANSLATE_NOOP("Report", "Group footer")},
    {BandType::DetailHeader, "detailHeader", QT_TRANSLATE_NOOP("Report", "Detail header")},
    {BandType::DetailData, "detailData", QT_TRANSLATE_NOOP("Report", "Detail data")},
    {BandType::DetailFooter, "detailFooter", QT_TRANSLATE_NOOP("Report", "Detail footer")},
};

static_assert(
    [] {
        for (int i = 0; i < int(std::size(bandTypes)); ++i) {
            if (int(bandTypes[i].type) != i)
                return false;
        }
        return int(std::size(bandTypes)) == int(BandType::DetailFooter) + 1;
    }(),
    "bandTypes lists every band type in the order of the enum");

const BandTypeInfo &infoOf(BandType type)
{
    return bandTypes[int(type)];
}

} // namespace

QString bandTypeName(BandType type)
{
    return QLatin1String(infoOf(type).name);
}

QString bandCaption(BandType type)
{
    return QCoreApplication::translate("Report", infoOf(type).caption);
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

QList<BandRef> ReportTemplate::bandSlots() const
{
    QList<BandRef> places{BandType::ReportTitle, BandType::PageHeader};
    for (int g = 0; g < groups.size(); ++g)
        places << BandRef(BandType::GroupHeader, g);
    places << BandType::MasterData;
    if (detail)
        places << BandType::DetailHeader << BandType::DetailData << BandType::DetailFooter;
    for (int g = int(groups.size()) - 1; g >= 0; --g)
        places << BandRef(BandType::GroupFooter, g);
    places << BandType::Summary << BandType::PageFooter;
    return places;
}

namespace {

// The optional band a group or the detail holds for `ref`; null for the page's own bands and
// for groups or a detail that are not there.
template <class Template> auto ownedBand(Template &t, const BandRef &ref) -> decltype(&t.detail->data)
{
    const bool inGroup = ref.type == BandType::GroupHeader || ref.type == BandType::GroupFooter;
    if (inGroup) {
        if (ref.group < 0 || ref.group >= t.groups.size())
            return nullptr;
        auto &group = t.groups[ref.group];
        return ref.type == BandType::GroupHeader ? &group.header : &group.footer;
    }
    if (!t.detail)
        return nullptr;
    switch (ref.type) {
    case BandType::DetailHeader:
        return &t.detail->header;
    case BandType::DetailData:
        return &t.detail->data;
    case BandType::DetailFooter:
        return &t.detail->footer;
    default:
        return nullptr;
    }
}

bool isPageBand(BandType type)
{
    return allBandTypes().contains(type);
}

} // namespace

const ReportBand *ReportTemplate::bandAt(const BandRef &ref) const
{
    if (isPageBand(ref.type))
        return band(ref.type);
    const auto *owned = ownedBand(*this, ref);
    return owned && *owned ? &**owned : nullptr;
}

ReportBand *ReportTemplate::bandAt(const BandRef &ref)
{
    if (isPageBand(ref.type))
        return band(ref.type);
    auto *owned = ownedBand(*this, ref);
    return owned && *owned ? &**owned : nullptr;
}

ReportBand *ReportTemplate::addBandAt(const BandRef &ref)
{
    if (isPageBand(ref.type))
        return &addBand(ref.type);
    auto *owned = ownedBand(*this, ref);
    if (!owned)
        return nullptr;
    if (!*owned) {
        ReportBand created;
        created.type = ref.type;
        *owned = created;
    }
    return &**owned;
}

void ReportTemplate::removeBandAt(const BandRef &ref)
{
    if (isPageBand(ref.type))
        removeBand(ref.type);
    else if (auto *owned = ownedBand(*this, ref))
        owned->reset();
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

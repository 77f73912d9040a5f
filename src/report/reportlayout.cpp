#include "report/reportlayout.h"

#include "platform/errors.h"
#include "report/reportdataset.h"
#include "report/reportexpression.h"

#include <QFontMetricsF>
#include <QLocale>

namespace tarvo {

namespace {

constexpr double referenceDpi = 1200;
constexpr double dotsPerMm = referenceDpi / 25.4;

QImage referenceDevice()
{
    QImage device(1, 1, QImage::Format_Mono);
    const int dotsPerMeter = qRound(referenceDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    return device;
}

struct CompiledItem {
    const ReportItem *item = nullptr;
    ReportExpression expression;
    std::optional<QFontMetricsF> metrics; // growing texts only
    int imageColumn = -1;
};

struct CompiledBand {
    const ReportBand *band = nullptr;
    QList<CompiledItem> items;
    bool grows = false;
};

// A text whose value depends on the page count, expanded again once pages are counted.
struct PendingText {
    int page;
    qsizetype item;
    const CompiledItem *source;
    ExpressionContext context;
};

class Layouter {
public:
    Layouter(const ReportTemplate &tpl, const ReportDataSet &data, const QDateTime &now)
        : m_data(data), m_device(referenceDevice())
    {
        const QLocale locale;
        m_context.data = &data;
        m_context.date = locale.toString(now.date(), QLocale::ShortFormat);
        m_context.time = locale.toString(now.time(), QLocale::ShortFormat);
        for (BandType type : allBandTypes())
            m_bands[int(type)] = compile(tpl.band(type));
    }

    void run(PreparedReport &out, double pageHeight)
    {
        m_out = &out;
        const double footerHeight = bandHeightOf(BandType::PageFooter);
        m_footerTop = pageHeight - footerHeight;
        const double headerHeight = bandHeightOf(BandType::PageHeader);
        if (m_footerTop - headerHeight <= 0)
            throw ParseError(QStringLiteral("Report template: the page header and footer leave no "
                                            "room for data on the page"));
        openPage(true);
        const CompiledBand &master = m_bands[int(BandType::MasterData)];
        if (master.band) {
            for (int row = 0; row < m_data.rowCount(); ++row) {
                m_context.row = row;
                m_context.line = row + 1;
                placeFlowing(master);
                m_placedRows = row + 1;
            }
        }
        m_context.row = m_data.rowCount() - 1;
        m_context.line = m_data.rowCount();
        placeFlowing(m_bands[int(BandType::Summary)]);
        closePage();
        resolveTotalPages();
    }

private:
    CompiledBand compile(const ReportBand *band)
    {
        CompiledBand c;
        c.band = band;
        if (!band)
            return c;
        for (const ReportItem &item : band->items) {
            CompiledItem ci;
            ci.item = &item;
            if (item.kind == ItemKind::Text) {
                ci.expression = ReportExpression::parse(item.text);
                ci.expression.bind(m_data);
                if (item.grow) {
                    ci.metrics.emplace(item.qfont(), &m_device);
                    c.grows = true;
                }
            } else if (item.kind == ItemKind::Image && !item.field.isEmpty()) {
                ci.imageColumn = m_data.columnIndex(item.field);
            }
            c.items << ci;
        }
        return c;
    }

    double bandHeightOf(BandType type) const
    {
        const CompiledBand &b = m_bands[int(type)];
        return b.band ? b.band->height : 0;
    }

    double measure(const CompiledItem &ci, const QString &text) const
    {
        const ReportItem &item = *ci.item;
        const int flags = int(item.align) | (item.wrap ? Qt::TextWordWrap : 0);
        const double width = item.rect.width() * dotsPerMm;
        // Most cells hold one short line: measuring its advance is much cheaper than a layout.
        if (!text.contains(QLatin1Char('\n')) && ci.metrics->horizontalAdvance(text) <= width)
            return ci.metrics->height() / dotsPerMm;
        return ci.metrics->boundingRect(QRectF(0, 0, width, 1e7), flags, text).height() / dotsPerMm;
    }

    // Places a band in the body, on a new page when it does not fit on this one.
    void placeFlowing(const CompiledBand &band)
    {
        if (!band.band)
            return;
        QList<QString> texts;
        QList<double> heights;
        double height = band.band->height;
        for (const CompiledItem &ci : band.items) {
            texts << (ci.item->kind == ItemKind::Text ? ci.expression.expand(m_context) : QString());
            double h = ci.item->rect.height();
            if (ci.metrics)
                h = std::max(h, measure(ci, texts.last()));
            heights << h;
            height = std::max(height, band.band->height - ci.item->rect.bottom() + ci.item->rect.top() + h);
        }
        if (m_y + height > m_footerTop && m_bodyPlaced) {
            closePage();
            openPage(false);
        }
        // A band taller than a whole page is cut at the footer rather than paginated forever.
        height = std::min(height, m_footerTop - m_y);
        place(band, m_y, height, texts, heights);
        m_y += height;
        m_bodyPlaced = true;
    }

    void openPage(bool first)
    {
        m_out->pages.append(PreparedPage());
        m_context.page = int(m_out->pages.size());
        m_y = 0;
        m_bodyPlaced = false;
        const int nextRow = std::min(m_placedRows, m_data.rowCount() - 1);
        m_context.row = nextRow;
        m_context.line = m_placedRows;
        if (first)
            placeFixed(m_bands[int(BandType::ReportTitle)]);
        placeFixed(m_bands[int(BandType::PageHeader)]);
    }

    void closePage()
    {
        const ExpressionContext saved = m_context;
        m_context.row = m_placedRows - 1;
        m_context.line = m_placedRows;
        const CompiledBand &footer = m_bands[int(BandType::PageFooter)];
        if (footer.band)
            placeUnmeasured(footer, m_footerTop, footer.band->height);
        m_context = saved;
    }

    // Title and page header: no page break before them, cut at the footer when too tall.
    void placeFixed(const CompiledBand &band)
    {
        if (!band.band)
            return;
        const double height = std::min(band.band->height, m_footerTop - m_y);
        placeUnmeasured(band, m_y, height);
        m_y += height;
    }

    void placeUnmeasured(const CompiledBand &band, double y, double height)
    {
        QList<QString> texts;
        QList<double> heights;
        for (const CompiledItem &ci : band.items) {
            texts << (ci.item->kind == ItemKind::Text ? ci.expression.expand(m_context) : QString());
            heights << ci.item->rect.height();
        }
        place(band, y, height, texts, heights);
    }

    void place(const CompiledBand &band, double y, double bandHeight, const QList<QString> &texts,
               const QList<double> &heights)
    {
        PreparedPage &page = m_out->pages.last();
        for (qsizetype i = 0; i < band.items.size(); ++i) {
            const CompiledItem &ci = band.items[i];
            PreparedItem p;
            p.source = ci.item;
            p.band = band.band->type;
            p.row = band.band->type == BandType::MasterData ? m_context.row : -1;
            const double height = ci.metrics
                ? std::max(0.0, std::min(heights[i], bandHeight - ci.item->rect.y()))
                : heights[i];
            p.rect = QRectF(ci.item->rect.x(), y + ci.item->rect.y(), ci.item->rect.width(), height);
            if (ci.item->kind == ItemKind::Text) {
                p.text = texts[i];
                setNumber(p, ci);
                if (ci.expression.usesTotalPages())
                    m_pending << PendingText{int(m_out->pages.size()) - 1, page.items.size(), &ci, m_context};
            } else if (ci.item->kind == ItemKind::Image) {
                p.image = ci.imageColumn >= 0 && m_context.row >= 0
                    ? QImage::fromData(m_data.value(m_context.row, ci.imageColumn).toByteArray())
                    : ci.item->image;
            }
            page.items << p;
        }
    }

    void setNumber(PreparedItem &p, const CompiledItem &ci) const
    {
        const int column = ci.expression.singleFieldColumn();
        if (column < 0 || m_context.row < 0 || m_context.row >= m_data.rowCount())
            return;
        const QVariant &v = m_data.value(m_context.row, column);
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
            p.number = v;
    }

    void resolveTotalPages()
    {
        const int total = int(m_out->pages.size());
        for (PendingText &pending : m_pending) {
            pending.context.totalPages = total;
            m_out->pages[pending.page].items[pending.item].text =
                pending.source->expression.expand(pending.context);
        }
    }

    const ReportDataSet &m_data;
    QImage m_device;
    CompiledBand m_bands[5];
    ExpressionContext m_context;
    PreparedReport *m_out = nullptr;
    QList<PendingText> m_pending;
    double m_footerTop = 0;
    double m_y = 0;
    bool m_bodyPlaced = false;
    int m_placedRows = 0;
};

} // namespace

PreparedReport prepareReport(const ReportTemplate &tpl, const ReportDataSet &data,
                             std::optional<QPageLayout> layout, const QDateTime &now)
{
    PreparedReport out;
    auto source = std::make_shared<const ReportTemplate>(tpl);
    out.source = source;
    out.title = tpl.title;
    out.layout = layout.value_or(tpl.page.layout());
    out.layout.setUnits(QPageLayout::Millimeter);
    Layouter layouter(*source, data, now);
    layouter.run(out, out.layout.paintRect(QPageLayout::Millimeter).height());
    return out;
}

} // namespace tarvo

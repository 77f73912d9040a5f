#include "report/reportlayout.h"

#include "platform/errors.h"
#include "platform/workprogress.h"
#include "report/reportdataset.h"
#include "report/reportexpression.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QTextLayout>
#include <deque>

namespace tarvo {

namespace {

constexpr double referenceDpi = 1200;
constexpr double dotsPerMm = referenceDpi / 25.4;
constexpr double epsilon = 1e-6;

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
    ReportExpression printIf;
    QList<std::pair<ReportExpression, const ReportItem *>> highlights; // condition, restyled item
    std::optional<QFontMetricsF> metrics;                              // growing texts only
    double widestCharacter = 0; // of the font, in device dots; growing texts only
    int imageColumn = -1;
    bool usesTotalPages = false;
    bool usesPageAggregates = false;
};

struct CompiledBand {
    const ReportBand *band = nullptr;
    QList<CompiledItem> items;
    ReportExpression printIf;
    BandScope scope = BandScope::Report;
    int group = -1;
    bool wholeScope = false; // headers see the totals of what follows them
};

struct CompiledGroup {
    const ReportGroup *source = nullptr;
    ReportExpression condition;
    CompiledBand header, footer;
    QList<int> endOf;       // for each row that starts a group instance: the row after it
    int start = 0, end = 0; // the instance being printed
    bool headerPlaced = false;
};

// A band's items as they print for the current row: texts expanded, heights grown.
struct MeasuredItem {
    const CompiledItem *source = nullptr;
    const ReportItem *style = nullptr;
    QString text;
    double top = 0; // within the band
    double height = 0;
};

struct MeasuredBand {
    QList<MeasuredItem> items;
    double height = 0;
};

// A text whose value depends on what is known only at the end (the page count, the page's rows).
struct PendingText {
    int page;
    qsizetype item;
    const CompiledItem *source;
    ExpressionContext context;
};

struct Accumulator {
    const ReportDataSet *set = nullptr;
    int from = 0, to = -1; // rows taken so far
    qint64 count = 0;
    double sum = 0;
    bool whole = true;
    QVariant min{}, max{}; // the {} keeps Accumulator{set, from, to} free of missing-initializer warnings
};

bool less(const QVariant &a, const QVariant &b)
{
    const auto x = reportNumber(a), y = reportNumber(b);
    return x && y ? *x < *y : reportValueText(a) < reportValueText(b);
}

class Layouter : public AggregateSource {
public:
    Layouter(const ReportTemplate &tpl, const ReportDataSet &data, const QDateTime &now, std::deque<ReportItem> &styles)
        : m_tpl(tpl), m_data(data), m_device(referenceDevice()), m_styles(styles)
    {
        const QLocale locale;
        m_context.data = &data;
        m_context.aggregates = this;
        m_context.date = locale.toString(now.date(), QLocale::ShortFormat);
        m_context.time = locale.toString(now.time(), QLocale::ShortFormat);
        if (tpl.detail)
            m_names.detail = tpl.detail->name;
        compileVariables();
        for (BandType type : allBandTypes())
            m_bands[int(type)] = compile(tpl.band(type), scopeOf(type), -1,
                                         type == BandType::ReportTitle || type == BandType::PageHeader);
        for (const ReportGroup &g : tpl.groups)
            compileGroup(g);
        if (tpl.detail) {
            m_detailHeader = compile(optionalBand(tpl.detail->header), BandScope::Detail, -1, true);
            m_detailData = compile(optionalBand(tpl.detail->data), BandScope::Detail, -1, false);
            m_detailFooter = compile(optionalBand(tpl.detail->footer), BandScope::Detail, -1, false);
        }
    }

    void run(PreparedReport &out, QSizeF pageSize)
    {
        m_out = &out;
        m_pageWidth = pageSize.width();
        const double pageHeight = pageSize.height();
        m_footerTop = pageHeight - bandHeightOf(BandType::PageFooter);
        if (m_footerTop - bandHeightOf(BandType::PageHeader) <= 0)
            throw ParseError(QStringLiteral("Report template: the page header and footer leave no "
                                            "room for data on the page"));
        findGroups();
        openPage(true);
        const CompiledBand &master = m_bands[int(BandType::MasterData)];
        const int rows = m_data.rowCount();
        WorkProgress progress(QObject::tr("Preparing the report: row %1"), rows, 16);
        for (int row = 0; row < rows; ++row) {
            progress.advanceOrAbort();
            const int level = breakLevel(row);
            if (row > 0)
                closeGroups(level, row - 1);
            openGroups(level, row);
            m_context.row = row;
            m_context.line = row + 1;
            placeFlowing(master);
            m_placedRows = row + 1;
            m_pageLast.last() = row;
            placeDetail(row);
        }
        if (rows > 0)
            closeGroups(0, rows - 1);
        m_context.row = rows - 1;
        m_context.line = rows;
        m_breakPending = false;
        placeFlowing(m_bands[int(BandType::Summary)]);
        closePage();
        resolvePending();
    }

    QVariant aggregate(const AggregateCall &call, const ExpressionContext &c) const override
    {
        if (call.onDetail || (c.scope == BandScope::Detail && call.scope.isEmpty() && !call.argument)) {
            if (!c.detail)
                return result(call, Accumulator());
            const int last = c.scope == BandScope::Detail && !c.wholeScope ? c.detailRow : c.detail->rowCount() - 1;
            return result(call, accumulate(call, c, c.detail, 0, last));
        }
        int from = 0, last = m_data.rowCount() - 1;
        const int level = groupOf(call, c);
        if (level >= 0) {
            from = m_groups[level].start;
            last = m_groups[level].end - 1;
        } else if (call.scope.compare(QLatin1String("page"), Qt::CaseInsensitive) == 0
                   || (call.scope.isEmpty() && c.scope == BandScope::Page)) {
            from = m_pageFirst.value(c.page - 1);
            last = m_pageLast.value(c.page - 1, -1);
        }
        if (!c.wholeScope)
            last = std::min(last, c.row);
        return result(call, accumulate(call, c, &m_data, from, last));
    }

private:
    static BandScope scopeOf(BandType type)
    {
        return type == BandType::PageHeader || type == BandType::PageFooter ? BandScope::Page : BandScope::Report;
    }

    static const ReportBand *optionalBand(const std::optional<ReportBand> &band) { return band ? &*band : nullptr; }

    [[noreturn]] void fail(int line, const QString &problem) const { throw ParseError(m_tpl.problemAt(line, problem)); }

    // Parses and binds; an unknown function or a wrong argument count is an error at `line`.
    void prepareExpression(ReportExpression &e, int line)
    {
        if (!e.errors().isEmpty())
            fail(line, e.errors().join(QStringLiteral("; ")));
        e.bind(m_data, m_names);
        for (const AggregateCall *call : e.aggregates()) {
            if (!call->scope.isEmpty() && call->scope.compare(QLatin1String("report"), Qt::CaseInsensitive) != 0
                && call->scope.compare(QLatin1String("page"), Qt::CaseInsensitive) != 0 && groupNamed(call->scope) < 0)
                fail(line, QStringLiteral("no group is named \"%1\"").arg(call->scope));
        }
    }

    ReportExpression condition(const QString &text, int line)
    {
        ReportExpression e = ReportExpression::parseExpression(text);
        prepareExpression(e, line);
        if (!e.isEmpty() && !e.root())
            fail(line, QStringLiteral("\"%1\" names something the report lacks").arg(text));
        return e;
    }

    void compileVariables()
    {
        for (const ReportVariable &v : m_tpl.variables) {
            m_variables.push_back(ReportExpression::parseExpression(v.expression));
            if (!m_variables.back().errors().isEmpty())
                fail(v.line, m_variables.back().errors().join(QStringLiteral("; ")));
            m_names.variables.insert(v.name.toLower(), m_variables.back().root());
        }
        // A variable that reaches itself through others would evaluate forever.
        for (qsizetype i = 0; i < m_tpl.variables.size(); ++i) {
            QStringList path{m_tpl.variables[i].name};
            checkCycle(path);
        }
        for (qsizetype i = 0; i < m_tpl.variables.size(); ++i)
            prepareExpression(m_variables[i], m_tpl.variables[i].line);
    }

    void checkCycle(QStringList &path)
    {
        const auto it = std::find_if(m_tpl.variables.begin(), m_tpl.variables.end(), [&](const ReportVariable &v) {
            return v.name.compare(path.last(), Qt::CaseInsensitive) == 0;
        });
        if (it == m_tpl.variables.end())
            return;
        for (const QString &next : m_variables[it - m_tpl.variables.begin()].variableNames()) {
            if (path.contains(next, Qt::CaseInsensitive))
                fail(it->line, QStringLiteral("the variables %1 refer to each other in a cycle")
                                   .arg(path.join(QStringLiteral(" -> ")) + QStringLiteral(" -> ") + next));
            path << next;
            checkCycle(path);
            path.removeLast();
        }
    }

    int groupNamed(const QString &name) const
    {
        for (qsizetype i = 0; i < m_tpl.groups.size(); ++i) {
            if (m_tpl.groups[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return -1;
    }

    int groupOf(const AggregateCall &call, const ExpressionContext &c) const
    {
        if (!call.scope.isEmpty())
            return groupNamed(call.scope);
        return c.scope == BandScope::Group ? c.group : -1;
    }

    void compileGroup(const ReportGroup &g)
    {
        CompiledGroup cg;
        cg.source = &g;
        const int level = int(m_groups.size());
        cg.condition = condition(g.condition, g.line);
        for (const QString &field : cg.condition.fieldNames(m_data.name())) {
            if (m_data.columnIndex(field) < 0)
                fail(g.line, QStringLiteral("group \"%1\" is on the field \"%2\" that data set \"%3\" lacks")
                                 .arg(g.name, field, m_data.name()));
        }
        m_groups << cg;
        m_groups.last().header = compile(optionalBand(g.header), BandScope::Group, level, true);
        m_groups.last().footer = compile(optionalBand(g.footer), BandScope::Group, level, false);
    }

    const ReportItem *restyled(const ReportItem &item, const ReportHighlight &h)
    {
        ReportItem styled = item;
        if (h.colour.isValid())
            styled.colour = h.colour;
        if (h.fill.isValid())
            styled.fill = h.fill;
        if (h.bold)
            styled.bold = *h.bold;
        m_styles.push_back(styled);
        return &m_styles.back();
    }

    CompiledBand compile(const ReportBand *band, BandScope scope, int group, bool wholeScope)
    {
        CompiledBand c;
        c.band = band;
        c.scope = scope;
        c.group = group;
        c.wholeScope = wholeScope;
        if (!band)
            return c;
        c.printIf = condition(band->printIf, band->line);
        for (const ReportItem &item : band->items) {
            CompiledItem ci;
            ci.item = &item;
            ci.printIf = condition(item.printIf, item.line);
            for (const ReportHighlight &h : item.highlights)
                ci.highlights << std::make_pair(condition(h.condition, item.line), restyled(item, h));
            if (item.kind == ItemKind::Text) {
                ci.expression = ReportExpression::parse(item.text);
                prepareExpression(ci.expression, item.line);
                QString problem;
                ci.expression.setFormat(DisplayFormat::parse(item.format, &problem));
                ci.usesTotalPages = ci.expression.usesTotalPages();
                ci.usesPageAggregates = ci.expression.usesPageAggregates();
                if (item.grow) {
                    ci.metrics.emplace(item.qfont(), &m_device);
                    ci.widestCharacter = ci.metrics->maxWidth();
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

    // Groups: where each instance of each level ends. A change in an outer group ends the inner
    // ones too.
    void findGroups()
    {
        const int rows = m_data.rowCount();
        m_breakLevels.fill(int(m_groups.size()), rows);
        ExpressionContext c = m_context;
        QStringList previous;
        for (int row = 0; row < rows; ++row) {
            c.row = row;
            QStringList keys;
            for (const CompiledGroup &g : m_groups)
                keys << reportValueText(g.condition.evaluate(c));
            for (qsizetype level = 0; level < keys.size(); ++level) {
                if (row == 0 || keys[level] != previous[level]) {
                    m_breakLevels[row] = int(level);
                    break;
                }
            }
            previous = keys;
        }
        for (qsizetype level = 0; level < m_groups.size(); ++level) {
            QList<int> &endOf = m_groups[level].endOf;
            endOf.resize(rows);
            int next = rows;
            for (int row = rows - 1; row >= 0; --row) {
                endOf[row] = next;
                if (m_breakLevels[row] <= level)
                    next = row;
            }
        }
    }

    int breakLevel(int row) const { return m_groups.isEmpty() ? 0 : m_breakLevels[row]; }

    void openGroups(int fromLevel, int row)
    {
        for (qsizetype level = fromLevel; level < m_groups.size(); ++level) {
            CompiledGroup &g = m_groups[level];
            g.start = row;
            g.end = g.endOf[row];
            g.headerPlaced = false;
            m_context.row = row;
            m_context.line = row + 1;
            if (g.source->newPage && m_bodyPlaced)
                newPage();
            else if (g.source->keepTogether && m_bodyPlaced)
                keepTogether(g);
            QString shown;
            const Spot at = placeFlowing(g.header, &shown);
            g.headerPlaced = true;
            if (shown.isEmpty())
                shown = reportValueText(g.condition.evaluate(m_context));
            m_out->outline << OutlineEntry{shown, int(level), at.page, at.y};
        }
    }

    void closeGroups(int toLevel, int lastRow)
    {
        m_context.row = lastRow;
        m_context.line = lastRow + 1;
        for (qsizetype level = m_groups.size() - 1; level >= toLevel; --level) {
            placeFlowing(m_groups[level].footer);
            m_groups[level].headerPlaced = false;
        }
    }

    // Starts the group on a new page when it does not fit in the room left but fits a page.
    void keepTogether(const CompiledGroup &g)
    {
        double height = measure(g.header).height + measure(g.footer).height;
        const ExpressionContext saved = m_context;
        for (int row = g.start; row < g.end && height <= freshRoom(); ++row) {
            m_context.row = row;
            height += measure(m_bands[int(BandType::MasterData)]).height;
        }
        m_context = saved;
        if (height > m_footerTop - m_y + epsilon && height <= freshRoom())
            newPage();
    }

    void placeDetail(int row)
    {
        if (!m_tpl.detail)
            return;
        try {
            m_details.push_back(m_data.detailRows(m_tpl.detail->sql, row));
        } catch (const Error &e) {
            throw Error(m_tpl.problemAt(m_tpl.detail->line, QStringLiteral("the query of detail \"%1\" failed: %2")
                                                                .arg(m_tpl.detail->name, e.message())));
        }
        ReportDataSet &detail = m_details.back();
        detail.setName(m_tpl.detail->name);
        m_context.detail = &detail;
        m_context.detailRow = 0;
        placeFlowing(m_detailHeader);
        for (int d = 0; d < detail.rowCount(); ++d) {
            m_context.detailRow = d;
            m_context.line = d + 1;
            placeFlowing(m_detailData);
        }
        m_context.detailRow = detail.rowCount() - 1;
        m_context.line = detail.rowCount();
        placeFlowing(m_detailFooter);
        m_context.line = row + 1;
    }

    ExpressionContext contextFor(const CompiledBand &band) const
    {
        ExpressionContext c = m_context;
        c.scope = band.scope;
        c.group = band.group;
        c.wholeScope = band.wholeScope;
        return c;
    }

    // Western letters, digits and signs, which a text font holds itself: no wider fallback
    // font's glyph, no tab stop.
    static bool drawnInItsOwnFont(const QString &text)
    {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x180 && c != u'\t'; });
    }

    double lineHeight(const CompiledItem &ci) const { return ci.metrics->lineSpacing() / dotsPerMm; }

    double textHeight(const CompiledItem &ci, const QString &text) const
    {
        const ReportItem &item = *ci.item;
        const int flags = int(item.align) | (item.wrap ? Qt::TextWordWrap : 0);
        const double width = item.rect.width() * dotsPerMm;
        // Most cells hold one short line: no wider than its length in the font's widest
        // character, or at least its advance, which is much cheaper than a layout.
        const bool oneLine = !text.contains(QLatin1Char('\n'));
        if (oneLine && text.size() * ci.widestCharacter <= width && drawnInItsOwnFont(text))
            return ci.metrics->height() / dotsPerMm;
        if (oneLine && ci.metrics->horizontalAdvance(text) <= width)
            return ci.metrics->height() / dotsPerMm;
        return ci.metrics->boundingRect(QRectF(0, 0, width, 1e7), flags, text).height() / dotsPerMm;
    }

    MeasuredBand measure(const CompiledBand &band) const
    {
        MeasuredBand m;
        if (!band.band)
            return m;
        const ExpressionContext c = contextFor(band);
        m.height = band.band->height;
        for (const CompiledItem &ci : band.items) {
            if (!ci.printIf.isEmpty() && !ci.printIf.isTrue(c))
                continue;
            MeasuredItem mi;
            mi.source = &ci;
            mi.style = ci.item;
            for (const auto &[when, style] : ci.highlights) {
                if (when.isTrue(c)) {
                    mi.style = style;
                    break;
                }
            }
            if (ci.item->kind == ItemKind::Text)
                mi.text = ci.expression.expand(c);
            mi.top = ci.item->rect.y();
            mi.height = ci.item->rect.height();
            if (ci.metrics) {
                mi.height = std::max(mi.height, textHeight(ci, mi.text));
                m.height = std::max(m.height, band.band->height - ci.item->rect.bottom() + mi.top + mi.height);
            }
            m.items << mi;
        }
        return m;
    }

    bool printable(const CompiledBand &band) const
    {
        return band.band && (band.printIf.isEmpty() || band.printIf.isTrue(contextFor(band)));
    }

    // The room for the body on a page yet to be opened (no title there).
    double freshRoom() const
    {
        double top = bandHeightOf(BandType::PageHeader);
        for (const CompiledGroup &g : m_groups) {
            if (g.headerPlaced && g.source->repeatHeader && g.header.band)
                top += g.header.band->height;
        }
        return m_footerTop - top;
    }

    // Where a band begins on the pages: 0-based page, mm from the top margin.
    struct Spot {
        int page;
        double y;
    };

    // Places a band in the body: on a new page when it does not fit on this one but fits a
    // page, split across pages when it fits no page. Returns where it begins (where it would
    // have when it does not print); `shown`, when given, receives its texts.
    Spot placeFlowing(const CompiledBand &band, QString *shown = nullptr)
    {
        if (!printable(band))
            return Spot{int(m_out->pages.size()) - 1, m_y};
        const BandType type = band.band->type;
        const bool startsBlock = type != BandType::GroupFooter && type != BandType::DetailFooter
                                 && type != BandType::Summary;
        if (m_breakPending && startsBlock) {
            m_breakPending = false;
            newPage();
        }
        MeasuredBand m = measure(band);
        const int columns = type == BandType::MasterData ? band.band->columns : 1;
        if (columns > 1 && m_column > 0 && m_lineTop + m.height <= m_footerTop + epsilon) {
            // The next cell of a line of rows side by side.
            place(band, m, m_lineTop, m_column * m_pageWidth / columns);
            m_y = std::max(m_y, m_lineTop + m.height);
            m_column = (m_column + 1) % columns;
            if (band.band->pageBreakAfter)
                m_breakPending = true;
            return Spot{int(m_out->pages.size()) - 1, m_lineTop};
        }
        const double room = m_footerTop - m_y;
        // The first page also holds the title, so a page without it may have more room.
        if (m.height > room + epsilon && m.height <= freshRoom() + epsilon
            && (m_bodyPlaced || room < freshRoom() - epsilon)) {
            newPage();
        }
        const Spot at{int(m_out->pages.size()) - 1, m_y};
        if (shown)
            *shown = textsOf(m);
        if (m.height <= m_footerTop - m_y + epsilon)
            place(band, m, m_y);
        else
            split(band, m);
        m_y += m.height;
        m_bodyPlaced = true;
        // A row that starts a line on this page leaves the line's other cells to the next rows;
        // any other band ends the line.
        const bool lineOpen = columns > 1 && at.page == int(m_out->pages.size()) - 1;
        m_column = lineOpen ? 1 : 0;
        m_lineTop = at.y;
        if (band.band->pageBreakAfter) {
            m_breakPending = true;
            m_column = 0;
        }
        return at;
    }

    static QString textsOf(const MeasuredBand &m)
    {
        QStringList texts;
        for (const MeasuredItem &mi : m.items) {
            if (mi.source->item->kind == ItemKind::Text && !mi.text.trimmed().isEmpty())
                texts << mi.text.simplified();
        }
        return texts.join(QLatin1Char(' '));
    }

    // Lines of a growing text as they wrap at its width on the reference device.
    QStringList wrappedLines(const CompiledItem &ci, const QString &text)
    {
        QStringList lines;
        QTextOption option;
        option.setWrapMode(ci.item->wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
        for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, ci.item->qfont(), &m_device);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(ci.item->rect.width() * dotsPerMm);
                lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
            }
            layout.endLayout();
            if (paragraph.isEmpty())
                lines << QString();
        }
        return lines;
    }

    // A band taller than a page: each page takes what fits. Growing texts continue line by line
    // on the next page; other items that would cross the page's end move there whole.
    void split(const CompiledBand &band, MeasuredBand &m)
    {
        struct Rest {
            MeasuredItem item;
            QStringList lines; // growing texts
        };
        QList<Rest> rest;
        for (const MeasuredItem &mi : m.items)
            rest << Rest{mi, mi.source->metrics ? wrappedLines(*mi.source, mi.text) : QStringList()};
        double offset = 0; // the band's part already placed
        double end = m.height;
        for (;;) {
            const double pieceEnd = offset + (m_footerTop - m_y);
            const bool freshPage = !m_bodyPlaced;
            MeasuredBand piece;
            for (qsizetype i = 0; i < rest.size();) {
                MeasuredItem &mi = rest[i].item;
                QStringList &lines = rest[i].lines;
                if (mi.top >= pieceEnd - epsilon) {
                    ++i;
                    continue;
                }
                MeasuredItem part = mi;
                part.top = mi.top - offset;
                if (mi.top + mi.height <= pieceEnd + epsilon) {
                    piece.items << part;
                    rest.removeAt(i);
                    continue;
                }
                if (!lines.isEmpty()) {
                    const double lh = lineHeight(*mi.source);
                    qsizetype fit = qsizetype((pieceEnd - mi.top + epsilon) / lh);
                    if (fit == 0 && freshPage && mi.top <= offset + epsilon)
                        fit = 1; // a line taller than the page: cut it rather than loop
                    fit = std::min(fit, lines.size());
                    if (fit > 0) {
                        part.text = lines.mid(0, fit).join(QLatin1Char('\n'));
                        part.height = std::min(fit * lh, pieceEnd - mi.top);
                        piece.items << part;
                        lines.remove(0, fit);
                    }
                    if (lines.isEmpty()) {
                        rest.removeAt(i);
                        continue;
                    }
                    mi.text = lines.join(QLatin1Char('\n'));
                    mi.height = lines.size() * lh;
                } else if (mi.height > freshRoom() || (freshPage && mi.top <= offset + epsilon)) {
                    part.height = pieceEnd - mi.top; // taller than any page: cut
                    piece.items << part;
                    rest.removeAt(i);
                    continue;
                }
                mi.top = pieceEnd;
                end = std::max(end, mi.top + mi.height);
                ++i;
            }
            place(band, piece, m_y);
            if (rest.isEmpty() && end <= pieceEnd + epsilon) {
                m.height = end - offset;
                return;
            }
            m_bodyPlaced = true;
            offset = pieceEnd;
            newPage();
        }
    }

    void newPage()
    {
        closePage();
        openPage(false);
    }

    void openPage(bool first)
    {
        m_out->pages.append(PreparedPage());
        m_context.page = int(m_out->pages.size());
        m_pageFirst << m_placedRows;
        m_pageLast << m_placedRows - 1;
        m_y = 0;
        m_bodyPlaced = false;
        m_column = 0;
        const ExpressionContext saved = m_context;
        m_context.row = std::min(m_placedRows, m_data.rowCount() - 1);
        m_context.line = m_placedRows;
        if (first)
            placeFixed(m_bands[int(BandType::ReportTitle)]);
        placeFixed(m_bands[int(BandType::PageHeader)]);
        m_context = saved;
        for (const CompiledGroup &g : m_groups) {
            // A header repeated only while it leaves room, so that pages keep filling with rows.
            if (g.headerPlaced && g.source->repeatHeader && g.header.band
                && m_y + g.header.band->height < m_footerTop - 1)
                placeFixed(g.header);
        }
    }

    void closePage()
    {
        const ExpressionContext saved = m_context;
        m_context.row = m_placedRows - 1;
        m_context.line = m_placedRows;
        const CompiledBand &footer = m_bands[int(BandType::PageFooter)];
        if (printable(footer)) {
            MeasuredBand m = measure(footer);
            place(footer, m, m_footerTop);
        }
        m_context = saved;
    }

    // Title, page header and repeated group headers: no page break before them, cut at the
    // footer when too tall.
    void placeFixed(const CompiledBand &band)
    {
        if (!printable(band))
            return;
        MeasuredBand m = measure(band);
        const double height = std::min(band.band->height, m_footerTop - m_y);
        for (MeasuredItem &mi : m.items)
            mi.height = std::min(mi.source->item->rect.height(), std::max(0.0, height - mi.top));
        place(band, m, m_y);
        m_y += height;
    }

    void place(const CompiledBand &band, const MeasuredBand &m, double y, double x = 0)
    {
        PreparedPage &page = m_out->pages.last();
        const bool rowBand = band.band->type == BandType::MasterData;
        for (const MeasuredItem &mi : m.items) {
            const CompiledItem &ci = *mi.source;
            PreparedItem p;
            p.source = mi.style;
            p.band = band.band->type;
            p.row = rowBand ? m_context.row : -1;
            p.rect = QRectF(x + ci.item->rect.x(), y + mi.top, ci.item->rect.width(), mi.height);
            if (ci.item->kind == ItemKind::Text) {
                p.text = mi.text;
                setNumber(p, ci);
                if (ci.usesTotalPages || (ci.usesPageAggregates && band.band->type == BandType::PageHeader))
                    m_pending << PendingText{int(m_out->pages.size()) - 1, page.items.size(), &ci, contextFor(band)};
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

    void resolvePending()
    {
        const int total = int(m_out->pages.size());
        for (PendingText &pending : m_pending) {
            pending.context.totalPages = total;
            m_out->pages[pending.page].items[pending.item].text = pending.source->expression.expand(pending.context);
        }
    }

    // Rows from..last of `set`, continuing from the rows taken before when the range only grew
    // (running totals take one row at a time).
    const Accumulator &accumulate(const AggregateCall &call, const ExpressionContext &c, const ReportDataSet *set,
                                  int from, int last) const
    {
        Accumulator &a = m_accumulators[&call];
        if (a.set != set || a.from != from || a.to > last)
            a = Accumulator{set, from, from - 1};
        ExpressionContext at = c;
        for (int r = a.to + 1; r <= last; ++r) {
            (set == &m_data ? at.row : at.detailRow) = r;
            const QVariant v = call.argument ? evaluateExpression(*call.argument, at) : QVariant(qint64(1));
            a.to = r;
            if (v.isNull())
                continue;
            ++a.count;
            if (const auto x = reportNumber(v)) {
                a.sum += *x;
                a.whole = a.whole && (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int);
            }
            if (a.min.isNull() || less(v, a.min))
                a.min = v;
            if (a.max.isNull() || less(a.max, v))
                a.max = v;
        }
        return a;
    }

    static QVariant result(const AggregateCall &call, const Accumulator &a)
    {
        switch (call.kind) {
        case AggregateKind::Sum:
            return a.whole ? QVariant(qint64(std::llround(a.sum))) : QVariant(a.sum);
        case AggregateKind::Count:
            return a.count;
        case AggregateKind::Avg:
            return a.count ? QVariant(a.sum / double(a.count)) : QVariant();
        case AggregateKind::Min:
            return a.min;
        case AggregateKind::Max:
            return a.max;
        }
        return {};
    }

    const ReportTemplate &m_tpl;
    const ReportDataSet &m_data;
    QImage m_device;
    std::deque<ReportItem> &m_styles;
    ExpressionNames m_names;
    std::deque<ReportExpression> m_variables;
    CompiledBand m_bands[5];
    QList<CompiledGroup> m_groups;
    QList<int> m_breakLevels;
    CompiledBand m_detailHeader, m_detailData, m_detailFooter;
    std::deque<ReportDataSet> m_details; // kept: pending texts may read them again
    ExpressionContext m_context;
    PreparedReport *m_out = nullptr;
    QList<PendingText> m_pending;
    QList<int> m_pageFirst, m_pageLast; // master rows of each page
    mutable QHash<const AggregateCall *, Accumulator> m_accumulators;
    double m_footerTop = 0;
    double m_y = 0;
    bool m_bodyPlaced = false;
    double m_pageWidth = 0;
    int m_column = 0;     // of a multi-column master band: the cell the next row takes; 0 starts a line
    double m_lineTop = 0; // where the line of cells began
    bool m_breakPending = false;
    int m_placedRows = 0;
};

} // namespace

PreparedReport prepareReport(const ReportTemplate &tpl, const ReportDataSet &data, std::optional<QPageLayout> layout,
                             const QDateTime &now)
{
    PreparedReport out;
    auto source = std::make_shared<const ReportTemplate>(tpl);
    auto styles = std::make_shared<std::deque<ReportItem>>();
    out.source = source;
    out.styles = styles;
    out.title = tpl.title;
    out.layout = layout.value_or(tpl.page.layout());
    out.layout.setUnits(QPageLayout::Millimeter);
    Layouter layouter(*source, data, now, *styles);
    layouter.run(out, out.layout.paintRect(QPageLayout::Millimeter).size());
    return out;
}

} // namespace tarvo

// Preparing and exporting a 10,000-row report to PDF, against the floor: the same texts painted
// straight onto a QPdfWriter at the same places, without templates, expressions or layout. Once
// as a flat table, once grouped by region and city with counts and totals in headers and footers.
#include "report/reportdataset.h"
#include "report/reportlayout.h"
#include "report/reportpainter.h"
#include "report/reporttemplate.h"

#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace tarvo;

namespace {

constexpr int rowCount = 10000;

const ReportDataSet &data()
{
    static const ReportDataSet set = [] {
        QList<QVariantList> rows;
        for (int i = 1; i <= rowCount; ++i)
            rows << QVariantList{qint64(i), QStringLiteral("Customer number %1").arg(i), i * 1.25,
                                 QStringLiteral("Region %1").arg(i / 2500), QStringLiteral("City %1").arg(i / 250)};
        return ReportDataSet({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("balance"),
                              QStringLiteral("region"), QStringLiteral("city")},
                             rows);
    }();
    return set;
}

// A table of the given columns of data().
ReportTemplate table(const QStringList &columns)
{
    return ReportTemplate::tableLayout(ReportDataSet(columns, {}), QStringLiteral("Customers"));
}

ReportTemplate flat()
{
    return table({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("balance")});
}

// The table with two group levels: a header with the group's count and total before each group
// (worked out ahead), a footer with its total and average after it, and a running total per row.
ReportTemplate grouped()
{
    static const QByteArray groups = R"(<report title="Customers">
  <group name="region" condition='Report."region"'>
    <groupHeader height="8"><text x="0" y="1" w="190" h="6" size="12" bold="1">[Report."region"]: [COUNT()] customers, [SUM(Report."balance")]</text></groupHeader>
    <groupFooter height="7"><text x="0" y="0" w="190" h="6" bold="1">Total [Report."region"] [FORMAT(SUM(Report."balance"), "number:#,##0.00")]</text></groupFooter>
  </group>
  <group name="city" condition='Report."city"' repeatHeader="1">
    <groupHeader height="7"><text x="5" y="0" w="185" h="6" bold="1">[Report."city"] ([COUNT()])</text></groupHeader>
    <groupFooter height="7"><text x="5" y="0" w="185" h="6">[Report."city"]: [FORMAT(SUM(Report."balance"), "number:#,##0.00")], average [FORMAT(AVG(Report."balance"), "number:0.00")]</text></groupFooter>
  </group>
</report>)";
    ReportTemplate t = ReportTemplate::fromXml(groups, QStringLiteral("bench"));
    const ReportTemplate rows = table(
        {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("balance"), QStringLiteral("running")});
    for (BandType type : allBandTypes()) {
        if (const ReportBand *band = rows.band(type))
            t.addBand(type) = *band;
    }
    t.band(BandType::MasterData)->items.last().text = QStringLiteral("[SUM(Report.\"balance\", \"city\")]");
    return t;
}

QString outputPath()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("bench.pdf"));
}

void engine(benchmark::State &state, ReportTemplate (*makeTemplate)())
{
    const ReportTemplate tpl = makeTemplate();
    qsizetype pages = 0;
    for (auto _ : state) {
        const PreparedReport report = prepareReport(tpl, data());
        exportPdf(report, outputPath());
        pages = report.pages.size();
    }
    state.counters["pages"] = double(pages);
    state.counters["pages/s"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
}

// The floor paints the texts of the engine's pages, placed as the engine placed them.
void floor(benchmark::State &state, ReportTemplate (*makeTemplate)())
{
    const ReportTemplate tpl = makeTemplate();
    const PreparedReport report = prepareReport(tpl, data());
    struct Text {
        QRectF rect;
        QString text;
        int style;
    };
    QList<QList<Text>> pages;
    QList<QFont> fonts;
    QList<const ReportItem *> styles;
    for (const PreparedPage &page : report.pages) {
        pages.append(QList<Text>());
        for (const PreparedItem &item : page.items) {
            if (item.source->kind != ItemKind::Text)
                continue;
            if (!styles.contains(item.source)) {
                styles << item.source;
                fonts << item.source->qfont();
            }
            pages.last() << Text{item.rect, item.text, int(styles.indexOf(item.source))};
        }
    }
    for (auto _ : state) {
        QPdfWriter writer(outputPath());
        writer.setResolution(1200);
        writer.setPageLayout(report.layout);
        QPainter painter(&writer);
        const double dpmm = 1200 / 25.4;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            if (p > 0)
                writer.newPage();
            for (const Text &t : pages[p]) {
                painter.setFont(fonts[t.style]);
                painter.drawText(QRectF(t.rect.x() * dpmm, t.rect.y() * dpmm, t.rect.width() * dpmm,
                                        t.rect.height() * dpmm),
                                 int(styles[t.style]->align) | Qt::TextWordWrap, t.text);
            }
        }
    }
    state.counters["pages"] = double(pages.size());
    state.counters["pages/s"] = benchmark::Counter(double(pages.size()) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_CAPTURE(engine, flat, flat)->Name("Report10kRows/EnginePrepareAndPdf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor, flat, flat)->Name("Report10kRows/FloorQPainterOnPdfWriter")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(engine, grouped, grouped)
    ->Name("Report10kRowsTwoGroupLevels/EnginePrepareAndPdf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor, grouped, grouped)
    ->Name("Report10kRowsTwoGroupLevels/FloorQPainterOnPdfWriter")
    ->Unit(benchmark::kMillisecond);

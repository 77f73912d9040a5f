// Preparing and exporting a 10,000-row report to PDF, against the floor: the same texts painted
// straight onto a QPdfWriter at the same places, without templates, expressions or layout.
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
            rows << QVariantList{qint64(i), QStringLiteral("Customer number %1").arg(i), i * 1.25};
        return ReportDataSet({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("balance")}, rows);
    }();
    return set;
}

QString outputPath()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("bench.pdf"));
}

void engine(benchmark::State &state)
{
    const ReportTemplate tpl = ReportTemplate::tableLayout(data(), QStringLiteral("Customers"));
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
void floor(benchmark::State &state)
{
    const ReportTemplate tpl = ReportTemplate::tableLayout(data(), QStringLiteral("Customers"));
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
    state.counters["pages/s"] = benchmark::Counter(double(pages.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(engine)->Name("Report10kRows/EnginePrepareAndPdf")->Unit(benchmark::kMillisecond);
BENCHMARK(floor)->Name("Report10kRows/FloorQPainterOnPdfWriter")->Unit(benchmark::kMillisecond);

#pragma once
// Layout: a template and a data set become prepared pages, device-independent (rectangles in mm
// from the top-left margin corner, expanded texts). Measured against a 1200 dpi reference device,
// so screen, printer and PDF show the same page breaks.
#include "report/reporttemplate.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <deque>
#include <memory>
#include <optional>

namespace tarvo {

class ReportDataSet;

struct PreparedItem {
    const ReportItem *source = nullptr; // style; owned by PreparedReport::source or ::styles
    BandType band = BandType::MasterData;
    int row = -1;    // data row of a master-data item
    QRectF rect;     // mm, from the top-left margin corner
    QString text;    // text items, expressions expanded
    QImage image;    // image items
    QVariant number; // a text that is exactly one numeric field: its value
};

struct PreparedPage {
    QList<PreparedItem> items;
};

struct PreparedReport {
    std::shared_ptr<const ReportTemplate> source;
    std::shared_ptr<const std::deque<ReportItem>> styles; // items as their highlights restyle them
    QPageLayout layout;
    QList<PreparedPage> pages;
    QString title;
};

// Lays out every row of `data`; `layout` replaces the template's page (a printer's, say).
// Raises ParseError when the title, page header and footer leave no room for the data, or an
// expression, group or variable of the template is wrong; Error when a detail query fails;
// SilentAbort when the user cancels its progress window.
PreparedReport prepareReport(const ReportTemplate &tpl, const ReportDataSet &data,
                             std::optional<QPageLayout> layout = std::nullopt,
                             const QDateTime &now = QDateTime::currentDateTime());

} // namespace tarvo

#pragma once
// The one paint path for prepared pages: preview, printer and PDF all draw through paintPage.
// The painter's origin is the top-left margin corner (as on QPrinter and QPdfWriter).
#include "report/reportlayout.h"

#include <QString>

class QPainter;
class QPrinter;

namespace tarvo {

struct PaintOptions {
    QString highlight; // texts containing it (ignoring case) get a marker behind them
};

void paintPage(QPainter &painter, const PreparedPage &page, const PaintOptions &options = {});

// Prints pages from..to (1-based, inclusive; 0 for all) on a printer set up by the caller.
// Raises FileError when the printer cannot start.
void printReport(const PreparedReport &report, QPrinter &printer, int fromPage = 0, int toPage = 0);

// Writes the pages to a PDF file titled with the report's title. Raises FileError, or
// SilentAbort when the user cancels its progress window; either leaves no file behind.
void exportPdf(const PreparedReport &report, const QString &path);

} // namespace tarvo

#pragma once
// Prepared reports kept in a file: the pages as the preview shows them, the outline, the page
// layout and the template (for the spreadsheet export), so the report shows again without its
// data. The format is described in docs/report-format.md.
#include "report/reportlayout.h"

#include <QByteArray>
#include <QString>

namespace tarvo {

inline QString preparedReportSuffix()
{
    return QStringLiteral("tpr");
}

QByteArray preparedReportBytes(const PreparedReport &report);
// Raises ParseError naming `sourceName` when `bytes` are no prepared report of a known version,
// or are damaged. Every count and length is checked against what the bytes can hold.
PreparedReport preparedReportFromBytes(const QByteArray &bytes, const QString &sourceName);

// Raise FileError when the file cannot be written or read; a failed save leaves what was there.
void savePreparedReport(const PreparedReport &report, const QString &path);
PreparedReport loadPreparedReport(const QString &path);

} // namespace tarvo

#pragma once
// Exports of prepared reports besides PDF (reportpainter.h): one HTML file, and a SpreadsheetML
// 2003 workbook of the page header and the master-data rows. Both raise FileError, or SilentAbort
// when the user cancels their progress window; either leaves the file as it was.
#include "report/reportlayout.h"

#include <QString>

namespace tarvo {

void exportHtml(const PreparedReport &report, const QString &path);
QByteArray htmlDocument(const PreparedReport &report);

void exportSpreadsheetXml(const PreparedReport &report, const QString &path);
// A legal worksheet name: none of []:*?/\, at most 31 characters, never empty.
QString worksheetName(const QString &wanted);
// Drops characters below U+0020 except tab, line feed and carriage return: XML cannot hold them.
QString withoutControlCharacters(const QString &text);

} // namespace tarvo

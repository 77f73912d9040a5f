#pragma once
// The spreadsheet workbook of a grid export: the export block (title row first, every cell as the
// text the grid shows) in a new .xlsx file, the title row shaded 0xC8C8C8, thin borders and
// shrink-to-fit on every cell of the block, the first cell selected.
#include <QList>
#include <QString>
#include <QStringList>

namespace tarvo {

// Rows of equal length. Raises FileError when the workbook cannot be written, Error when the
// block does not fit a worksheet, and SilentAbort when the user cancels its progress window; the
// file at `path` then stays as it was. Cells longer than a worksheet cell holds are cut.
void writeGridWorkbook(const QString &path, const QList<QStringList> &block);

// A new, uniquely named folder under the temporary folder that outlives Tarvo, so that the
// spreadsheet application can still read the workbook after the export returns.
QString newExportFolder();

} // namespace tarvo

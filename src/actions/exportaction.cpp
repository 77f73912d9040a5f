// adbGridToExcel: the grid's cells, title row first, into a new workbook opened with the
// desktop's spreadsheet application (without waiting for it), or saved where the user chooses
// when no application opens workbooks.
#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/gridworkbook.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "platform/waitcursor.h"

#include <QDir>
#include <QUrl>

namespace tarvo {

namespace {

const QString kWorkbookType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

QList<QStringList> exportBlock(const TdbStringGridEx &grid)
{
    QList<QStringList> block;
    block.reserve(grid.rowCount());
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList row;
        row.reserve(grid.colCount());
        for (int c = 0; c < grid.colCount(); ++c)
            row << grid.cell(c, r);
        block << row;
    }
    return block;
}

// Without an application for workbooks the export is not lost: the user may keep it as a file.
void offerToSaveWorkbook(const TdbStringGridEx &grid, const QString &name, const ActionContext &context)
{
    QWidget *owner = messageOwner(context);
    const QString path = interaction().saveFileName(owner, name + QStringLiteral(".xlsx"),
                                                    QStringLiteral("Excel workbook (*.xlsx)"), QStringLiteral("xlsx"));
    if (!path.isEmpty()) {
        const WaitCursor busy;
        writeGridWorkbook(path, exportBlock(grid));
    }
}

} // namespace

void actionGridToExcel(TdbButton &button, ActionContext &context)
{
    const bool canOpen = interaction().hasApplicationFor(kWorkbookType);
    if (!canOpen)
        showActionMessage(context, QStringLiteral("Your computer does not have Excel."), QStringLiteral("Error"));
    TdbStringGridEx *grid = resultGrid(button);
    if (!grid)
        return;
    const QString name = grid->objectName().isEmpty() ? QStringLiteral("Grid") : grid->objectName();
    if (!canOpen) {
        offerToSaveWorkbook(*grid, name, context);
        return;
    }
    const QString folder = newExportFolder();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".xlsx");
    try {
        const WaitCursor busy;
        writeGridWorkbook(path, exportBlock(*grid));
    } catch (...) {
        QDir(folder).removeRecursively(); // a cancelled or failed export leaves nothing behind
        throw;
    }
    // A workbook nobody opens is a failed export, even though the file exists.
    if (!interaction().openUrl(QUrl::fromLocalFile(path)))
        throw Error(QStringLiteral("Unable to open ") + QDir::toNativeSeparators(path));
}

} // namespace tarvo

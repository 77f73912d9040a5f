#include "actions/gridworkbook.h"

#include "platform/errors.h"
#include "platform/workprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <filesystem>
#include <xlsxwriter.h>

namespace tarvo {

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr int kMaxCellChars = 32767;

lxw_format *borderedFormat(lxw_workbook *workbook)
{
    lxw_format *format = workbook_add_format(workbook);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_shrink(format);
    return format;
}

QByteArray cellText(const QString &text)
{
    // Cut at a character boundary so that a surrogate pair is never split.
    QString cut = text.left(kMaxCellChars);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    // A workbook reads "_xHHHH_" in a text as an escaped character; a literal one must keep its
    // underscore escaped or the spreadsheet shows another text than the grid.
    static const QRegularExpression escapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    cut.replace(escapeLike, QStringLiteral("_x005F_"));
    return cut.toUtf8();
}

} // namespace

QString newExportFolder()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tarvo-export-XXXXXX"));
    if (!dir.isValid())
        throw FileError(QStringLiteral("Unable to create a folder in ") + QDir::tempPath());
    dir.setAutoRemove(false);
    return dir.path();
}

void writeGridWorkbook(const QString &path, const QList<QStringList> &block)
{
    const int rows = block.size();
    const int columns = rows ? block.first().size() : 0;
    if (rows > kMaxRows || columns > kMaxColumns)
        throw Error(
            QStringLiteral("The grid is larger than a worksheet (%1 rows, %2 columns)").arg(kMaxRows).arg(kMaxColumns));

    // Written beside its place and moved there when whole, so that a cancelled or failed export
    // leaves neither a workbook that looks complete nor a damaged one where one was.
    QTemporaryFile part(QFileInfo(path).absolutePath() + QStringLiteral("/.tarvo-XXXXXX.xlsx"));
    if (!part.open())
        throw FileError(QStringLiteral("Unable to write to ") + path);
    part.close();
    lxw_workbook *workbook = workbook_new(QDir::toNativeSeparators(part.fileName()).toUtf8().constData());
    if (!workbook)
        throw FileError(QStringLiteral("Unable to write to ") + path);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);

    lxw_format *title = borderedFormat(workbook);
    format_set_pattern(title, LXW_PATTERN_SOLID);
    format_set_bg_color(title, 0xC8C8C8);
    lxw_format *cell = borderedFormat(workbook);

    WorkProgress progress(QObject::tr("Writing row %1"), rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), cellText(block[r].value(c)).constData(),
                                   r == 0 ? title : cell);
        if (!progress.advance()) {
            lxw_workbook_free(workbook); // frees without writing anything
            throw SilentAbort();
        }
    }
    worksheet_set_selection(sheet, 0, 0, 0, 0);

    if (workbook_close(workbook) != LXW_NO_ERROR)
        throw FileError(QStringLiteral("Unable to write to ") + path);
    // A temporary file is the owner's alone; a workbook is as readable as any file the user saves.
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                        | QFileDevice::ReadOther);
    std::error_code failed;
    std::filesystem::rename(part.fileName().toStdString(), path.toStdString(), failed); // replaces at once
    if (failed)
        throw FileError(QStringLiteral("Unable to write to ") + path);
    part.setAutoRemove(false);
}

} // namespace tarvo

#include "actions/gridworkbook.h"

#include "platform/errors.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
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
        throw Error(QStringLiteral("The grid is larger than a worksheet (%1 rows, %2 columns)")
                        .arg(kMaxRows).arg(kMaxColumns));

    lxw_workbook *workbook = workbook_new(QDir::toNativeSeparators(path).toUtf8().constData());
    if (!workbook)
        throw FileError(QStringLiteral("Unable to write to ") + path);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);

    lxw_format *title = borderedFormat(workbook);
    format_set_pattern(title, LXW_PATTERN_SOLID);
    format_set_bg_color(title, 0xC8C8C8);
    lxw_format *cell = borderedFormat(workbook);

    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                   cellText(block[r].value(c)).constData(), r == 0 ? title : cell);
    worksheet_set_selection(sheet, 0, 0, 0, 0);

    if (workbook_close(workbook) != LXW_NO_ERROR)
        throw FileError(QStringLiteral("Unable to write to ") + path);
}

} // namespace tarvo

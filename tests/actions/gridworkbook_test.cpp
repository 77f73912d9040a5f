#include "actions/gridworkbook.h"
#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

QString unzipped(const QString &workbook, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, member});
    EXPECT_TRUE(unzip.waitForFinished(10000));
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

// The cell texts of sheet 1, row by row, resolved through the shared string table.
QList<QStringList> cellTexts(const QString &workbook)
{
    QStringList shared;
    const QRegularExpression si(QStringLiteral("<si><t[^>]*>(.*?)</t></si>"));
    for (const auto &m : si.globalMatch(unzipped(workbook, QStringLiteral("xl/sharedStrings.xml"))))
        shared << m.captured(1);
    QList<QStringList> rows;
    const QRegularExpression row(QStringLiteral("<row [^>]*>(.*?)</row>"));
    const QRegularExpression cell(QStringLiteral("<c r=\"[A-Z]+\\d+\"[^>]*?(/>|>(?:<v>(\\d+)</v>)?</c>)"));
    for (const auto &r : row.globalMatch(unzipped(workbook, QStringLiteral("xl/worksheets/sheet1.xml")))) {
        QStringList cells;
        for (const auto &c : cell.globalMatch(r.captured(1)))
            cells << (c.captured(2).isEmpty() ? QString() : shared.value(c.captured(2).toInt()));
        rows << cells;
    }
    return rows;
}

} // namespace

TEST(GridWorkbook, WritesEveryCellAsTextWithTitleFillBordersAndShrink)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("grid.xlsx"));
    const QList<QStringList> block = {
        {QStringLiteral("Имя"), QStringLiteral("Born"), QStringLiteral("Active")},
        {QStringLiteral("Иванов"), QStringLiteral("3/7/24"), QStringLiteral("Да")},
        {QStringLiteral("O'Brien & \"Co\""), QString(), QStringLiteral("Нет")},
    };
    writeGridWorkbook(path, block);

    QList<QStringList> expected = block;
    expected[2][0] = QStringLiteral("O'Brien &amp; \"Co\""); // as XML text
    EXPECT_EQ(cellTexts(path), expected);

    const QString styles = unzipped(path, QStringLiteral("xl/styles.xml"));
    EXPECT_TRUE(styles.contains(QStringLiteral("FFC8C8C8"))) << styles.toStdString();
    EXPECT_TRUE(styles.contains(QStringLiteral("<left style=\"thin\">")));
    EXPECT_TRUE(styles.contains(QStringLiteral("shrinkToFit=\"1\"")));
    // The empty cell still carries the bordered style.
    const QString sheet = unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"B3\" s=\"\\d+\"/>"))));
}

TEST(GridWorkbook, EmptyGridExportsTitlesAndOneEmptyRow)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("empty.xlsx"));
    writeGridWorkbook(path, {{QStringLiteral("Name"), QStringLiteral("City")}, {QString(), QString()}});
    EXPECT_EQ(cellTexts(path), (QList<QStringList>{{QStringLiteral("Name"), QStringLiteral("City")},
                                                    {QString(), QString()}}));
}

TEST(GridWorkbook, OverlongCellIsCutNotFailed)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("long.xlsx"));
    writeGridWorkbook(path, {{QStringLiteral("T")}, {QString(40000, QLatin1Char('x'))}});
    EXPECT_EQ(cellTexts(path)[1][0].size(), 32767);
}

TEST(GridWorkbook, UnwritablePathIsAFileError)
{
    EXPECT_THROW(writeGridWorkbook(QStringLiteral("/nonexistent-folder/x.xlsx"), {{QStringLiteral("T")}}),
                 FileError);
}

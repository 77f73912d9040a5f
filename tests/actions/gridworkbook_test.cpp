#include "actions/gridworkbook.h"
#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/printto.h"
#include "support/scriptedinteraction.h"
#include "workbookreader.h"

#include <QDir>
#include <chrono>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace tarvo;
using tarvo::test::readWorkbook;

TEST(GridWorkbook, WritesEveryCellAsTextWithTitleFillBordersAndShrink)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("grid.xlsx"));
    const QList<QStringList> block = {
        {QStringLiteral("Имя"), QStringLiteral("Born"), QStringLiteral("Active")},
        {QStringLiteral("Иванов"), QStringLiteral("3/7/24"), QStringLiteral("Да")},
        {QStringLiteral("O'Brien & \"Co\" <x>"), QString(), QStringLiteral("007")},
    };
    writeGridWorkbook(path, block);

    const auto book = readWorkbook(path);
    EXPECT_EQ(book.texts(), block);
    for (int r = 0; r < book.rows.size(); ++r)
        for (const auto &cell : book.rows[r]) {
            SCOPED_TRACE(cell.text.toStdString());
            EXPECT_EQ(cell.fill, r == 0 ? QStringLiteral("FFC8C8C8") : QString());
            EXPECT_TRUE(cell.thinBorders);
            EXPECT_TRUE(cell.shrink);
        }
    // Numbers stay texts, as the grid shows them ("007" keeps its zeros).
    EXPECT_TRUE(book.sheetXml.contains(QRegularExpression(QStringLiteral("<c r=\"C3\" s=\"\\d+\" t=\"s\">"))));
}

TEST(GridWorkbook, TextsThatLookLikeWorkbookEscapesComeBackUnchanged)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("escapes.xlsx"));
    const QList<QStringList> block = {{QStringLiteral("T")},
                                      {QStringLiteral("code _x0041_ and _x00e9_")},
                                      {QStringLiteral("tab\tbell\x07 end")},
                                      {QStringLiteral("_x005F_x0041_")}};
    writeGridWorkbook(path, block);
    EXPECT_EQ(readWorkbook(path).texts(), block);
}

TEST(GridWorkbook, OverlongCellIsCutNotFailed)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("long.xlsx"));
    // The cut falls inside a surrogate pair: the half character is dropped, not written.
    QString text = QString(32766, QLatin1Char('x')) + QString::fromUtf8("😀") + QStringLiteral("tail");
    writeGridWorkbook(path, {{QStringLiteral("T")}, {text}});
    EXPECT_EQ(readWorkbook(path).texts()[1][0], QString(32766, QLatin1Char('x')));
}

TEST(GridWorkbook, UnwritablePathIsAFileError)
{
    EXPECT_THROW(writeGridWorkbook(QStringLiteral("/nonexistent-folder/x.xlsx"), {{QStringLiteral("T")}}), FileError);
}

TEST(GridWorkbook, CancelLeavesNoWorkbookAndKeepsAnEarlierOne)
{
    QList<QStringList> block;
    for (int r = 0; r < 2000; ++r)
        block << QStringList{QString::number(r), QStringLiteral("row %1").arg(r)};
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "over an earlier file" : "a new file");
        test::ProjectFolder folder;
        if (earlier)
            folder.write(QStringLiteral("grid.xlsx"), QByteArray("earlier"));
        test::ScriptedInteraction desktop;
        desktop.showProgressAfter(std::chrono::milliseconds(0), [](qint64) { return false; });
        EXPECT_THROW(writeGridWorkbook(folder.file(QStringLiteral("grid.xlsx")), block), SilentAbort);
        ASSERT_EQ(desktop.progressWindows().size(), 1u);
        EXPECT_EQ(desktop.progressWindows().front().total, 2000);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                  earlier ? QStringList({u"grid.xlsx"_s}) : QStringList());
        if (earlier) {
            EXPECT_EQ(folder.read(QStringLiteral("grid.xlsx")), "earlier");
        }
    }
}

#include "controls/dbbutton.h"
#include "controls/sharedresources.h"

#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

TEST(Button, ConstructionValues)
{
    TdbButton b;
    EXPECT_EQ(b.dbActionType(), TdbButton::adbSearch);
    EXPECT_EQ(b.dbGeneralTableId(), 0);
    EXPECT_EQ(b.dbParentTableId(), -1);
    EXPECT_TRUE(b.dbParentTable().isEmpty());
    EXPECT_TRUE(b.dbSortAsc());
    EXPECT_TRUE(b.dbDoCloseForm());
    EXPECT_FALSE(b.dbConfirmDelete());
    EXPECT_EQ(b.dbIconName(), u"none"_s);
    EXPECT_EQ(b.imageIndex(), -1);
    EXPECT_TRUE(b.icon().isNull());
    for (const char *name : {"dbListControls", "dbListFields", "dbListFieldsNames", "dbResultControl", "dbGeneralTable",
                             "dbFormName", "dbSortField", "dbSQL", "dbReportFile"})
        EXPECT_TRUE(b.property(name).toString().isEmpty()) << name;
}

TEST(Button, ActionTypeOrdinalsAndNames)
{
    const char *names[] = {"adbNone", "adbSearch", "adbNewRecord", "adbSaveRecord", "adbShowRecord", "adbDelete",
                           "adbSQL",  "adbReport", "adbShowForm",  "adbCloseForm",  "adbGridToExcel"};
    TdbButton b;
    for (int ordinal = 0; ordinal < 11; ++ordinal) {
        ASSERT_TRUE(b.setProperty("dbActionType", QString::fromLatin1(names[ordinal]))) << names[ordinal];
        EXPECT_EQ(int(b.dbActionType()), ordinal);
    }
}

TEST(Button, IconSelectionByExactName)
{
    SharedResources &shared = sharedResources();
    const QList<QIcon> saved = shared.buttonIcons;
    shared.buttonIcons.clear();
    for (int i = 0; i < 12; ++i) {
        QPixmap pixmap(16, 16);
        pixmap.fill(QColor(i * 20, 0, 0));
        shared.buttonIcons << QIcon(pixmap);
    }

    struct Case {
        std::vector<const char *> names; // written in order
        int expected;
    } cases[] = {
        {{"New"}, 0}, {{"Database"}, 11},        {{"new"}, -1},          {{"NEW"}, -1},
        {{""}, -1},   {{"Save", "Unlisted"}, 8}, {{"Save", "none"}, -1}, {{"Excel", "excel"}, 10},
    };
    for (const Case &c : cases) {
        TdbButton b;
        for (const char *name : c.names)
            b.setDbIconName(QString::fromUtf8(name));
        EXPECT_EQ(b.imageIndex(), c.expected) << c.names.back();
        EXPECT_EQ(b.dbIconName(), QString::fromUtf8(c.names.back()));
        EXPECT_EQ(b.icon().isNull(), c.expected < 0);
    }
    shared.buttonIcons = saved;
}

// The picture sits one pixel inside the left edge of the button's contents, not centred with
// the caption.
TEST(Button, PictureKeepsItsLeftMargin)
{
    SharedResources &shared = sharedResources();
    const QList<QIcon> saved = shared.buttonIcons;
    QPixmap green(16, 16);
    green.fill(Qt::green);
    shared.buttonIcons = {QIcon(green)};
    TdbButton b;
    b.setText(u"Save"_s);
    b.setDbIconName(u"New"_s);
    b.resize(160, 30);
    const QImage shown = b.grab().toImage();
    int left = -1;
    for (int x = 0; x < shown.width() && left < 0; ++x)
        if (shown.pixelColor(x, 15) == QColor(Qt::green))
            left = x;
    QStyleOptionButton option;
    option.initFrom(&b);
    const int contents = b.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &b).left();
    EXPECT_EQ(left, contents + 1);
    shared.buttonIcons = saved;
}

} // namespace

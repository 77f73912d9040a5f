// The outline of groups: collected while the pages are laid out, shown beside the preview's
// pages, and taking the view to where a group starts.
#include "reporttestdata.h"

#include "report/reportpreview.h"

#include <QApplication>
#include <QGraphicsView>
#include <QPrintPreviewWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

const QColor regionFill(0x30, 0x60, 0xC0); // the region header's fill in regions.trp

ReportPreview::Prepare preparing(const ReportTemplate &t, const ReportDataSet &data)
{
    return [&](std::optional<QPageLayout> layout) { return prepareReport(t, data, layout, fixedNow); };
}

// The first pixel row of the preview's view from the top that shows `colour`; -1 for none.
int firstRowShowing(ReportPreview &preview, const QColor &colour)
{
    auto *view = preview.view()->findChild<QGraphicsView *>();
    const QImage shot = view->viewport()->grab().toImage();
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); x += 2) {
            if (shot.pixelColor(x, y) == colour)
                return y;
        }
    }
    return -1;
}

} // namespace

TEST(ReportOutline, EntriesNestInReportOrderAndPointAtTheirHeaders)
{
    const ReportTemplate t = regionsTemplate();
    const PreparedReport r = prepareReport(t, regionCustomers(3), std::nullopt, fixedNow);
    ASSERT_EQ(r.outline.size(), 3 + 9);
    QStringList shown;
    for (const OutlineEntry &e : r.outline)
        shown << QString(e.level, u' ') + e.text;
    EXPECT_EQ(shown.mid(0, 5),
              (QStringList{u"Region 1"_s, u" City 1.1 (6)"_s, u" City 1.2 (6)"_s, u" City 1.3 (6)"_s, u"Region 2"_s}));
    EXPECT_EQ(shown.last(), u" City 3.3 (6)"_s);
    // Each entry names the page and height of its header as printed, later ones never earlier.
    for (qsizetype i = 0; i < r.outline.size(); ++i) {
        const OutlineEntry &e = r.outline[i];
        ASSERT_LT(e.page, r.pages.size());
        const auto &items = r.pages[e.page].items;
        EXPECT_TRUE(std::any_of(items.begin(), items.end(), [&](const PreparedItem &item) {
            return item.band == BandType::GroupHeader && item.text == e.text
                   && std::abs(item.rect.y() - (e.y + 1)) < 1e-6;
        })) << e.text.toStdString();
        if (i > 0) {
            EXPECT_TRUE(std::pair(e.page, e.y) > std::pair(r.outline[i - 1].page, r.outline[i - 1].y));
        }
    }
    EXPECT_GT(r.outline.last().page, 0); // the fixture spans pages
}

TEST(ReportOutline, GroupWithoutHeaderTextIsListedByItsValue)
{
    ReportTemplate t = regionsTemplate();
    t.groups[0].header.reset();
    const PreparedReport r = prepareReport(t, regionCustomers(2), std::nullopt, fixedNow);
    ASSERT_EQ(r.outline.size(), 2 + 6);
    EXPECT_EQ(r.outline[0].text, u"Region 1"_s);
    EXPECT_EQ(r.outline[1].text, u"City 1.1 (6)"_s);
    EXPECT_EQ(r.outline[1].level, 1);
}

TEST(ReportOutline, PreviewListsGroupsNestedAndShowsWhereTheClickedOrEnteredOneStarts)
{
    const ReportTemplate t = regionsTemplate();
    const ReportDataSet data = regionCustomers(3);
    ReportPreview preview(prepareReport(t, data, std::nullopt, fixedNow), preparing(t, data));
    preview.resize(1024, 700);
    preview.show();
    QApplication::setActiveWindow(&preview);
    QTest::qWait(50);

    QTreeWidget *tree = preview.outline();
    ASSERT_TRUE(tree->isVisible());
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    QTreeWidgetItem *region3 = tree->topLevelItem(2);
    EXPECT_EQ(region3->text(0), u"Region 3"_s);
    ASSERT_EQ(region3->childCount(), 3);
    EXPECT_EQ(region3->child(1)->text(0), u"City 3.2 (6)"_s);

    // At the start the first region header is well below the title; the third is not in view.
    const OutlineEntry &third = preview.report().outline[8];
    ASSERT_EQ(third.text, u"Region 3"_s);
    ASSERT_GT(third.page, 0);
    EXPECT_GT(firstRowShowing(preview, regionFill), 60);

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(region3).center());
    EXPECT_EQ(preview.currentPage(), third.page + 1);
    const int top = firstRowShowing(preview, regionFill);
    EXPECT_GE(top, 0);
    EXPECT_LT(top, 30) << "the header starts at the top of the view";

    // Back to the first region with the keyboard.
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(preview.currentPage(), 1);
    EXPECT_LT(firstRowShowing(preview, regionFill), 30);
}

TEST(ReportOutline, PreviewOfAReportWithoutGroupsHasNoOutline)
{
    const ReportTemplate t = listTemplate();
    const ReportDataSet data = customers(40);
    ReportPreview preview(prepareReport(t, data, std::nullopt, fixedNow), preparing(t, data));
    preview.show();
    QTest::qWait(20);
    EXPECT_FALSE(preview.outline()->isVisible());
    EXPECT_FALSE(preview.action(u"outline"_s)->isEnabled());
}

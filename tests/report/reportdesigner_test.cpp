#include "reporttestdata.h"

#include "report/reportdesigner.h"
#include "report/reportengine.h"
#include "report/reportpreview.h"
#include "support/scriptedinteraction.h"

#include <QAction>
#include <QGraphicsView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintPreviewWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

void trigger(QWidget *dialog, const char *action)
{
    QAction *a = dialog->findChild<QAction *>(QString::fromUtf8(action));
    ASSERT_TRUE(a) << action;
    a->trigger();
}

QListWidgetItem *entry(QListWidget *list, const QString &text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

TEST(ReportDesigner, StartsWithATableOfTheDataAndSavesInTheSaveFolder)
{
    ScriptedInteraction ui;
    const ProjectFolder folder;
    ReportEngine engine;
    engine.setDataSet(customers(3));
    engine.setDesignerFolders(folder.path() + u"open"_s, folder.path() + u"save"_s);
    ui.expectModal([&](QDialog *dialog) {
        auto *d = qobject_cast<ReportDesigner *>(dialog);
        ASSERT_TRUE(d);
        EXPECT_TRUE(d->windowState() & Qt::WindowMaximized);
        ASSERT_TRUE(entry(d->fieldList(), u"[Report.\"balance\"]"_s));
        ASSERT_TRUE(entry(d->fieldList(), u"[TotalPages#]"_s));
        ui.expectSaveFile(folder.file(u"table.trp"_s));
        trigger(d, "save"); // no file name yet: save as
        EXPECT_EQ(d->windowTitle(), u"Report designer - table.trp"_s);
    });
    engine.designReport();
    EXPECT_EQ(engine.fileName(), folder.file(u"table.trp"_s));
    const ReportTemplate saved = ReportTemplate::load(folder.file(u"table.trp"_s));
    EXPECT_EQ(saved.band(BandType::MasterData)->items.size(), 3);
    EXPECT_TRUE(saved.missingFields(customers(1)).isEmpty());
}

TEST(ReportDesigner, PaletteFieldListKeyboardAndBandsEditTheTemplate)
{
    ScriptedInteraction ui;
    ReportTemplate tpl = listTemplate();
    QString fileName;
    const ReportDataSet data = customers(2);
    ReportDesigner d(tpl, fileName, data);
    d.show();

    d.scene()->setCurrentBand(BandType::Summary);
    trigger(&d, "addText");
    ReportBand *summary = tpl.band(BandType::Summary);
    ASSERT_EQ(summary->items.size(), 3);
    ReportItem *added = d.scene()->selectedItem();
    ASSERT_EQ(added, &summary->items.last());

    d.textEditor()->setPlainText(u"Total: "_s);
    d.textEditor()->moveCursor(QTextCursor::End);
    d.insertField(entry(d.fieldList(), u"[Report.\"balance\"]"_s));
    EXPECT_EQ(summary->items.last().text, u"Total: [Report.\"balance\"]"_s);

    // Arrows move by a millimetre, Shift+arrows resize.
    QWidget *viewport = d.findChild<QGraphicsView *>(u"page"_s)->viewport();
    QTest::keyClick(viewport, Qt::Key_Right);
    QTest::keyClick(viewport, Qt::Key_Down);
    QTest::keyClick(viewport, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(summary->items.last().rect, QRectF(1, 1, 41, 6));

    trigger(&d, "delete");
    EXPECT_EQ(summary->items.size(), 2);

    d.removeBand(BandType::ReportTitle);
    EXPECT_FALSE(tpl.band(BandType::ReportTitle));
    d.addBand(BandType::ReportTitle);
    EXPECT_TRUE(tpl.band(BandType::ReportTitle));
}

TEST(ReportDesigner, DraggingWithTheMouseSnapsToMillimetres)
{
    ScriptedInteraction ui;
    ReportTemplate tpl = listTemplate();
    QString fileName;
    const ReportDataSet data = customers(2);
    ReportDesigner d(tpl, fileName, data);
    d.resize(1000, 800);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    auto *view = d.findChild<QGraphicsView *>(u"page"_s);
    const ReportItem &name = tpl.band(BandType::MasterData)->items[1]; // x 15, y 0, 60 x 6
    const double top = d.scene()->bandTop(BandType::MasterData);
    const QPoint grab = view->mapFromScene(QPointF(30, top + 3));
    view->ensureVisible(QRectF(0, top, 100, 20));
    const QPoint from = view->mapFromScene(QPointF(30, top + 3));
    const QPoint to = view->mapFromScene(QPointF(40.3, top + 5.2));
    (void)grab;
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), from + QPoint(5, 5));
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(name.rect, QRectF(25, 2, 60, 6));
}

TEST(ReportDesigner, OpensFromTheOpenFolderAndPreviewsWithTheCurrentData)
{
    ScriptedInteraction ui;
    ReportTemplate tpl;
    QString fileName;
    const ReportDataSet data = customers(40);
    ReportDesigner d(tpl, fileName, data);
    ui.expectOpenFile(fixturePath(u"report-list/list.trp"_s));
    trigger(&d, "open");
    EXPECT_EQ(fileName, fixturePath(u"report-list/list.trp"_s));
    EXPECT_EQ(tpl.title, u"Customer list"_s);
    ui.expectModal([](QDialog *dialog) {
        auto *preview = qobject_cast<ReportPreview *>(dialog);
        ASSERT_TRUE(preview);
        EXPECT_EQ(preview->view()->pageCount(), 3);
        EXPECT_FALSE(preview->findChild<QAction *>(u"edit"_s));
    });
    trigger(&d, "preview");
    trigger(&d, "new");
    EXPECT_TRUE(fileName.isEmpty());
    EXPECT_EQ(tpl.band(BandType::PageHeader)->items.size(), 4); // three captions and a rule
}

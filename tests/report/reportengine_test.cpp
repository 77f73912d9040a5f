#include "reporttestdata.h"

#include "platform/errors.h"
#include "report/reportdesigner.h"
#include "report/reportengine.h"
#include "report/reportpreview.h"
#include "support/externaltool.h"
#include "support/scriptedinteraction.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

ReportEngine listEngine(int rows)
{
    ReportEngine engine;
    engine.setDataSet(customers(rows));
    engine.loadTemplate(fixturePath(u"report-list/list.trp"_s));
    return engine;
}

int pdfPages(const QString &path)
{
    const QString info = QString::fromUtf8(runTool(u"pdfinfo"_s, {path}));
    const qsizetype at = info.indexOf(u"Pages:"_s);
    return at < 0 ? -1 : info.mid(at + 6).section(u'\n', 0, 0).trimmed().toInt();
}

void trigger(QWidget *dialog, const char *action)
{
    QAction *a = dialog->findChild<QAction *>(QString::fromUtf8(action));
    ASSERT_TRUE(a) << action;
    a->trigger();
}

} // namespace

TEST(ReportEngine, MissingTemplateLoadsQuietlyButCannotBeShown)
{
    ScriptedInteraction ui;
    ReportEngine engine;
    engine.loadTemplate(u"/nonexistent/Report/a.trp"_s);
    EXPECT_FALSE(engine.hasTemplate());
    EXPECT_EQ(engine.fileName(), u"/nonexistent/Report/a.trp"_s);
    try {
        engine.showReport();
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_EQ(e.message(), u"Report template not found: /nonexistent/Report/a.trp"_s);
    }
    engine.clear();
    EXPECT_TRUE(engine.fileName().isEmpty());
}

TEST(ReportEngine, FieldsTheQueryLacksAreNamedBeforeThePreviewOpens)
{
    ScriptedInteraction ui;
    ReportEngine engine = listEngine(0);
    engine.setDataSet(ReportDataSet({u"id"_s, u"NAME"_s}, {{1, u"a"_s}}));
    try {
        engine.showReport();
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(u"data set \"Report\" has no field \"balance\""_s)) << e.what();
        EXPECT_TRUE(e.message().contains(u"list.trp"_s)) << e.what();
    }
}

TEST(ReportPreview, ShowsMaximisedPagesNavigatesFindsAndExports)
{
    ScriptedInteraction ui;
    const ProjectFolder folder;
    ReportEngine engine = listEngine(40);
    ui.expectModal([&](QDialog *dialog) {
        auto *preview = qobject_cast<ReportPreview *>(dialog);
        ASSERT_TRUE(preview);
        EXPECT_TRUE(preview->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(preview->view()->pageCount(), 3);
        EXPECT_EQ(preview->currentPage(), 1);
        QApplication::setActiveWindow(preview); // shortcuts reach the active window only
        QTest::keyClick(preview, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(preview->currentPage(), 3);
        trigger(preview, "previous");
        EXPECT_EQ(preview->currentPage(), 2);
        trigger(preview, "first");
        EXPECT_EQ(preview->currentPage(), 1);

        auto *findBox = preview->findChild<QLineEdit *>(u"findText"_s);
        findBox->setText(u"customer 3"_s);
        QTest::keyClick(findBox, Qt::Key_Return); // "Customer 3" on page 1
        EXPECT_EQ(preview->currentPage(), 1);
        trigger(preview, "find"); // then "Customer 30" on page 2
        EXPECT_EQ(preview->currentPage(), 2);
        EXPECT_FALSE(preview->find(u"no such text"_s));

        ui.expectSaveFile(folder.file(u"out.pdf"_s));
        trigger(preview, "exportPdf");
        ui.expectSaveFile(folder.file(u"out.html"_s));
        trigger(preview, "exportHtml");
        ui.expectSaveFile(folder.file(u"out.xml"_s));
        trigger(preview, "exportXml");
        ui.expectSaveFile(QString()); // cancelled: nothing written
        trigger(preview, "exportPdf");
    });
    engine.showReport();
    EXPECT_EQ(pdfPages(folder.file(u"out.pdf"_s)), 3);
    EXPECT_TRUE(folder.read(u"out.html"_s).contains("Customer 40"));
    EXPECT_TRUE(folder.read(u"out.xml"_s).contains("Customer 40"));
}

TEST(ReportPreview, PrintsTheChosenRangeAndRepaginatesAfterPageSetup)
{
    ScriptedInteraction ui;
    const ProjectFolder folder;
    ReportEngine engine = listEngine(40);
    ui.expectModal([&](QDialog *dialog) {
        auto *preview = qobject_cast<ReportPreview *>(dialog);
        ui.expectPrintDialog([&](QPrinter &printer) {
            EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A5);
            printer.setOutputFileName(folder.file(u"printed.pdf"_s));
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            return true;
        });
        trigger(preview, "print");

        ui.expectPageSetup([](QPrinter &printer) {
            printer.setPageOrientation(QPageLayout::Landscape);
            return true;
        });
        trigger(preview, "pageSetup");
        EXPECT_EQ(preview->report().layout.orientation(), QPageLayout::Landscape);
        EXPECT_GT(preview->view()->pageCount(), 3); // 108 mm above the footer instead of 180

        ui.expectPageSetup([](QPrinter &) { return false; });
        const int pages = preview->view()->pageCount();
        trigger(preview, "pageSetup");
        EXPECT_EQ(preview->view()->pageCount(), pages);
    });
    engine.showReport();
    EXPECT_EQ(pdfPages(folder.file(u"printed.pdf"_s)), 2);
}

TEST(ReportPreview, EditOpensTheDesignerThenShowsTheEditedReport)
{
    ScriptedInteraction ui;
    ReportEngine engine = listEngine(40);
    ui.expectModal([&](QDialog *dialog) {
        auto *preview = qobject_cast<ReportPreview *>(dialog);
        ui.expectModal([&](QDialog *designer) {
            ASSERT_TRUE(qobject_cast<ReportDesigner *>(designer));
            // Taller rows: 7 on the first page, 8 on the others.
            auto *d = static_cast<ReportDesigner *>(designer);
            d->scene()->reportTemplate().band(BandType::MasterData)->height = 20;
        });
        trigger(preview, "edit");
        EXPECT_EQ(preview->view()->pageCount(), 6);
    });
    engine.showReport();
    EXPECT_EQ(engine.reportTemplate().band(BandType::MasterData)->height, 20);
}

TEST(ReportPreview, EveryCommandFitsA1024PixelWideWindowAndThePageStartsAtItsTopLeft)
{
    ReportEngine engine = listEngine(40);
    ReportPreview preview(
        engine.prepare(), [&](std::optional<QPageLayout> layout) { return engine.prepare(layout); }, [] {});
    preview.resize(1024, 700);
    preview.show();
    QTest::qWait(50);
    auto *bar = preview.findChild<QToolBar *>();
    ASSERT_TRUE(bar);
    for (QAction *a : bar->actions()) {
        if (!a->isSeparator()) {
            QWidget *button = bar->widgetForAction(a);
            EXPECT_TRUE(button && button->isVisible() && button->geometry().right() < 1024) << a->text().toStdString();
        }
    }
    EXPECT_TRUE(preview.action(u"edit"_s) && preview.action(u"exportPdf"_s));
    auto *view = preview.view()->findChild<QAbstractScrollArea *>();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->minimum());
    EXPECT_EQ(view->horizontalScrollBar()->value(), view->horizontalScrollBar()->minimum());
}

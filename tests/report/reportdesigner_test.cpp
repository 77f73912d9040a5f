#include "reporttestdata.h"

#include "report/expressioneditor.h"
#include "report/reportdesigner.h"
#include "report/reportengine.h"
#include "report/reportpreview.h"
#include "support/scriptedinteraction.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
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

namespace {

// A designer on the list fixture, shown, with the page view focused.
struct ShownDesigner {
    ScriptedInteraction ui;
    ReportTemplate tpl = listTemplate();
    QString fileName;
    ReportDataSet data = customers(2);
    ReportDesigner d{tpl, fileName, data};
    QGraphicsView *view = nullptr;

    ShownDesigner()
    {
        d.resize(1200, 800);
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        view = d.findChild<QGraphicsView *>(u"page"_s);
        view->setFocus();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        // Shortcuts reach the active window only; a dialog that was shown may have kept that.
        if (!d.isActiveWindow()) {
            d.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        }
        QTest::keyClick(view->viewport(), Qt::Key(key), modifiers);
    }
    QList<ReportItem> &master() { return tpl.band(BandType::MasterData)->items; }
};

} // namespace

TEST(ReportDesigner, EveryKindOfEditUndoesAndRedoesFromTheKeyboard)
{
    ShownDesigner s;
    std::vector<QByteArray> states{s.tpl.toXml()};
    const std::vector<std::pair<const char *, std::function<void()>>> edits{
        {"select and move",
         [&] {
             s.d.scene()->select({{BandType::MasterData, 1}});
             s.key(Qt::Key_Right);
         }},
        {"resize", [&] { s.key(Qt::Key_Down, Qt::ShiftModifier); }},
        {"type a text",
         [&] {
             s.d.textEditor()->setFocus();
             s.d.textEditor()->moveCursor(QTextCursor::End);
             QTest::keyClicks(s.d.textEditor(), u"abc"_s); // three keys, one edit
             s.view->setFocus();
         }},
        {"copy and paste",
         [&] {
             s.key(Qt::Key_C, Qt::ControlModifier);
             s.key(Qt::Key_V, Qt::ControlModifier);
         }},
        {"delete", [&] { s.key(Qt::Key_Delete); }},
        {"add",
         [&] {
             s.d.action(u"addLine"_s)->trigger();
             s.view->setFocus();
         }},
        {"remove a band", [&] { s.d.removeBand(BandType::ReportTitle); }},
    };
    for (const auto &[what, edit] : edits) {
        edit();
        ASSERT_NE(s.tpl.toXml(), states.back()) << what;
        states.push_back(s.tpl.toXml());
    }
    EXPECT_EQ(s.master()[1].text, u"[Report.\"name\"]abc"_s);
    EXPECT_EQ(s.d.undoStack()->count(), int(edits.size()));
    EXPECT_TRUE(s.d.isModified());
    EXPECT_TRUE(s.d.windowTitle().endsWith(u" *"_s));

    for (size_t i = states.size() - 1; i-- > 0;) {
        s.key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(s.tpl.toXml(), states[i]) << "undo to state " << i;
    }
    EXPECT_FALSE(s.d.isModified());
    EXPECT_FALSE(s.d.action(u"undo"_s)->isEnabled());
    const Qt::KeyboardModifiers controlShift = Qt::ControlModifier | Qt::ShiftModifier;
    for (size_t i = 1; i < states.size(); ++i) {
        if (i % 2) // both redo keys
            s.key(Qt::Key_Y, Qt::ControlModifier);
        else
            s.key(Qt::Key_Z, controlShift);
        EXPECT_EQ(s.tpl.toXml(), states[i]) << "redo to state " << i;
    }
}

TEST(ReportDesigner, ClosingWithUnsavedEditsAsksWhetherToSaveThem)
{
    const struct {
        MessageAnswer answer;
        bool closes;
        bool saved;
        bool editKept;
    } cases[] = {
        {MessageAnswer::Yes, true, true, true},
        {MessageAnswer::No, true, false, false},
        {MessageAnswer::Cancel, false, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.answer));
        const ProjectFolder folder(u"report-list"_s);
        ShownDesigner s;
        s.fileName = folder.file(u"list.trp"_s);
        s.d.close(); // nothing edited: no question
        EXPECT_TRUE(s.ui.messages().empty());
        s.d.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&s.d));
        s.view->setFocus();
        s.d.scene()->select({{BandType::MasterData, 0}});
        s.key(Qt::Key_Right);
        s.ui.expectMessage(c.answer);
        QTest::keyClick(&s.d, Qt::Key_Escape);
        ASSERT_EQ(s.ui.messages().size(), 1u);
        EXPECT_EQ(s.ui.messages()[0].text, u"Save the changes to list.trp?"_s);
        EXPECT_EQ(s.ui.messages()[0].buttons, MessageButtons::YesNoCancel);
        EXPECT_EQ(s.d.isVisible(), !c.closes);
        EXPECT_EQ(s.master()[0].rect.x(), c.editKept ? 1 : 0);
        EXPECT_EQ(ReportTemplate::load(folder.file(u"list.trp"_s)).band(BandType::MasterData)->items[0].rect.x(),
                  c.saved ? 1 : 0);
    }
}

TEST(ReportDesigner, OpeningAnotherReportAsksFirstAndStartsANewHistory)
{
    ShownDesigner s;
    s.d.scene()->select({{BandType::MasterData, 0}});
    s.key(Qt::Key_Right);
    s.ui.expectMessage(MessageAnswer::Cancel);
    s.d.action(u"new"_s)->trigger();
    EXPECT_EQ(s.master().size(), 3); // still the list
    s.ui.expectMessage(MessageAnswer::No);
    s.ui.expectOpenFile(fixturePath(u"report-list/list.trp"_s));
    s.d.action(u"open"_s)->trigger();
    EXPECT_EQ(s.master()[0].rect.x(), 0);
    EXPECT_FALSE(s.d.isModified());
    EXPECT_EQ(s.d.undoStack()->count(), 0);
}

TEST(ReportDesigner, PastesCopiesAlignsAndSizesTheSelection)
{
    ShownDesigner s;
    s.d.scene()->select({{BandType::MasterData, 0}, {BandType::MasterData, 2}});
    s.key(Qt::Key_C, Qt::ControlModifier);
    s.key(Qt::Key_V, Qt::ControlModifier);
    s.key(Qt::Key_V, Qt::ControlModifier); // further down the diagonal
    ASSERT_EQ(s.master().size(), 7);
    EXPECT_EQ(s.master()[3].rect, QRectF(2, 2, 15, 6));
    EXPECT_EQ(s.master()[4].rect, QRectF(77, 2, 53, 6));
    EXPECT_EQ(s.master()[5].rect, QRectF(4, 4, 15, 6));
    EXPECT_EQ(s.master()[6].text, u"[Report.\"balance\"]"_s);
    EXPECT_EQ(s.d.scene()->selectedRefs(), (QList<ItemRef>{{BandType::MasterData, 5}, {BandType::MasterData, 6}}));

    // Items 0 (0, 0, 15 x 6) and 1 (15, 0, 60 x 6, made 8 high here), one after the other.
    s.master()[1].rect.setHeight(8);
    const struct {
        const char *action;
        QRectF first;
        QRectF second;
    } arrangements[] = {
        {"alignRight", {60, 0, 15, 6}, {15, 0, 60, 8}},  {"alignLeft", {15, 0, 15, 6}, {15, 0, 60, 8}},
        {"alignBottom", {15, 2, 15, 6}, {15, 0, 60, 8}}, {"alignTop", {15, 0, 15, 6}, {15, 0, 60, 8}},
        {"sameWidth", {15, 0, 15, 6}, {15, 0, 15, 8}}, // the first in page order is the model
        {"sameHeight", {15, 0, 15, 6}, {15, 0, 15, 6}},
    };
    s.d.scene()->select({{BandType::MasterData, 0}, {BandType::MasterData, 1}}, false);
    for (const auto &a : arrangements) {
        s.d.action(QString::fromLatin1(a.action))->trigger();
        EXPECT_EQ(s.master()[0].rect, a.first) << a.action;
        EXPECT_EQ(s.master()[1].rect, a.second) << a.action;
    }
    s.key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(s.master().size(), 5);
    s.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(s.master().size(), 7);
}

TEST(ReportDesigner, ZoomsInOutAndBackToThePrintedSize)
{
    ShownDesigner s;
    const double printed = s.d.logicalDpiX() / 25.4; // pixels a millimetre
    EXPECT_DOUBLE_EQ(s.view->transform().m11(), printed);
    s.key(Qt::Key_Plus, Qt::ControlModifier);
    s.key(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(s.d.zoom(), 1.25 * 1.25);
    EXPECT_DOUBLE_EQ(s.view->transform().m11(), printed * 1.5625);
    s.key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(s.d.zoom(), 1.25);
    s.key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(s.d.zoom(), 1);
    for (int i = 0; i < 20; ++i)
        s.d.action(u"zoomOut"_s)->trigger();
    EXPECT_DOUBLE_EQ(s.d.zoom(), 0.25);
}

TEST(ReportDesigner, ThePanelShowsTheItemsPropertiesAndEditsEverySelectedItem)
{
    ShownDesigner s;
    auto rowShown = [&](const char *name) { return s.d.propertyEditor(QString::fromLatin1(name))->isVisibleTo(&s.d); };
    s.d.scene()->select({{BandType::PageHeader, 3}}); // the rule
    EXPECT_TRUE(rowShown("lineWidth"));
    EXPECT_FALSE(rowShown("text"));
    EXPECT_FALSE(rowShown("font"));
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox *>(s.d.propertyEditor(u"lineWidth"_s))->value(), 0.3);

    // The font dialog starts at the item's font and sets family, size and style at once.
    s.d.scene()->select({{BandType::MasterData, 0}, {BandType::MasterData, 1}});
    EXPECT_TRUE(rowShown("font"));
    QFont chosen(u"Courier"_s, 14);
    chosen.setItalic(true);
    s.ui.expectFont([&](const QFont &initial) {
        EXPECT_EQ(initial.family(), u"Arial"_s);
        EXPECT_EQ(initial.pointSizeF(), 10);
        return chosen;
    });
    QTest::mouseClick(s.d.findChild<QPushButton *>(u"font"_s), Qt::LeftButton);
    for (int i : {0, 1}) {
        EXPECT_EQ(s.master()[i].font, u"Courier"_s);
        EXPECT_EQ(s.master()[i].size, 14);
        EXPECT_TRUE(s.master()[i].italic);
    }
    EXPECT_EQ(qobject_cast<QDoubleSpinBox *>(s.d.propertyEditor(u"size"_s))->value(), 14);

    // Colours: chosen in the dialog, "None" for no fill, a cancelled dialog changes nothing.
    s.ui.expectColour([](const QColor &initial) {
        EXPECT_EQ(initial, QColor(Qt::white)); // no fill yet
        return QColor("#336699");
    });
    QTest::mouseClick(s.d.findChild<QPushButton *>(u"fill"_s), Qt::LeftButton);
    EXPECT_EQ(s.master()[1].fill, QColor("#336699"));
    EXPECT_EQ(s.d.findChild<QPushButton *>(u"fill"_s)->text(), u"#336699"_s);
    const int edits = s.d.undoStack()->count();
    s.ui.expectColour([](const QColor &) { return std::nullopt; });
    QTest::mouseClick(s.d.findChild<QPushButton *>(u"fill"_s), Qt::LeftButton);
    EXPECT_EQ(s.d.undoStack()->count(), edits);
    QTest::mouseClick(s.d.findChild<QToolButton *>(u"fillNone"_s), Qt::LeftButton);
    EXPECT_FALSE(s.master()[0].fill.isValid());
    EXPECT_FALSE(s.master()[1].fill.isValid());
}

TEST(ReportDesigner, GroupsAreAddedEditedNestedAndRemovedAsUndoableEdits)
{
    ShownDesigner s;
    auto click = [&](const char *button) {
        QTest::mouseClick(s.d.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
    };
    auto typeInto = [&](const char *name, const QString &text) {
        auto *edit = s.d.findChild<QLineEdit *>(QString::fromLatin1(name));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    };
    const QByteArray before = s.tpl.toXml();

    // A group on the chosen field, then one on the first field, which goes inside it.
    s.d.fieldList()->setCurrentItem(entry(s.d.fieldList(), u"[Report.\"name\"]"_s));
    click("addGroup");
    s.d.fieldList()->setCurrentItem(nullptr);
    click("addGroup");
    ASSERT_EQ(s.tpl.groups.size(), 2);
    EXPECT_EQ(s.tpl.groups[0].condition, u"Report.\"name\""_s);
    EXPECT_EQ(s.tpl.groups[1].name, u"id"_s);
    ASSERT_TRUE(s.tpl.groups[0].header && s.tpl.groups[0].footer);
    EXPECT_EQ(s.tpl.groups[0].header->items.value(0).text, u"[Report.\"name\"]"_s);
    // On the page the headers come outermost first above the rows, the footers the other way below.
    const DesignScene *scene = s.d.scene();
    EXPECT_LT(scene->bandTop(BandType::PageHeader), scene->bandTop({BandType::GroupHeader, 0}));
    EXPECT_LT(scene->bandTop({BandType::GroupHeader, 0}), scene->bandTop({BandType::GroupHeader, 1}));
    EXPECT_LT(scene->bandTop({BandType::GroupHeader, 1}), scene->bandTop(BandType::MasterData));
    EXPECT_LT(scene->bandTop(BandType::MasterData), scene->bandTop({BandType::GroupFooter, 1}));
    EXPECT_LT(scene->bandTop({BandType::GroupFooter, 1}), scene->bandTop({BandType::GroupFooter, 0}));

    // The chosen (inner) group's settings: the expression from the expression editor or typed,
    // a bad one refused, the name, the flags.
    s.ui.expectModal([](QDialog *dialog) {
        auto *editor = qobject_cast<ExpressionEditor *>(dialog);
        ASSERT_TRUE(editor);
        EXPECT_EQ(editor->text(), u"Report.\"id\""_s);
        editor->textEdit()->selectAll();
        QTest::keyClicks(editor->textEdit(), u"LOWER(Report.\"name\")"_s);
        QTest::keyClick(editor->textEdit(), Qt::Key_Return);
    });
    auto *condition = s.d.findChild<QLineEdit *>(u"groupCondition"_s);
    QTest::mouseClick(condition->findChild<QToolButton *>(u"expressionButton"_s), Qt::LeftButton);
    EXPECT_EQ(s.tpl.groups[1].condition, u"LOWER(Report.\"name\")"_s);
    typeInto("groupCondition", u"UPPER(Report.\"name\")"_s);
    EXPECT_EQ(s.tpl.groups[1].condition, u"UPPER(Report.\"name\")"_s);
    for (const QString &bad : {u"SUBSTR(Report.\"name\")"_s, u"Report.\"town\""_s}) {
        s.ui.expectMessage();
        typeInto("groupCondition", bad);
        EXPECT_EQ(s.tpl.groups[1].condition, u"UPPER(Report.\"name\")"_s);
        EXPECT_EQ(condition->text(), u"UPPER(Report.\"name\")"_s);
        ASSERT_FALSE(s.ui.messages().empty());
        EXPECT_TRUE(s.ui.messages().back().text.contains(bad.left(6))) << s.ui.messages().back().text.toStdString();
    }
    s.ui.expectMessage();
    typeInto("groupName", u"NAME"_s); // taken, whatever the case
    EXPECT_EQ(s.tpl.groups[1].name, u"id"_s);
    typeInto("groupName", u"initial"_s);
    auto *keep = s.d.findChild<QCheckBox *>(u"keepTogether"_s);
    keep->setFocus();
    QTest::keyClick(keep, Qt::Key_Space);
    EXPECT_TRUE(s.tpl.groups[1].keepTogether);

    // Items in a group's band are edited like any other.
    s.d.scene()->select({{{BandType::GroupHeader, 1}, 0}});
    s.view->setFocus();
    s.key(Qt::Key_Right);
    EXPECT_EQ(s.tpl.groups[1].header->items[0].rect.left(), 1);

    // The inner group moves out; it keeps its bands and settings.
    click("groupOut");
    EXPECT_EQ(s.tpl.groups[0].name, u"initial"_s);
    EXPECT_TRUE(s.tpl.groups[0].keepTogether);
    EXPECT_EQ(s.d.groupList()->currentRow(), 0);
    const QByteArray nested = s.tpl.toXml();
    const ReportTemplate reread = ReportTemplate::fromXml(nested, u"groups"_s);
    EXPECT_EQ(reread.groups.size(), 2);
    EXPECT_TRUE(reread.groups[0].keepTogether);

    // The band list names the groups' bands; a group may go without its footer.
    auto *bands = s.d.findChild<QComboBox *>(u"bandType"_s);
    EXPECT_EQ(bands->itemText(2), u"Group header: UPPER(Report.\"name\")"_s);
    s.d.removeBand({BandType::GroupFooter, 0});
    EXPECT_FALSE(s.tpl.groups[0].footer);
    EXPECT_TRUE(s.tpl.groups[1].footer);
    s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.tpl.toXml(), nested);

    click("removeGroup");
    ASSERT_EQ(s.tpl.groups.size(), 1);
    EXPECT_EQ(s.tpl.groups[0].name, u"name"_s);
    s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.tpl.toXml(), nested);
    for (int steps = s.d.undoStack()->index(); steps > 0; --steps)
        s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.tpl.toXml(), before);
    EXPECT_EQ(s.d.groupList()->count(), 0);
    EXPECT_FALSE(s.d.findChild<QLineEdit *>(u"groupName"_s)->isEnabled());
}

TEST(ReportDesigner, TextsThatWouldNotPrintAsMeantAreFramedInRed)
{
    ScriptedInteraction ui;
    const ReportDataSet data = customers(1);
    const std::pair<QString, bool> cases[] = {
        {u"[Report.\"name\"] owes [net]"_s, false}, // a variable of the template
        {u"[Items.\"amount\"]"_s, false},           // a field of the detail
        {u"[Report.\"town\"]"_s, true},
        {u"[SHOUT(Report.\"name\")]"_s, true},
        {u"[Report.\"name\""_s, true},
    };
    for (const auto &[text, red] : cases) {
        ReportTemplate tpl;
        tpl.variables = {{u"net"_s, u"Report.\"balance\" * 2"_s}};
        tpl.detail.emplace().name = u"Items"_s;
        ReportItem item;
        item.rect = QRectF(0, 0, 60, 6);
        item.text = text;
        tpl.addBand(BandType::MasterData).items << item;
        QString fileName;
        ReportDesigner d(tpl, fileName, data);
        d.scene()->select({{BandType::MasterData, 0}});
        const QRectF area = d.scene()->selectedItems().value(0)->sceneBoundingRect();
        QImage image(QSize(600, 60), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        d.scene()->render(&painter, image.rect(), area);
        painter.end();
        bool redFound = false;
        for (int y = 0; y < image.height() && !redFound; ++y) {
            for (int x = 0; x < image.width() && !redFound; ++x)
                redFound = QColor(image.pixel(x, y)) == QColor(Qt::red);
        }
        EXPECT_EQ(redFound, red) << text.toStdString();
    }
}

TEST(ReportDesigner, ThePanelSetsTheFirstHighlightAndDropsItWhenNothingIsLeft)
{
    ShownDesigner s;
    s.d.scene()->select({{BandType::MasterData, 2}}); // the balance
    auto *condition = qobject_cast<QLineEdit *>(s.d.propertyEditor(u"highlightIf"_s));
    ASSERT_TRUE(condition);
    condition->setFocus();
    QTest::keyClicks(condition, u"Report.\"balance\" > 2"_s);
    QTest::keyClick(condition, Qt::Key_Return);
    s.ui.expectColour([](const QColor &) { return QColor("#c00000"); });
    QTest::mouseClick(s.d.findChild<QPushButton *>(u"highlightColour"_s), Qt::LeftButton);
    auto *bold = qobject_cast<QComboBox *>(s.d.propertyEditor(u"highlightBold"_s));
    bold->setFocus();
    QTest::keyClick(bold, Qt::Key_Down); // Unchanged -> Bold
    // A condition with a problem is refused with it, and the line shows the stored one again.
    s.ui.expectMessage();
    condition->setFocus();
    condition->selectAll();
    QTest::keyClicks(condition, u"Report.\"balanse\" > 2"_s);
    QTest::keyClick(condition, Qt::Key_Return);
    ASSERT_EQ(s.ui.messages().size(), 1u);
    EXPECT_TRUE(s.ui.messages()[0].text.contains(u"balanse"_s)) << s.ui.messages()[0].text.toStdString();
    EXPECT_EQ(condition->text(), u"Report.\"balance\" > 2"_s);
    ASSERT_EQ(s.master()[2].highlights.size(), 1);
    const ReportHighlight set = s.master()[2].highlights[0];
    EXPECT_EQ(set.condition, u"Report.\"balance\" > 2"_s);
    EXPECT_EQ(set.colour, QColor("#c00000"));
    EXPECT_EQ(set.bold, true);

    // Printed: the rows over 2 in the highlight's style, the others as designed.
    const ReportDataSet rows = customers(3); // balances 1.5, 3, 4.5
    const PreparedReport report = prepareReport(s.tpl, rows);
    QList<bool> boldRows;
    for (const PreparedItem &item : report.pages[0].items) {
        if (item.band == BandType::MasterData && item.source->text == u"[Report.\"balance\"]"_s)
            boldRows << (item.source->bold && item.source->colour == QColor("#c00000"));
    }
    EXPECT_EQ(boldRows, (QList<bool>{false, true, true}));

    // Taking every setting back takes the highlight away.
    condition->setFocus();
    condition->selectAll();
    QTest::keyClick(condition, Qt::Key_Delete);
    QTest::keyClick(condition, Qt::Key_Return);
    QTest::mouseClick(s.d.findChild<QToolButton *>(u"highlightColourNone"_s), Qt::LeftButton);
    bold->setFocus();
    QTest::keyClick(bold, Qt::Key_Up);
    EXPECT_TRUE(s.master()[2].highlights.isEmpty());
    s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.master()[2].highlights.value(0).bold, true);
}

TEST(ReportDesigner, TheBandPanelSetsPrintIfAndANewPageAfterTheChosenBand)
{
    ShownDesigner s;
    auto *bands = s.d.findChild<QComboBox *>(u"bandType"_s);
    bands->setCurrentIndex(bands->findText(u"Summary"_s));
    auto *printIf = s.d.findChild<QLineEdit *>(u"bandPrintIf"_s);
    auto typeCondition = [&](const QString &text) {
        printIf->setFocus();
        printIf->selectAll();
        QTest::keyClicks(printIf, text);
        QTest::keyClick(printIf, Qt::Key_Return);
    };
    s.ui.expectMessage();
    typeCondition(u"COUNT( > 1"_s);
    EXPECT_EQ(s.ui.messages().size(), 1u);
    EXPECT_EQ(printIf->text(), QString());
    typeCondition(u"COUNT() > 1"_s);
    EXPECT_EQ(s.tpl.band(BandType::Summary)->printIf, u"COUNT() > 1"_s);
    auto *pageBreak = s.d.findChild<QCheckBox *>(u"bandPageBreak"_s);
    pageBreak->setFocus();
    QTest::keyClick(pageBreak, Qt::Key_Space);
    EXPECT_TRUE(s.tpl.band(BandType::Summary)->pageBreakAfter);
    EXPECT_FALSE(s.tpl.band(BandType::MasterData)->pageBreakAfter);

    auto *columns = s.d.findChild<QSpinBox *>(u"bandColumns"_s);
    EXPECT_FALSE(columns->isEnabled()); // rows side by side are master data's

    // Another band shows its own settings; undo takes them back one by one.
    bands->setCurrentIndex(bands->findText(u"Master data"_s));
    EXPECT_FALSE(pageBreak->isChecked());
    EXPECT_EQ(printIf->text(), QString());
    ASSERT_TRUE(columns->isEnabled());
    columns->setFocus();
    QTest::keyClick(columns, Qt::Key_Up);
    EXPECT_EQ(s.tpl.band(BandType::MasterData)->columns, 2);
    s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.tpl.band(BandType::MasterData)->columns, 1);
    EXPECT_EQ(columns->value(), 1);
    s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(s.tpl.band(BandType::Summary)->pageBreakAfter);
    EXPECT_EQ(s.tpl.band(BandType::Summary)->printIf, u"COUNT() > 1"_s);
    s.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.tpl.band(BandType::Summary)->printIf, QString());
}

TEST(ReportDesigner, NewItemsGoBesideTheBandsItemsWhileThePageHasRoom)
{
    ScriptedInteraction ui;
    ReportTemplate tpl; // A4 portrait, 190 mm between the margins
    QString fileName;
    const ReportDataSet data = customers(1);
    ReportDesigner d(tpl, fileName, data);
    QList<double> lefts;
    for (int i = 0; i < 5; ++i) {
        d.addItem(ItemKind::Text);
        lefts << tpl.band(BandType::MasterData)->items.last().rect.left();
    }
    EXPECT_EQ(lefts, (QList<double>{0, 41, 82, 123, 0}));
}

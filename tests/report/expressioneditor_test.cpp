#include "reporttestdata.h"

#include "report/expressioneditor.h"
#include "report/reportdesigner.h"
#include "support/scriptedinteraction.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::test;
using namespace Qt::StringLiterals;

namespace {

QTreeWidgetItem *entry(ExpressionEditor *editor, const QString &shown)
{
    const auto found = editor->entries()->findItems(shown, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Enter on the entry, as a keyboard user inserts it.
void pressEnterOn(ExpressionEditor *editor, const QString &shown)
{
    QTreeWidgetItem *item = entry(editor, shown);
    ASSERT_TRUE(item) << shown.toStdString();
    editor->entries()->setCurrentItem(item);
    QTest::keyClick(editor->entries(), Qt::Key_Return);
}

void doubleClick(ExpressionEditor *editor, const QString &shown)
{
    QTreeWidgetItem *item = entry(editor, shown);
    ASSERT_TRUE(item) << shown.toStdString();
    QTreeWidget *list = editor->entries();
    list->scrollToItem(item);
    const QPoint centre = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

void type(ExpressionEditor *editor, const QString &text)
{
    QTest::keyClicks(editor->textEdit(), text);
}

void pressOk(QDialog *dialog)
{
    QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// Whether the widget shows any pixel in the red of a problem.
bool showsRed(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 70 && c.blue() < 70)
                return true;
        }
    }
    return false;
}

// Runs `steps` on the shown editor, as editExpression shows it to the user.
std::optional<QString> edit(ScriptedInteraction &ui, ExpressionMode mode, const QString &initial,
                            const std::function<void(ExpressionEditor *)> &steps)
{
    ui.expectModal([&](QDialog *dialog) {
        auto *editor = qobject_cast<ExpressionEditor *>(dialog);
        ASSERT_TRUE(editor);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor));
        steps(editor);
    });
    return editExpression(nullptr, mode, initial, customers(1));
}

} // namespace

TEST(ExpressionEditor, InsertsEntriesAtTheCursorInBracketsWhereATextNeedsThem)
{
    ScriptedInteraction ui;
    const std::optional<QString> text = edit(ui, ExpressionMode::Text, u""_s, [](ExpressionEditor *e) {
        ASSERT_TRUE(entry(e, u"[TotalPages#]"_s));
        ASSERT_TRUE(entry(e, u"SUBSTR(text, start[, length])"_s));
        type(e, u"Total: "_s);
        pressEnterOn(e, u"[Report.\"balance\"]"_s); // outside a bracket: one of its own
        type(e, u" "_s);
        doubleClick(e, u"UPPER(text)"_s);        // the cursor goes between the parentheses
        pressEnterOn(e, u"[Report.\"name\"]"_s); // inside a bracket: none of its own
        QTest::keyClick(e->textEdit(), Qt::Key_End);
        EXPECT_EQ(e->checkLine()->text(), u"No errors"_s);
        pressOk(e);
    });
    EXPECT_EQ(text, u"Total: [Report.\"balance\"] [UPPER(Report.\"name\")]"_s);

    const std::optional<QString> condition = edit(ui, ExpressionMode::Bare, u""_s, [](ExpressionEditor *e) {
        ASSERT_TRUE(entry(e, u"Page#"_s));
        pressEnterOn(e, u"ROUND(number[, decimals])"_s);
        pressEnterOn(e, u"Report.\"balance\""_s);
        QTest::keyClick(e->textEdit(), Qt::Key_End);
        type(e, u" > 2"_s);
        pressOk(e);
    });
    EXPECT_EQ(condition, u"ROUND(Report.\"balance\") > 2"_s);
}

TEST(ExpressionEditor, CheckLineNamesTheFirstProblemInRed)
{
    ReportTemplate tpl;
    tpl.detail.emplace().name = u"Items"_s;
    tpl.variables = {{u"net"_s, u"Report.\"balance\" * 2"_s}};
    const ReportDataSet data = customers(1);
    const struct {
        ExpressionMode mode;
        QString typed;
        QString shown; // the check line starts with it
    } cases[] = {
        {ExpressionMode::Text, u"[Report.\"name\"] owes [FORMAT(net, \"number:0.00\")]"_s, u"No errors"_s},
        {ExpressionMode::Text, u"[Report.\"name\" +]"_s,
         u"[Report.\"name\" +] prints as written: the expression ends too early"_s},
        {ExpressionMode::Text, u"[SHOUT(Report.\"name\")]"_s, u"unknown function SHOUT"_s},
        {ExpressionMode::Text, u"[SUBSTR(Report.\"name\")]"_s, u"SUBSTR takes 2 to 3 arguments, not 1"_s},
        {ExpressionMode::Text, u"[Report.\"city\"]"_s, u"unknown field Report.\"city\""_s},
        {ExpressionMode::Text, u"[gross] and [Lines.\"x\"]"_s, u"[gross] prints as written: unknown name gross"_s},
        {ExpressionMode::Text, u"[UPPER(Report.\"name\")"_s,
         u"[UPPER(Report.\"name\") prints as written: the \"]\" closing it is missing"_s},
        {ExpressionMode::Bare, u"Lines.\"x\" = 1"_s, u"it names a data set the report lacks"_s},
        {ExpressionMode::Bare, u"Items.\"x\" = 1"_s, u"No errors"_s}, // the detail's
        {ExpressionMode::Bare, u"net > 1 AND"_s, u"the expression ends too early"_s},
        {ExpressionMode::Bare, u"COUNT() > 1"_s, u"No errors"_s},
    };
    for (const auto &c : cases) {
        ExpressionEditor editor(c.mode, QString(), data, tpl);
        editor.show();
        type(&editor, c.typed);
        const QString shown = editor.checkLine()->text();
        EXPECT_TRUE(shown.startsWith(c.shown)) << c.typed.toStdString() << ": " << shown.toStdString();
        EXPECT_EQ(showsRed(editor.checkLine()), c.shown != u"No errors"_s) << c.typed.toStdString();
    }
    // Before any query ran the designer's data has no columns: fields cannot be checked then.
    EXPECT_EQ(expressionProblem(ExpressionMode::Text, u"[Report.\"city\"]"_s, ReportDataSet()), QString());
}

TEST(ExpressionEditor, OkIsRefusedWhileThereIsAProblemAndCancelReturnsNothing)
{
    ScriptedInteraction ui;
    const std::optional<QString> fixed = edit(ui, ExpressionMode::Bare, u"COUNT(Report.\"id\""_s,
                                              [](ExpressionEditor *e) {
                                                  QTest::keyClick(e->textEdit(), Qt::Key_Return); // Enter is OK
                                                  EXPECT_EQ(e->text(), u"COUNT(Report.\"id\""_s);
                                                  EXPECT_TRUE(e->isVisible());
                                                  EXPECT_TRUE(showsRed(e->checkLine()));
                                                  EXPECT_EQ(e->focusWidget(), e->textEdit());
                                                  type(e, u")"_s); // the cursor starts at the end
                                                  pressOk(e);
                                                  EXPECT_FALSE(e->isVisible());
                                              });
    EXPECT_EQ(fixed, u"COUNT(Report.\"id\")"_s);

    const std::optional<QString> cleared = edit(ui, ExpressionMode::Bare, u"Page# > 1"_s, [](ExpressionEditor *e) {
        e->textEdit()->selectAll();
        QTest::keyClick(e->textEdit(), Qt::Key_Delete);
        pressOk(e); // an empty condition is none
    });
    EXPECT_EQ(cleared, u""_s);

    const std::optional<QString> cancelled = edit(ui, ExpressionMode::Text, u"[Page#]"_s, [](ExpressionEditor *e) {
        type(e, u" of [TotalPages#]"_s);
        QTest::keyClick(e, Qt::Key_Escape);
    });
    EXPECT_EQ(cancelled, std::nullopt);
}

TEST(ExpressionEditor, PropertyPanelButtonsEditAnItemUndoably)
{
    const struct {
        const char *property;
        QString typed;
        QString ReportItem::*member;
    } cases[] = {
        {"text", u"[Report.\"name\"] ([Report.\"id\"])"_s, &ReportItem::text},
        {"printIf", u"Report.\"balance\" > 2"_s, &ReportItem::printIf},
    };
    for (const auto &c : cases) {
        ScriptedInteraction ui;
        ReportTemplate tpl = listTemplate();
        QString fileName;
        const ReportDataSet data = customers(2);
        ReportDesigner designer(tpl, fileName, data);
        designer.show();
        designer.scene()->select({{BandType::MasterData, 1}});
        ReportItem &item = tpl.band(BandType::MasterData)->items[1];
        const QString before = item.*c.member;
        QWidget *editor = designer.propertyEditor(QString::fromLatin1(c.property));
        auto *button = editor->findChild<QToolButton *>(u"expressionButton"_s);
        ASSERT_TRUE(button && button->isVisible()) << c.property;

        ui.expectModal([&](QDialog *dialog) {
            auto *e = qobject_cast<ExpressionEditor *>(dialog);
            ASSERT_TRUE(e);
            EXPECT_EQ(e->text(), before);
            e->textEdit()->selectAll();
            type(e, c.typed);
            pressOk(e);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(item.*c.member, c.typed) << c.property;
        const QString inEditor = c.member == &ReportItem::text ? designer.textEditor()->toPlainText()
                                                               : qobject_cast<QLineEdit *>(editor)->text();
        EXPECT_EQ(inEditor, c.typed) << c.property;
        designer.undoStack()->undo();
        EXPECT_EQ(tpl.band(BandType::MasterData)->items[1].*c.member, before) << c.property;
    }
}

#include "formtesting.h"

#include "controls/dbbutton.h"
#include "forms/keyboardorder.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

// The built control that holds the focus (the focus may sit inside a composite control).
QString focusedControl(const FormBase &form)
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (form.findComponent(w->objectName()) == w)
            return w->objectName();
    return {};
}

// Shows the form as the active window, as a modal showing would.
void showActive(TForm *form)
{
    form->show();
    QApplication::setActiveWindow(form);
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
}

// Shows the form, then presses Tab `presses` times; the names that had the focus in turn.
QStringList tabWalk(TForm *form, int presses)
{
    showActive(form);
    QStringList walk{focusedControl(*form)};
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk << focusedControl(*form);
    }
    form->hide();
    return walk;
}

QStringList names(const QList<QWidget *> &widgets)
{
    QStringList list;
    for (const QWidget *w : widgets)
        list << w->objectName();
    return list;
}

FormHooks showHooks()
{
    FormHooks hooks;
    hooks.onAllFormShow = OnAllFormShow;
    return hooks;
}

TEST(KeyboardOrder, TabFollowsTheNumbersNotTheFile)
{
    LoadedForms f;
    f.loadText(R"(<main><frmA/><frmB>
        <TdbEdit Name="a" TabStop="True" TabOrder="2"/>
        <TdbEdit Name="b" TabStop="True" TabOrder="0"/>
        <TdbLabel Name="lbl" Caption="not in the order"/>
        <TdbEdit Name="c" TabStop="True" TabOrder="1"/>
        </frmB></main>)",
               showHooks());
    TForm *form = f.form("frmB");
    EXPECT_EQ(names(tabSequence(form)), QStringList({"b", "c", "a"}));
    EXPECT_EQ(tabWalk(form, 3), QStringList({"b", "c", "a", "b"}));
}

TEST(KeyboardOrder, NumbersBeyondTheEndLineUpAtTheEndInAscendingOrder)
{
    const struct {
        const char *controls;
        QStringList expected;
    } cases[] = {
        {R"(<TdbEdit Name="x" TabOrder="20"/><TdbEdit Name="y" TabOrder="5"/><TdbEdit Name="u" TabOrder="0"/>
            <TdbEdit Name="z" TabOrder="10"/><TdbEdit Name="v" TabOrder="1"/>)",
         {"u", "v", "y", "z", "x"}},
        // without TabOrder: 999, after every lower number; equal numbers keep the file's order;
        // a comma inside the number leaves its entry naming no control: "c" is never moved itself
        {R"(<TdbEdit Name="n1"/><TdbEdit Name="t5" TabOrder="5"/><TdbEdit Name="n2" TabOrder="x"/>
            <TdbEdit Name="c" TabOrder="0,1"/><TdbEdit Name="t0" TabOrder="0"/>)",
         {"t0", "c", "t5", "n1", "n2"}},
        // beside an unnamed edit, which never moves either, "c" stays where the file put it
        {R"(<TdbEdit/><TdbEdit Name="c" TabOrder="0,1"/>)", {"", "c"}},
        // a panel takes part; a negative number clamps to the front, and 65536 is sorted last
        // but applied as the 16-bit value 0
        {R"(<TdbPanel Name="p" TabOrder="1"/><TdbEdit Name="e" TabOrder="65536"/>
            <TdbEdit Name="m" TabOrder="-3"/>)",
         {"e", "m", "p"}},
    };
    for (const auto &c : cases) {
        LoadedForms f;
        f.loadText(QString("<main><frmA/><frmB>%1</frmB></main>").arg(c.controls));
        EXPECT_EQ(names(tabSequence(f.form("frmB"))), c.expected) << c.controls;
    }
}

TEST(KeyboardOrder, AControlWithoutTabStopIsSkippedByTabButFocusedFirstOnShow)
{
    LoadedForms f;
    f.loadText(R"(<main><frmA/><frmB>
        <TdbEdit Name="e2" TabStop="True" TabOrder="1"/>
        <TdbEdit Name="e3" TabStop="true" TabOrder="2"/>
        <TdbMonthCalendar Name="mc" TabStop="True" TabOrder="3"/>
        <TdbEdit Name="e1" TabOrder="0"/>
        </frmB></main>)",
               showHooks());
    TForm *form = f.form("frmB");
    EXPECT_EQ(focusTarget(f.control(*form, "e1"))->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(focusTarget(f.control(*form, "e3"))->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(tabWalk(form, 3), QStringList({"e1", "e2", "mc", "e2"}));
    // every showing focuses the first control again
    EXPECT_EQ(tabWalk(form, 0), QStringList({"e1"}));
}

TEST(OnAllFormShow, FocusesDepthFirstAndPassesOverControlsThatCannotTakeIt)
{
    LoadedForms f;
    f.loadText(R"(<main><frmA/><frmB>
        <TdbEdit Name="outer" TabStop="True" TabOrder="1"/>
        <TdbPanel Name="p" TabOrder="0">
          <TdbEdit Name="hidden" TabOrder="0"/>
          <TdbEdit Name="inner" TabOrder="1"/>
        </TdbPanel>
        </frmB></main>)",
               showHooks());
    TForm *form = f.form("frmB");
    EXPECT_EQ(names(fullKeyboardOrder(form)), QStringList({"p", "hidden", "inner", "outer"}));
    f.control(*form, "hidden")->hide();
    showActive(form);
    EXPECT_EQ(focusedControl(*form), "inner");
    OnAllFormShow(f.control(*form, "outer")); // not a form: nothing happens
    EXPECT_EQ(focusedControl(*form), "inner");
    form->hide();
}

TEST(DefaultAndCancelButtons, EnterPressesTheSaveButtonAndEscapeTheCloseButton)
{
    const struct {
        const char *buttons;
        Qt::Key key;
        const char *clicked; // empty: none
    } cases[] = {
        {R"(<TdbButton Name="bDel" dbActionType="adbDelete"/><TdbButton Name="bSave" dbActionType="adbSaveRecord"/>)",
         Qt::Key_Return, "bSave"},
        {R"(<TdbButton Name="bDel" dbActionType="adbDelete"/><TdbButton Name="bClose" dbActionType="adbCloseForm"/>
            <TdbButton Name="bClose2" dbActionType="adbCloseForm"/>)",
         Qt::Key_Escape, "bClose"},
        {R"(<TdbButton Name="bDel" dbActionType="adbDelete"/>)", Qt::Key_Return, ""},
    };
    for (const auto &c : cases) {
        QStringList clicked;
        FormHooks hooks = showHooks();
        hooks.onButtonClick = [&](TdbButton *b) { clicked << b->objectName(); };
        LoadedForms f;
        f.loadText(QString(R"(<main><frmA/><frmB><TdbEdit Name="e" TabStop="True" TabOrder="0"/>%1</frmB></main>)")
                       .arg(c.buttons),
                   hooks);
        TForm *form = f.form("frmB");
        showActive(form);
        ASSERT_EQ(focusedControl(*form), "e");
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(clicked.join(','), c.clicked) << c.buttons;
        form->hide();
    }
}

} // namespace
} // namespace tarvo::test

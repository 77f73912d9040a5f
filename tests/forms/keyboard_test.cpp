#include "formtesting.h"

#include "controls/dbbutton.h"
#include "controls/dbcombobox.h"
#include "controls/dbmemo.h"
#include "forms/keyboardorder.h"

#include <QApplication>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo::test {
namespace {

// The built control that holds the focus (the focus may sit inside a composite control). Right
// after a popup closed, the offscreen desktop has not activated the form again: the form's own
// focus is where the focus will return.
QString focusedControl(const FormBase &form)
{
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : form.widget()->focusWidget();
    for (QWidget *w = focus; w; w = w->parentWidget())
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
    f.loadText(uR"(<main><frmA/><frmB>
        <TdbEdit Name="a" TabStop="True" TabOrder="2"/>
        <TdbEdit Name="b" TabStop="True" TabOrder="0"/>
        <TdbLabel Name="lbl" Caption="not in the order"/>
        <TdbEdit Name="c" TabStop="True" TabOrder="1"/>
        </frmB></main>)"_s,
               showHooks());
    TForm *form = f.form(u"frmB"_s);
    EXPECT_EQ(names(tabSequence(form)), QStringList({u"b"_s, u"c"_s, u"a"_s}));
    EXPECT_EQ(tabWalk(form, 3), QStringList({u"b"_s, u"c"_s, u"a"_s, u"b"_s}));
}

TEST(KeyboardOrder, NumbersBeyondTheEndLineUpAtTheEndInAscendingOrder)
{
    const struct {
        const char *controls;
        QStringList expected;
    } cases[] = {
        {R"(<TdbEdit Name="x" TabOrder="20"/><TdbEdit Name="y" TabOrder="5"/><TdbEdit Name="u" TabOrder="0"/>
            <TdbEdit Name="z" TabOrder="10"/><TdbEdit Name="v" TabOrder="1"/>)",
         {u"u"_s, u"v"_s, u"y"_s, u"z"_s, u"x"_s}},
        // without TabOrder: 999, after every lower number; equal numbers keep the file's order;
        // a comma inside the number leaves its entry naming no control: "c" is never moved itself
        {R"(<TdbEdit Name="n1"/><TdbEdit Name="t5" TabOrder="5"/><TdbEdit Name="n2" TabOrder="x"/>
            <TdbEdit Name="c" TabOrder="0,1"/><TdbEdit Name="t0" TabOrder="0"/>)",
         {u"t0"_s, u"c"_s, u"t5"_s, u"n1"_s, u"n2"_s}},
        // beside an unnamed edit, which never moves either, "c" stays where the file put it
        {R"(<TdbEdit/><TdbEdit Name="c" TabOrder="0,1"/>)", {u""_s, u"c"_s}},
        // a panel takes part; a negative number clamps to the front, and 65536 is sorted last
        // but applied as the 16-bit value 0
        {R"(<TdbPanel Name="p" TabOrder="1"/><TdbEdit Name="e" TabOrder="65536"/>
            <TdbEdit Name="m" TabOrder="-3"/>)",
         {u"e"_s, u"m"_s, u"p"_s}},
    };
    for (const auto &c : cases) {
        LoadedForms f;
        f.loadText(u"<main><frmA/><frmB>%1</frmB></main>"_s.arg(QString::fromUtf8(c.controls)));
        EXPECT_EQ(names(tabSequence(f.form(u"frmB"_s))), c.expected) << c.controls;
    }
}

TEST(KeyboardOrder, AControlWithoutTabStopIsSkippedByTabButFocusedFirstOnShow)
{
    LoadedForms f;
    f.loadText(uR"(<main><frmA/><frmB>
        <TdbEdit Name="e2" TabStop="True" TabOrder="1"/>
        <TdbEdit Name="e3" TabStop="true" TabOrder="2"/>
        <TdbMonthCalendar Name="mc" TabStop="True" TabOrder="3"/>
        <TdbEdit Name="e1" TabOrder="0"/>
        </frmB></main>)"_s,
               showHooks());
    TForm *form = f.form(u"frmB"_s);
    EXPECT_EQ(focusTarget(f.control(*form, u"e1"_s))->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(focusTarget(f.control(*form, u"e3"_s))->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(tabWalk(form, 3), QStringList({u"e1"_s, u"e2"_s, u"mc"_s, u"e2"_s}));
    // every showing focuses the first control again
    EXPECT_EQ(tabWalk(form, 0), QStringList({u"e1"_s}));
}

TEST(OnAllFormShow, FocusesDepthFirstAndPassesOverControlsThatCannotTakeIt)
{
    LoadedForms f;
    f.loadText(uR"(<main><frmA/><frmB>
        <TdbEdit Name="outer" TabStop="True" TabOrder="1"/>
        <TdbPanel Name="p" TabOrder="0">
          <TdbEdit Name="hidden" TabOrder="0"/>
          <TdbEdit Name="inner" TabOrder="1"/>
        </TdbPanel>
        </frmB></main>)"_s,
               showHooks());
    TForm *form = f.form(u"frmB"_s);
    EXPECT_EQ(names(fullKeyboardOrder(form)), QStringList({u"p"_s, u"hidden"_s, u"inner"_s, u"outer"_s}));
    f.control(*form, u"hidden"_s)->hide();
    showActive(form);
    EXPECT_EQ(focusedControl(*form), u"inner"_s);
    OnAllFormShow(f.control(*form, u"outer"_s)); // not a form: nothing happens
    EXPECT_EQ(focusedControl(*form), u"inner"_s);
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
        f.loadText(uR"(<main><frmA/><frmB><TdbEdit Name="e" TabStop="True" TabOrder="0"/>%1</frmB></main>)"_s.arg(
                       QString::fromUtf8(c.buttons)),
                   hooks);
        TForm *form = f.form(u"frmB"_s);
        showActive(form);
        ASSERT_EQ(focusedControl(*form), u"e"_s);
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(clicked.join(u','), QString::fromUtf8(c.clicked)) << c.buttons;
        form->hide();
    }
}

// Enter and Escape as a user meets them, on a further form and on the main window: the key goes
// through the window system to whatever has the focus (an open drop-down list included).
TEST(FormKeys, EnterEscapeAndTabReachWhatTheUserMeans)
{
    const char *xml = R"(<main>
        <frmMain>
          <TdbEdit Name="me" TabStop="True" TabOrder="0"/>
          <TdbComboBox Name="mcb" TabStop="True" TabOrder="1"/>
          <TdbButton Name="mSave" dbActionType="adbSaveRecord" TabStop="True" TabOrder="2"/>
          <TdbButton Name="mClose" dbActionType="adbCloseForm" TabStop="True" TabOrder="3"/>
        </frmMain>
        <frmEdit>
          <TdbEdit Name="e" TabStop="True" TabOrder="0"/>
          <TdbStringGrid Name="g" TabStop="True" TabOrder="1"/>
          <TdbMemo Name="m" TabStop="True" TabOrder="2"/>
          <TdbDateTimePicker Name="dt" Checked="True" TabStop="True" TabOrder="3"/>
          <TdbButton Name="bDel" dbActionType="adbDelete" TabStop="True" TabOrder="4"/>
          <TdbButton Name="bSave" dbActionType="adbSaveRecord" TabStop="True" TabOrder="5"/>
          <TdbButton Name="bClose" dbActionType="adbCloseForm" TabStop="True" TabOrder="6"/>
        </frmEdit>
        <frmFind>
          <TdbEdit Name="flt" TabStop="True" TabOrder="0"/>
          <TdbEdit Name="other" TabStop="True" TabOrder="1"/>
          <TdbButton Name="bFind" dbListControls="x,FLT" TabStop="True" TabOrder="2"/>
        </frmFind>
      </main>)";
    const struct {
        const char *form;
        const char *focused; // a control; "mcb popup": with its drop-down list open
        QKeyCombination key;
        const char *outcome; // "click <buttons>", "focus <control>" or "closed"
    } cases[] = {
        {"frmEdit", "e", Qt::Key_Return, "click bSave"},          {"frmEdit", "dt", Qt::Key_Enter, "click bSave"},
        {"frmEdit", "bDel", Qt::Key_Return, "click bDel"},        {"frmEdit", "bClose", Qt::Key_Return, "click bClose"},
        {"frmEdit", "e", Qt::Key_Escape, "click bClose"},         {"frmEdit", "g", Qt::Key_Tab, "focus m"},
        {"frmEdit", "g", Qt::SHIFT | Qt::Key_Backtab, "focus e"}, {"frmEdit", "m", Qt::Key_Tab, "focus dt"},
        {"frmFind", "flt", Qt::Key_Escape, "focus flt"},          {"frmFind", "flt", Qt::Key_Return, "click bFind"},
        {"frmFind", "other", Qt::Key_Return, "focus other"},      {"frmMain", "me", Qt::Key_Return, "click mSave"},
        {"frmMain", "me", Qt::Key_Escape, "click mClose"},        {"frmMain", "mClose", Qt::Key_Return, "click mClose"},
        {"frmMain", "mcb popup", Qt::Key_Escape, "focus mcb"},
    };
    for (const auto &c : cases) {
        QStringList clicked;
        FormHooks hooks;
        hooks.onButtonClick = [&](TdbButton *b) { clicked << b->objectName(); };
        LoadedForms f;
        f.loadText(QString::fromUtf8(xml), hooks);
        FormBase *form = findForm(QString::fromUtf8(c.form));
        ASSERT_TRUE(form) << c.form;
        QWidget *window = form->widget();
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        const QStringList focused = QString::fromUtf8(c.focused).split(u' ');
        auto *control = f.control(*form, focused.first());
        focusTarget(control)->setFocus();
        QWindow *target = window->windowHandle();
        if (focused.size() > 1) {
            static_cast<TdbComboBox *>(control)->addItem(u"Oslo"_s);
            static_cast<TdbComboBox *>(control)->showPopup();
            ASSERT_TRUE(QApplication::activePopupWidget());
            target = QApplication::activePopupWidget()->windowHandle();
        }
        QTest::keyClick(target, c.key.key(), c.key.keyboardModifiers());
        QTRY_VERIFY(!QApplication::activePopupWidget()); // a closed popup gives the focus back

        QString outcome = u"focus "_s + focusedControl(*form);
        if (!clicked.isEmpty())
            outcome = u"click "_s + clicked.join(u',');
        else if (!window->isVisible())
            outcome = u"closed"_s;
        EXPECT_EQ(outcome, QString::fromUtf8(c.outcome))
            << c.form << " " << c.focused << " " << QKeySequence(c.key).toString().toStdString();
        if (auto *memo = f.control<TdbMemo>(*form, u"m"_s)) {
            EXPECT_EQ(memo->text(), u""_s);
        }
        window->hide();
    }
}

} // namespace
} // namespace tarvo::test

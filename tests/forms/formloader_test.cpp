#include "formtesting.h"

#include "controls/dbbutton.h"
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbeditcount.h"
#include "controls/dbfiletodatabase.h"
#include "controls/dbimage.h"
#include "controls/dbimagedatabase.h"
#include "controls/dbmemo.h"
#include "controls/dbmonthcalendar.h"
#include "controls/dbpanel.h"
#include "controls/dbstringgridex.h"
#include "forms/tabsheet.h"
#include "platform/errors.h"

#include <QAbstractItemView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo::test {
namespace {

QStringList names(const QList<QObject *> &objects)
{
    QStringList list;
    for (const QObject *o : objects)
        list << o->objectName();
    return list;
}

QColor base()
{
    return QGuiApplication::palette().color(QPalette::Base);
}

TEST(LoadForms, BuildsTheMainWindowFromTheFirstElement)
{
    LoadedForms f;
    f.main.setWindowTitle(u"before"_s);
    f.loadFixture(u"forms-basic"_s);

    EXPECT_EQ(f.main.objectName(), u"frmClients"_s);
    EXPECT_EQ(f.main.windowTitle(), u"Клиенты"_s);
    EXPECT_EQ(f.main.size(), QSize(700, 500));
    EXPECT_EQ(f.main.centralWidget()->grab().toImage().pixelColor(1, 1), QColor(255, 0, 0));
    // Creation order; the unknown element, the misplaced sheet and their children build nothing.
    EXPECT_EQ(names(f.main.components()),
              QStringList({u"edSearch"_s, u"bSearch"_s, u"bPrint"_s, u"bOdd"_s, u"Grid1"_s, u"lblTitle"_s}));
    for (QObject *c : f.main.components())
        EXPECT_EQ(static_cast<QWidget *>(c)->parentWidget(), f.main.centralWidget());

    auto *edit = f.control<TdbEdit>(f.main, u"EDSEARCH"_s);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->geometry(), QRect(8, 8, 200, 21));
    EXPECT_EQ(edit->text(), u""_s); // the default value only waits in its property
    EXPECT_EQ(edit->dbDefaultValue(), u"Иван"_s);
    EXPECT_EQ(edit->dbFilter(), u"<="_s);
    EXPECT_EQ(edit->dbTable(), u"clients"_s);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 255));

    auto *search = f.control<TdbButton>(f.main, u"bSearch"_s);
    EXPECT_EQ(search->text(), u"Найти"_s);
    EXPECT_EQ(search->dbSQL(), u"SELECT *\r\nFROM clients"_s);
    EXPECT_FALSE(search->dbSortAsc()); // "true" is not "True"; the button's own true is lost
    EXPECT_EQ(search->dbResultControl(), u"Grid1"_s);
    auto *print = f.control<TdbButton>(f.main, u"bPrint"_s);
    EXPECT_EQ(print->dbActionType(), TdbButton::adbReport);
    EXPECT_EQ(print->dbGeneralTableId(), -1);
    EXPECT_TRUE(print->dbConfirmDelete());
    EXPECT_EQ(f.control<TdbButton>(f.main, u"bOdd"_s)->dbActionType(), TdbButton::adbSearch);

    auto *grid = f.control<TdbStringGridEx>(f.main, u"Grid1"_s);
    EXPECT_EQ(grid->defaultColWidth(), (502 - 2 * grid->frameWidth()) / 5 - 1);
    EXPECT_EQ(grid->drawingStyle(), TdbStringGridEx::gdsClassic);
    EXPECT_EQ(grid->defaultRowHeight(), 20);
    EXPECT_TRUE(grid->dbSortAsc());

    auto *label = f.control<QLabel>(f.main, u"lblTitle"_s);
    EXPECT_EQ(label->pos(), QPoint(8, 250));
    EXPECT_EQ(label->size(), label->sizeHint()); // neither Width nor Height lasts
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().underline());
    EXPECT_FALSE(label->font().italic());
    EXPECT_EQ(label->font().pointSize(), 12);
    EXPECT_EQ(label->font().family(), u"DejaVu Sans"_s);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST(LoadForms, BuildsFurtherFormsHiddenAndNestsControlsByName)
{
    LoadedForms f;
    f.loadFixture(u"forms-basic"_s);
    TForm *form = f.form(u"frmClient"_s);
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->parent(), nullptr);
    EXPECT_EQ(form->windowTitle(), u"Клиент"_s);
    EXPECT_EQ(form->size(), QSize(800, 480));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->grab().toImage().pixelColor(790, 470), base());
    // shown modally at a fixed size: neither maximize nor minimize could do anything useful
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(names(form->components()),
              QStringList({u"Panel1"_s, u"Pages"_s, u"tsMain"_s, u"InnerPanel"_s, u"edName"_s, u"mmNotes"_s,
                           u"tsMore"_s, u"cbActive"_s, u"cmbCity"_s, u"dtBirth"_s, u"mcDay"_s, u"ecNumber"_s,
                           u"imgLogo"_s, u"imgPhoto"_s, u"fdDoc"_s, u"gbButtons"_s, u"bSave"_s, u"bClose"_s}));

    auto *pages = f.control<QTabWidget>(*form, u"Pages"_s);
    auto *inner = f.control<TdbPanel>(*form, u"InnerPanel"_s);
    EXPECT_EQ(f.control<TdbPanel>(*form, u"Panel1"_s)->color(), QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(pages->parentWidget(), f.control(*form, u"Panel1"_s));
    EXPECT_EQ(pages->widget(0), f.control(*form, u"tsMain"_s));
    EXPECT_EQ(pages->tabText(1), u"More"_s);
    EXPECT_EQ(inner->parentWidget(), pages->widget(0));
    EXPECT_EQ(f.control(*form, u"edName"_s)->parentWidget(), inner);
    EXPECT_EQ(f.control(*form, u"EDNAME"_s)->window(), form);
    EXPECT_EQ(pages->font().pointSize(), 10);

    EXPECT_EQ(f.control<TdbMemo>(*form, u"mmNotes"_s)->toPlainText(), u""_s);
    auto *check = f.control<TdbCheckBox>(*form, u"cbActive"_s);
    EXPECT_EQ(check->text(), u"Active"_s);
    EXPECT_EQ(check->state(), TdbCheckBox::cbGrayed);
    EXPECT_TRUE(check->allowGrayed());
    auto *combo = f.control<TdbComboBox>(*form, u"cmbCity"_s);
    EXPECT_EQ(combo->dropDownCount(), 12);
    EXPECT_EQ(combo->dbDefaultID(), 3);
    EXPECT_TRUE(combo->dbSort());
    auto *picker = f.control<TdbDateTimePicker>(*form, u"dtBirth"_s);
    EXPECT_EQ(picker->kind(), TdbDateTimePicker::dtkTime);
    EXPECT_EQ(picker->dbFilter(), u">"_s);
    EXPECT_TRUE(picker->checked());
    EXPECT_TRUE(picker->showCheckbox());
    EXPECT_EQ(picker->dbCalendarControl(), u"mcDay"_s);
    EXPECT_EQ(f.control<TdbMonthCalendar>(*form, u"mcDay"_s)->dbFilter(), u"="_s);
    auto *counter = f.control<TdbEditCount>(*form, u"ecNumber"_s);
    EXPECT_TRUE(counter->isReadOnly());
    EXPECT_EQ(counter->dbBeginValue(), 100);
    EXPECT_EQ(counter->palette().color(QPalette::Base), base());
    EXPECT_TRUE(f.control<TdbImage>(*form, u"imgLogo"_s)->Stretch());
    auto *photo = f.control<TdbImageDataBase>(*form, u"imgPhoto"_s);
    EXPECT_EQ(photo->geometry(), QRect(60, 0, 50, 40));
    EXPECT_TRUE(photo->Proportional());
    auto *file = f.control<TdbFileToDatabase>(*form, u"fdDoc"_s);
    EXPECT_EQ(file->pos(), QPoint(1, 2));
    EXPECT_EQ(file->width(), 150);
    EXPECT_NE(file->height(), 99); // Height is not read
    EXPECT_EQ(file->text(), u""_s);
    EXPECT_EQ(f.control<QGroupBox>(*form, u"gbButtons"_s)->title(), u"Actions"_s);
}

TEST(LoadForms, ControlsAppearInAMainWindowAlreadyOnScreen)
{
    LoadedForms f;
    f.main.show();
    f.loadText(u"<main><frmA><TdbPanel Name='p'><TdbEdit Name='e'/></TdbPanel><TdbLabel Name='l'/></frmA></main>"_s);
    for (const char *name : {"p", "e", "l"})
        EXPECT_TRUE(f.control(f.main, QString::fromUtf8(name))->isVisible()) << name;
    f.main.hide();
}

// Controls inherit the palette of their container as it is built; the designed colours must
// still win where they equal the system's defaults.
TEST(LoadForms, AContainersColoursDoNotReplaceTheDefaultColoursOfItsControls)
{
    LoadedForms f;
    f.loadText(u"<main><frmA><TdbGroupBox Name='g' FontColor='255'>"_s
               "<TdbEdit Name='e' Color='$00FF00'/><TdbLabel Name='l'/><TdbButton Name='b'/>"
               "<TdbEdit Name='red' FontColor='255'/></TdbGroupBox></frmA></main>");
    const QColor red(255, 0, 0);
    EXPECT_EQ(f.control(f.main, u"g"_s)->palette().color(QPalette::WindowText), red);
    for (const char *name : {"e", "l", "b"}) {
        const QPalette palette = f.control(f.main, QString::fromUtf8(name))->palette();
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            EXPECT_EQ(palette.color(role), QColor(Qt::black)) << name << " " << role;
    }
    EXPECT_EQ(f.control(f.main, u"e"_s)->palette().color(QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(f.control(f.main, u"red"_s)->palette().color(QPalette::Text), red);
    EXPECT_EQ(f.control(f.main, u"red"_s)->palette().color(QPalette::Base), base());
}

// The combo box's popup list is built only when first needed; it must still show the box's font.
TEST(LoadForms, AComboBoxAndItsPopupListShowTheDesignedFont)
{
    LoadedForms f;
    f.loadText(u"<main><frmA><TdbComboBox Name='cb' FontName='DejaVu Sans' FontSize='14' FontStyle='1'/>"_s
               "</frmA></main>");
    auto *combo = f.control<TdbComboBox>(f.main, u"cb"_s);
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->font().family(), u"DejaVu Sans"_s);
    EXPECT_EQ(combo->font().pointSize(), 14);
    EXPECT_TRUE(combo->font().bold());
    QComboBox reference;
    reference.setFont(combo->font());
    EXPECT_EQ(combo->sizeHint(), reference.sizeHint());

    EXPECT_EQ(combo->view()->font(), combo->font());
    EXPECT_EQ(combo->view()->window()->font(), combo->font());
    // Later changes still reach the popup.
    QFont smaller = combo->font();
    smaller.setPointSize(7);
    combo->setFont(smaller);
    EXPECT_EQ(combo->view()->font().pointSize(), 7);
}

TEST(LoadForms, MainWithOneChildOrNoneChangesOnlyTheMainWindow)
{
    const QList<FormBase *> before = openForms();
    {
        LoadedForms f;
        f.main.resize(300, 200);
        f.main.setWindowTitle(u"designed"_s);
        f.loadText(u"<main></main>"_s);
        EXPECT_EQ(f.main.size(), QSize(300, 200));
        EXPECT_EQ(f.main.windowTitle(), u"designed"_s);
        EXPECT_EQ(f.main.objectName(), u"frmMain"_s);

        f.loadText(u"<main><frmOnly Caption='x'/></main>"_s);
        EXPECT_EQ(f.main.objectName(), u"frmOnly"_s);
        EXPECT_EQ(f.main.size(), QSize(640, 480));
        EXPECT_EQ(openForms().size(), before.size() + 1); // the main window alone
    }
}

TEST(LoadForms, ReadsTheEncodingThatTheDeclarationNames)
{
    LoadedForms f;
    // "Клиенты" in windows-1251, as designers on such systems write it.
    f.folder.write(u"forms.xml"_s, QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                              "<main><frmA Caption=\"\xCA\xEB\xE8\xE5\xED\xF2\xFB\"/></main>"));
    LoadForms(f.main, f.folder.file(u"forms.xml"_s), {});
    EXPECT_EQ(f.main.windowTitle(), QString::fromUtf8("Клиенты"));
}

TEST(LoadForms, DocumentErrorsEndBeforeAnyFormIsTouched)
{
    const QByteArray tooDeep = "<main><frmA>" + QByteArray("<TdbPanel>").repeated(300)
                               + QByteArray("</TdbPanel>").repeated(300) + "</frmA></main>";
    const struct {
        const char *xml; // null: no file at all
        const char *message;
    } cases[] = {
        {nullptr, "Cannot open file"},
        {"", "Premature end of document"},
        {"<main><frmA></main>", ""},
        {"<forms><frmA/></forms>", "Node \"main\" not found."},
        {tooDeep.constData(), "nested more than 200 levels deep"},
    };
    for (const auto &c : cases) {
        LoadedForms f;
        f.main.setWindowTitle(u"untouched"_s);
        const QString path = f.folder.file(u"forms.xml"_s);
        if (c.xml)
            f.folder.write(u"forms.xml"_s, QString::fromUtf8(c.xml));
        try {
            LoadForms(f.main, path, {});
            ADD_FAILURE() << "no error for " << (c.xml ? c.xml : "a missing file");
        } catch (const FileError &e) {
            EXPECT_FALSE(c.xml);
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.message().toStdString();
        } catch (const ParseError &e) {
            EXPECT_TRUE(c.xml);
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.message().toStdString();
        }
        EXPECT_EQ(f.main.windowTitle(), u"untouched"_s);
        EXPECT_EQ(f.main.objectName(), u"frmMain"_s);
    }
}

TEST(LoadForms, NamingErrorsStopAtTheOffendingElementAndKeepWhatWasBuilt)
{
    const struct {
        const char *xml;
        const char *message;
        const char *builtOnSecondForm; // comma-separated; null: the second form does not exist
    } cases[] = {
        {"<main><frmA/><frmB><TdbEdit Name='e1'/><TdbEdit Name='E1'/><TdbEdit Name='e3'/></frmB></main>",
         "A component named E1 already exists.", "e1"},
        {"<main><frmA/><frmB><TdbPanel Name='p'><TdbEdit Name='1abc'/></TdbPanel><TdbEdit Name='x'/></frmB></main>",
         "\"1abc\" is not a valid component name.", "p"},
        {"<main><frmA/><FRMA/></main>", "A component named FRMA already exists.", nullptr},
        {"<main><frmA/><frmoptions/></main>", "A component named frmoptions already exists.", nullptr},
        {"<main><frmA/><!-- a note --><frmB/></main>", "\"#comment\" is not a valid component name.", nullptr},
        {"<main><frmA/>a note<frmB/></main>", "\"#text\" is not a valid component name.", nullptr},
        {"<main><frmA/><frmB><TdbEdit Name='SQLConnection'/></frmB></main>", nullptr, ""},
    };
    for (const auto &c : cases) {
        LoadedForms f;
        if (c.message) {
            try {
                f.loadText(QString::fromUtf8(c.xml));
                ADD_FAILURE() << "no error for " << c.xml;
            } catch (const Error &e) {
                EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
            }
        } else {
            f.loadText(QString::fromUtf8(c.xml)); // reserved names bind the main window only
        }
        EXPECT_EQ(f.main.objectName(), u"frmA"_s) << c.xml;
        TForm *second = f.form(u"frmB"_s);
        EXPECT_EQ(second != nullptr, c.builtOnSecondForm != nullptr) << c.xml;
        if (second && c.message) {
            EXPECT_EQ(names(second->components()).join(u','), QString::fromUtf8(c.builtOnSecondForm)) << c.xml;
        }
    }
}

TEST(LoadForms, TheMainWindowsFixedComponentNamesAreTaken)
{
    LoadedForms f;
    try {
        f.loadText(u"<main><frmA><TdbEdit Name='e1'/><TdbButton Name='mniabout'/></frmA></main>"_s);
        ADD_FAILURE();
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), u"A component named mniabout already exists."_s);
    }
    EXPECT_EQ(names(f.main.components()), QStringList{u"e1"_s});
    EXPECT_EQ(f.main.objectName(), u"frmMain"_s); // the pending name step never happened
}

TEST(PageOrdering, IsTheExactPassNotAFullSort)
{
    const struct {
        QList<int> indexes;
        QList<int> expected;
    } cases[] = {
        {{0, 1, 2}, {0, 1, 2}},
        {{2, 0, 1}, {0, 1, 2}},
        {{1, 3, 0, 2}, {0, 2, 1, 3}},
        {{-4, 9}, {0, 9}},
    };
    for (const auto &c : cases) {
        QString sheets;
        for (int i = 0; i < c.indexes.size(); ++i)
            sheets += u"<TdbTabSheet Name='s%1' PageIndex='%2'/>"_s.arg(i).arg(c.indexes[i]);
        LoadedForms f;
        f.loadText(u"<main><frmA/><frmB><TdbPageControl Name='pc'>"_s + sheets + u"</TdbPageControl></frmB></main>"_s);
        auto *pages = f.control<QTabWidget>(*f.form(u"frmB"_s), u"pc"_s);
        QList<int> tags;
        for (int i = 0; i < pages->count(); ++i)
            tags << qobject_cast<TTabSheet *>(pages->widget(i))->Tag();
        EXPECT_EQ(tags, c.expected);
        EXPECT_EQ(pages->currentIndex(), 0);
    }
}

TEST(LoadForms, ButtonsCallTheHookAndErrorsDoNotEscapeTheClick)
{
    QList<TdbButton *> clicked;
    FormHooks hooks;
    hooks.onButtonClick = [&](TdbButton *b) {
        clicked << b;
        throw SilentAbort();
    };
    LoadedForms f;
    f.loadText(u"<main><frmA><TdbButton Name='b1'/></frmA></main>"_s, hooks);
    auto *button = f.control<TdbButton>(f.main, u"b1"_s);
    button->click();
    EXPECT_EQ(clicked, QList<TdbButton *>{button});
}

} // namespace
} // namespace tarvo::test

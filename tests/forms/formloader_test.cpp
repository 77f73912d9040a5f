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

namespace tarvo::test {
namespace {

QStringList names(const QList<QObject *> &objects)
{
    QStringList list;
    for (const QObject *o : objects)
        list << o->objectName();
    return list;
}

QColor base() { return QGuiApplication::palette().color(QPalette::Base); }

TEST(LoadForms, BuildsTheMainWindowFromTheFirstElement)
{
    LoadedForms f;
    f.main.setWindowTitle("before");
    f.loadFixture("forms-basic");

    EXPECT_EQ(f.main.objectName(), "frmClients");
    EXPECT_EQ(f.main.windowTitle(), "Клиенты");
    EXPECT_EQ(f.main.size(), QSize(700, 500));
    EXPECT_EQ(f.main.centralWidget()->grab().toImage().pixelColor(1, 1), QColor(255, 0, 0));
    // Creation order; the unknown element, the misplaced sheet and their children build nothing.
    EXPECT_EQ(names(f.main.components()),
              QStringList({"edSearch", "bSearch", "bPrint", "bOdd", "Grid1", "lblTitle"}));
    for (QObject *c : f.main.components())
        EXPECT_EQ(static_cast<QWidget *>(c)->parentWidget(), f.main.centralWidget());

    auto *edit = f.control<TdbEdit>(f.main, "EDSEARCH");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->geometry(), QRect(8, 8, 200, 21));
    EXPECT_EQ(edit->text(), ""); // the default value only waits in its property
    EXPECT_EQ(edit->dbDefaultValue(), "Иван");
    EXPECT_EQ(edit->dbFilter(), "<=");
    EXPECT_EQ(edit->dbTable(), "clients");
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 255));

    auto *search = f.control<TdbButton>(f.main, "bSearch");
    EXPECT_EQ(search->text(), "Найти");
    EXPECT_EQ(search->dbSQL(), "SELECT *\r\nFROM clients");
    EXPECT_FALSE(search->dbSortAsc()); // "true" is not "True"; the button's own true is lost
    EXPECT_EQ(search->dbResultControl(), "Grid1");
    auto *print = f.control<TdbButton>(f.main, "bPrint");
    EXPECT_EQ(print->dbActionType(), TdbButton::adbReport);
    EXPECT_EQ(print->dbGeneralTableId(), -1);
    EXPECT_TRUE(print->dbConfirmDelete());
    EXPECT_EQ(f.control<TdbButton>(f.main, "bOdd")->dbActionType(), TdbButton::adbSearch);

    auto *grid = f.control<TdbStringGridEx>(f.main, "Grid1");
    EXPECT_EQ(grid->defaultColWidth(), (502 - 2 * grid->frameWidth()) / 5 - 1);
    EXPECT_EQ(grid->drawingStyle(), TdbStringGridEx::gdsClassic);
    EXPECT_EQ(grid->defaultRowHeight(), 20);
    EXPECT_TRUE(grid->dbSortAsc());

    auto *label = f.control<QLabel>(f.main, "lblTitle");
    EXPECT_EQ(label->pos(), QPoint(8, 250));
    EXPECT_EQ(label->size(), label->sizeHint()); // neither Width nor Height lasts
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().underline());
    EXPECT_FALSE(label->font().italic());
    EXPECT_EQ(label->font().pointSize(), 12);
    EXPECT_EQ(label->font().family(), "DejaVu Sans");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST(LoadForms, BuildsFurtherFormsHiddenAndNestsControlsByName)
{
    LoadedForms f;
    f.loadFixture("forms-basic");
    TForm *form = f.form("frmClient");
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->parent(), nullptr);
    EXPECT_EQ(form->windowTitle(), "Клиент");
    EXPECT_EQ(form->size(), QSize(800, 480));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->grab().toImage().pixelColor(790, 470), base());
    // shown modally at a fixed size: neither maximize nor minimize could do anything useful
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(names(form->components()),
              QStringList({"Panel1", "Pages", "tsMain", "InnerPanel", "edName", "mmNotes", "tsMore",
                           "cbActive", "cmbCity", "dtBirth", "mcDay", "ecNumber", "imgLogo",
                           "imgPhoto", "fdDoc", "gbButtons", "bSave", "bClose"}));

    auto *pages = f.control<QTabWidget>(*form, "Pages");
    auto *inner = f.control<TdbPanel>(*form, "InnerPanel");
    EXPECT_EQ(f.control<TdbPanel>(*form, "Panel1")->color(),
              QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(pages->parentWidget(), f.control(*form, "Panel1"));
    EXPECT_EQ(pages->widget(0), f.control(*form, "tsMain"));
    EXPECT_EQ(pages->tabText(1), "More");
    EXPECT_EQ(inner->parentWidget(), pages->widget(0));
    EXPECT_EQ(f.control(*form, "edName")->parentWidget(), inner);
    EXPECT_EQ(f.control(*form, "EDNAME")->window(), form);
    EXPECT_EQ(pages->font().pointSize(), 10);

    EXPECT_EQ(f.control<TdbMemo>(*form, "mmNotes")->toPlainText(), "");
    auto *check = f.control<TdbCheckBox>(*form, "cbActive");
    EXPECT_EQ(check->text(), "Active");
    EXPECT_EQ(check->state(), TdbCheckBox::cbGrayed);
    EXPECT_TRUE(check->allowGrayed());
    auto *combo = f.control<TdbComboBox>(*form, "cmbCity");
    EXPECT_EQ(combo->dropDownCount(), 12);
    EXPECT_EQ(combo->dbDefaultID(), 3);
    EXPECT_TRUE(combo->dbSort());
    auto *picker = f.control<TdbDateTimePicker>(*form, "dtBirth");
    EXPECT_EQ(picker->kind(), TdbDateTimePicker::dtkTime);
    EXPECT_EQ(picker->dbFilter(), ">");
    EXPECT_TRUE(picker->checked());
    EXPECT_TRUE(picker->showCheckbox());
    EXPECT_EQ(picker->dbCalendarControl(), "mcDay");
    EXPECT_EQ(f.control<TdbMonthCalendar>(*form, "mcDay")->dbFilter(), "=");
    auto *counter = f.control<TdbEditCount>(*form, "ecNumber");
    EXPECT_TRUE(counter->isReadOnly());
    EXPECT_EQ(counter->dbBeginValue(), 100);
    EXPECT_EQ(counter->palette().color(QPalette::Base), base());
    EXPECT_TRUE(f.control<TdbImage>(*form, "imgLogo")->Stretch());
    auto *photo = f.control<TdbImageDataBase>(*form, "imgPhoto");
    EXPECT_EQ(photo->geometry(), QRect(60, 0, 50, 40));
    EXPECT_TRUE(photo->Proportional());
    auto *file = f.control<TdbFileToDatabase>(*form, "fdDoc");
    EXPECT_EQ(file->pos(), QPoint(1, 2));
    EXPECT_EQ(file->width(), 150);
    EXPECT_NE(file->height(), 99); // Height is not read
    EXPECT_EQ(file->text(), "");
    EXPECT_EQ(f.control<QGroupBox>(*form, "gbButtons")->title(), "Actions");
}

TEST(LoadForms, ControlsAppearInAMainWindowAlreadyOnScreen)
{
    LoadedForms f;
    f.main.show();
    f.loadText("<main><frmA><TdbPanel Name='p'><TdbEdit Name='e'/></TdbPanel><TdbLabel Name='l'/></frmA></main>");
    for (const char *name : {"p", "e", "l"})
        EXPECT_TRUE(f.control(f.main, name)->isVisible()) << name;
    f.main.hide();
}

// Controls inherit the palette of their container as it is built; the designed colours must
// still win where they equal the system's defaults.
TEST(LoadForms, AContainersColoursDoNotReplaceTheDefaultColoursOfItsControls)
{
    LoadedForms f;
    f.loadText("<main><frmA><TdbGroupBox Name='g' FontColor='255'>"
               "<TdbEdit Name='e' Color='$00FF00'/><TdbLabel Name='l'/><TdbButton Name='b'/>"
               "<TdbEdit Name='red' FontColor='255'/></TdbGroupBox></frmA></main>");
    const QColor red(255, 0, 0);
    EXPECT_EQ(f.control(f.main, "g")->palette().color(QPalette::WindowText), red);
    for (const char *name : {"e", "l", "b"}) {
        const QPalette palette = f.control(f.main, name)->palette();
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            EXPECT_EQ(palette.color(role), QColor(Qt::black)) << name << " " << role;
    }
    EXPECT_EQ(f.control(f.main, "e")->palette().color(QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(f.control(f.main, "red")->palette().color(QPalette::Text), red);
    EXPECT_EQ(f.control(f.main, "red")->palette().color(QPalette::Base), base());
}

// The combo box's popup list is built only when first needed; it must still show the box's font.
TEST(LoadForms, AComboBoxAndItsPopupListShowTheDesignedFont)
{
    LoadedForms f;
    f.loadText("<main><frmA><TdbComboBox Name='cb' FontName='DejaVu Sans' FontSize='14' FontStyle='1'/>"
               "</frmA></main>");
    auto *combo = f.control<TdbComboBox>(f.main, "cb");
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->font().family(), "DejaVu Sans");
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
        f.main.setWindowTitle("designed");
        f.loadText("<main></main>");
        EXPECT_EQ(f.main.size(), QSize(300, 200));
        EXPECT_EQ(f.main.windowTitle(), "designed");
        EXPECT_EQ(f.main.objectName(), "frmMain");

        f.loadText("<main><frmOnly Caption='x'/></main>");
        EXPECT_EQ(f.main.objectName(), "frmOnly");
        EXPECT_EQ(f.main.size(), QSize(640, 480));
        EXPECT_EQ(openForms().size(), before.size() + 1); // the main window alone
    }
}

TEST(LoadForms, ReadsTheEncodingThatTheDeclarationNames)
{
    LoadedForms f;
    // "Клиенты" in windows-1251, as designers on such systems write it.
    f.folder.write("forms.xml", QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                           "<main><frmA Caption=\"\xCA\xEB\xE8\xE5\xED\xF2\xFB\"/></main>"));
    LoadForms(f.main, f.folder.file("forms.xml"), {});
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
        f.main.setWindowTitle("untouched");
        const QString path = f.folder.file("forms.xml");
        if (c.xml)
            f.folder.write("forms.xml", QString::fromUtf8(c.xml));
        try {
            LoadForms(f.main, path, {});
            ADD_FAILURE() << "no error for " << (c.xml ? c.xml : "a missing file");
        } catch (const FileError &e) {
            EXPECT_FALSE(c.xml);
            EXPECT_TRUE(e.message().contains(c.message)) << e.message().toStdString();
        } catch (const ParseError &e) {
            EXPECT_TRUE(c.xml);
            EXPECT_TRUE(e.message().contains(c.message)) << e.message().toStdString();
        }
        EXPECT_EQ(f.main.windowTitle(), "untouched");
        EXPECT_EQ(f.main.objectName(), "frmMain");
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
        EXPECT_EQ(f.main.objectName(), "frmA") << c.xml;
        TForm *second = f.form("frmB");
        EXPECT_EQ(second != nullptr, c.builtOnSecondForm != nullptr) << c.xml;
        if (second && c.message) {
            EXPECT_EQ(names(second->components()).join(','), c.builtOnSecondForm) << c.xml;
        }
    }
}

TEST(LoadForms, TheMainWindowsFixedComponentNamesAreTaken)
{
    LoadedForms f;
    try {
        f.loadText("<main><frmA><TdbEdit Name='e1'/><TdbButton Name='mniabout'/></frmA></main>");
        ADD_FAILURE();
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), "A component named mniabout already exists.");
    }
    EXPECT_EQ(names(f.main.components()), QStringList{"e1"});
    EXPECT_EQ(f.main.objectName(), "frmMain"); // the pending name step never happened
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
            sheets += QString("<TdbTabSheet Name='s%1' PageIndex='%2'/>").arg(i).arg(c.indexes[i]);
        LoadedForms f;
        f.loadText("<main><frmA/><frmB><TdbPageControl Name='pc'>" + sheets + "</TdbPageControl></frmB></main>");
        auto *pages = f.control<QTabWidget>(*f.form("frmB"), "pc");
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
    f.loadText("<main><frmA><TdbButton Name='b1'/></frmA></main>", hooks);
    auto *button = f.control<TdbButton>(f.main, "b1");
    button->click();
    EXPECT_EQ(clicked, QList<TdbButton *>{button});
}

} // namespace
} // namespace tarvo::test

#include "forms/controlbuilders.h"

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
#include "controls/form.h"
#include "controls/sharedresources.h"
#include "forms/formkeys.h"
#include "forms/names.h"
#include "forms/tabsheet.h"
#include "forms/widgetstyle.h"
#include "platform/errorhandler.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

namespace tarvo {

namespace {

// Names the new control and hands it to its form; the name is checked before anything exists.
template <class T> T *create(const BuildContext &c, QWidget *parent)
{
    const QString name = c.attributes.text("Name");
    checkComponentName(c.owner, name, c.onMainWindow);
    T *control = new T(parent);
    control->setObjectName(name);
    c.owner.addComponent(control);
    return control;
}

template <class T> T *create(const BuildContext &c)
{
    return create<T>(c, c.parent);
}

void setGeometry(QWidget *w, const AttributeReader &a)
{
    w->setGeometry(a.integer("Left"), a.integer("Top"), a.integer("Width"), a.integer("Height"));
}

void setBaseColour(QWidget *w, const AttributeReader &a)
{
    setPaletteColour(w, {QPalette::Base}, *a.colour("Color"));
}

void applyAction(TdbButton *button, const BuildContext &c)
{
    const std::optional<int> action = c.attributes.enumeration("dbActionType");
    if (!action)
        return;
    button->setDbActionType(TdbButton::TActionDbType(*action));
    if (*action == TdbButton::adbReport)
        button->setDbGeneralTableId(-1);
    if (*action == TdbButton::adbSaveRecord)
        FormKeys::of(c.owner).setDefaultButton(button);
    if (*action == TdbButton::adbCloseForm)
        FormKeys::of(c.owner).setCancelButton(button);
}

QWidget *buildButton(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *b = create<TdbButton>(c);
    b->setText(a.text("Caption"));
    b->setDbIconName(a.text("dbIconName")); // picks its picture from the shared button icons
    setGeometry(b, a);
    // Enter is the form's business (FormKeys), not whichever button Qt would pick.
    b->setAutoDefault(false);
    applyAction(b, c);
    b->setDbGeneralTable(a.text("dbGeneralTable"));
    b->setDbListControls(a.text("dbListControls"));
    b->setDbListFields(a.text("dbListFields"));
    b->setDbListFieldsNames(a.text("dbListFieldsNames"));
    b->setDbResultControl(a.text("dbResultControl"));
    b->setDbFormName(a.text("dbFormName"));
    b->setDbSQL(a.statement("dbSQL"));
    b->setDbSortField(a.text("dbSortField"));
    b->setDbSortAsc(a.boolean("dbSortAsc"));
    b->setDbConfirmDelete(a.boolean("dbConfirmDelete"));
    b->setDbReportFile(a.text("dbReportFile"));
    if (c.hooks.onButtonClick) {
        const auto onClick = c.hooks.onButtonClick;
        QObject::connect(b, &QAbstractButton::clicked, b, [b, onClick] { guarded([&] { onClick(b); }); });
    }
    return b;
}

QWidget *buildEdit(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *e = create<TdbEdit>(c);
    setGeometry(e, a);
    e->setDbDefaultValue(a.text("dbDefaultValue"));
    if (!e->text().isEmpty()) // a new edit is empty; clearing it would only repeat cursor updates
        e->clear();
    e->setDbFilter(a.comparison("dbFilter"));
    e->setDbTable(a.text("dbTable"));
    e->setDbField(a.text("dbField"));
    setBaseColour(e, a);
    return e;
}

QWidget *buildEditCount(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *e = create<TdbEditCount>(c);
    setGeometry(e, a);
    e->setReadOnly(a.boolean("ReadOnly"));
    e->setDbTable(a.text("dbTable"));
    e->setDbBeginValue(a.integer("dbBeginValue"));
    setBaseColour(e, a);
    e->clear();
    return e;
}

QWidget *buildMemo(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *m = create<TdbMemo>(c);
    setGeometry(m, a);
    m->setDbDefaultValue(a.text("dbDefaultValue"));
    m->clear();
    m->setDbTable(a.text("dbTable"));
    m->setDbField(a.text("dbField"));
    setBaseColour(m, a);
    return m;
}

QWidget *buildCheckBox(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *b = create<TdbCheckBox>(c);
    setGeometry(b, a);
    b->setText(a.text("Caption"));
    b->setDbTable(a.text("dbTable"));
    b->setDbField(a.text("dbField"));
    b->setAllowGrayed(a.boolean("AllowGrayed"));
    if (const std::optional<int> state = a.enumeration("dbDefaultState"))
        b->setDbDefaultState(TCheckBoxState(*state));
    b->setState(b->dbDefaultState());
    return b;
}

QWidget *buildDateTimePicker(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *p = create<TdbDateTimePicker>(c);
    p->setShowCheckbox(true);
    setGeometry(p, a);
    if (const std::optional<int> kind = a.enumeration("Kind"))
        p->setKind(TdbDateTimePicker::TDateTimeKind(*kind));
    p->setFormat(a.text("Format"));
    p->setDbFilter(a.comparison("dbFilter"));
    if (const std::optional<int> format = a.enumeration("DateFormat"))
        p->setDateFormat(TdbDateTimePicker::TDTDateFormat(*format));
    p->setDbTable(a.text("dbTable"));
    p->setDbField(a.text("dbField"));
    p->setDbCalendarControl(a.text("dbCalendarControl"));
    p->setChecked(a.boolean("Checked"));
    return p;
}

QWidget *buildMonthCalendar(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *m = create<TdbMonthCalendar>(c);
    setGeometry(m, a);
    m->setDbFilter(a.comparison("dbFilter"));
    m->setDbTable(a.text("dbTable"));
    m->setDbField(a.text("dbField"));
    return m;
}

QWidget *buildComboBox(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *b = create<TdbComboBox>(c);
    setGeometry(b, a);
    b->setDbTable(a.text("dbTable"));
    b->setDbField(a.text("dbField"));
    b->setDbDefaultID(a.integer("dbDefaultID"));
    b->setDropDownCount(a.integer("DropDownCount"));
    b->setDbSort(a.boolean("dbSort"));
    return b;
}

QWidget *buildGrid(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *g = create<TdbStringGridEx>(c);
    setGeometry(g, a);
    g->setDefaultRowHeight(a.integer("DefaultRowHeight"));
    if (const std::optional<int> style = a.enumeration("DrawingStyle"))
        g->setDrawingStyle(TdbStringGridEx::TGridDrawingStyle(*style));
    g->setDbGeneralTable(a.text("dbGeneralTable"));
    g->setDbListFields(a.text("dbListFields"));
    g->setDbListFieldsNames(a.text("dbListFieldsNames"));
    g->setDbAutoExecute(a.boolean("dbAutoExecute"));
    g->setDbSortField(a.text("dbSortField"));
    g->setDbSortAsc(a.boolean("dbSortAsc"));
    g->setDbSQLConnection(sharedResources().connection);
    // The view's viewport is laid out only when shown; the client width is the frame's inside.
    const int clientWidth = g->width() - 2 * g->frameWidth();
    if (g->colCount() > 0)
        g->setDefaultColWidth(clientWidth / g->colCount() - 1);
    return g;
}

QWidget *buildLabel(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    // A label starts from the application font, not its parent's.
    auto *l = create<QLabel>(c, nullptr);
    QFont font = QApplication::font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    l->setFont(font);
    l->setParent(c.parent);
    l->setText(a.text("Caption"));
    l->move(a.integer("Left"), a.integer("Top"));
    l->resize(l->width(), a.integer("Height"));
    return l; // sized to its caption after the font step
}

QWidget *buildPanel(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *p = create<TdbPanel>(c);
    setGeometry(p, a);
    p->setColor(*a.colour("Color"));
    return p;
}

QWidget *buildGroupBox(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *g = create<QGroupBox>(c);
    g->setTitle(a.text("Caption"));
    setGeometry(g, a);
    return g;
}

QWidget *buildPageControl(const BuildContext &c)
{
    auto *p = create<QTabWidget>(c);
    setGeometry(p, c.attributes);
    return p;
}

QWidget *buildTabSheet(const BuildContext &c)
{
    auto *pages = qobject_cast<QTabWidget *>(c.parent);
    if (!pages)
        return nullptr;
    const AttributeReader &a = c.attributes;
    auto *sheet = create<TTabSheet>(c, nullptr);
    pages->addTab(sheet, a.text("Caption"));
    sheet->setTag(a.integer("PageIndex"));
    orderPages(pages);
    return sheet;
}

template <class T> void setPictureOptions(T *image, const AttributeReader &a)
{
    image->setProportional(a.boolean("Proportional"));
    image->setStretch(a.boolean("Stretch"));
    image->setTransparent(a.boolean("Transparent"));
}

QWidget *buildImage(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *i = create<TdbImage>(c);
    i->setDbFileName(a.text("dbFileName"));
    setPictureOptions(i, a);
    setGeometry(i, a);
    return i;
}

QWidget *buildImageDataBase(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    auto *i = create<TdbImageDataBase>(c);
    i->setDbTable(a.text("dbTable"));
    i->setDbField(a.text("dbField"));
    setPictureOptions(i, a);
    setGeometry(i, a);
    return i;
}

QWidget *buildFileToDatabase(const BuildContext &c)
{
    const AttributeReader &a = c.attributes;
    // The control takes its two buttons, their pictures and hints from the shared edit images.
    auto *f = create<TdbFileToDatabase>(c);
    f->move(a.integer("Left"), a.integer("Top"));
    f->resize(a.integer("Width"), f->height());
    f->clear();
    f->setDbTable(a.text("dbTable"));
    f->setDbField(a.text("dbField"));
    setBaseColour(f, a);
    return f;
}

// One row per control element: its builder and the attributes it reads.
std::vector<ElementAttributes> controlElements()
{
    using namespace define;
    constexpr qint32 windowBackground = qint32(0xFF000005);
    constexpr qint32 buttonFace = qint32(0xFF00000F);

    // The groups of common attributes, combined per element below.
    const Definitions name = {text("Name")};
    const Definitions position = {integer("Left", 0), integer("Top", 0)};
    const Definitions width = {integer("Width", 0)};
    const Definitions height = {integer("Height", 0)};
    const Definitions geometry = position + width + height;
    const Definitions caption = {text("Caption")};
    const Definitions font = {text("FontName"),
                              integer("FontSize", 8),
                              colour("FontColor", 0),
                              {"FontStyle", Rule::FontStyle, 0}};
    const Definitions keyboard = {boolean("TabStop"), integer("TabOrder", 999)};
    const Definitions windowColour = {colour("Color", windowBackground)};
    const Definitions binding = {text("dbTable"), text("dbField")};
    const Definitions pictureOptions = {boolean("Proportional"), boolean("Stretch"), boolean("Transparent")};

    return {
        {"TdbButton", buildButton, true,
         name + geometry + caption + font + keyboard
             + Definitions{text("dbIconName"),
                           enumeration<TdbButton::TActionDbType>("dbActionType"),
                           text("dbGeneralTable"),
                           text("dbListControls"),
                           text("dbListFields"),
                           text("dbListFieldsNames"),
                           text("dbResultControl"),
                           text("dbFormName"),
                           {"dbSQL", Rule::Statement, 0},
                           text("dbSortField"),
                           boolean("dbSortAsc"),
                           boolean("dbConfirmDelete"),
                           text("dbReportFile")}},
        {"TdbEdit", buildEdit, true,
         name + geometry + windowColour + font + keyboard
             + Definitions{text("dbDefaultValue"), {"dbFilter", Rule::BracketComparison, 0}} + binding},
        {"TdbEditCount", buildEditCount, true,
         name + geometry + windowColour + font + keyboard
             + Definitions{boolean("ReadOnly"), text("dbTable"), integer("dbBeginValue", 1)}},
        {"TdbMemo", buildMemo, true,
         name + geometry + windowColour + font + keyboard + Definitions{text("dbDefaultValue")} + binding},
        {"TdbCheckBox", buildCheckBox, true,
         name + geometry + caption + font + keyboard + binding
             + Definitions{boolean("AllowGrayed"), enumeration<TdbCheckBox::TCheckBoxState>("dbDefaultState")}},
        {"TdbDateTimePicker", buildDateTimePicker, true,
         name + geometry + font + keyboard
             + Definitions{enumeration<TdbDateTimePicker::TDateTimeKind>("Kind"),
                           text("Format"),
                           {"dbFilter", Rule::BracketComparison, 0},
                           enumeration<TdbDateTimePicker::TDTDateFormat>("DateFormat")}
             + binding + Definitions{text("dbCalendarControl"), boolean("Checked")}},
        {"TdbMonthCalendar", buildMonthCalendar, true,
         name + geometry + keyboard + Definitions{{"dbFilter", Rule::Comparison, 0}} + binding},
        {"TdbComboBox", buildComboBox, true,
         name + geometry + font + keyboard + binding
             + Definitions{integer("dbDefaultID", 0), integer("DropDownCount", 8), boolean("dbSort")}},
        {"TdbStringGrid", buildGrid, true,
         name + geometry + font + keyboard
             + Definitions{integer("DefaultRowHeight", 18),
                           enumeration<TdbStringGridEx::TGridDrawingStyle>("DrawingStyle"), text("dbGeneralTable"),
                           text("dbListFields"), text("dbListFieldsNames"), boolean("dbAutoExecute"),
                           text("dbSortField"), boolean("dbSortAsc")}},
        {"TdbLabel", buildLabel, false, name + position + height + caption + font},
        {"TdbPanel", buildPanel, true, name + geometry + Definitions{colour("Color", buttonFace)} + keyboard},
        {"TdbGroupBox", buildGroupBox, true, name + geometry + caption + font + keyboard},
        {"TdbPageControl", buildPageControl, true, name + geometry + font + keyboard},
        {"TdbTabSheet", buildTabSheet, true, name + caption + Definitions{{"PageIndex", Rule::NonNegative, 0}}},
        {"TdbImage", buildImage, false, name + geometry + Definitions{text("dbFileName")} + pictureOptions},
        {"TdbImageDataBase", buildImageDataBase, false, name + geometry + binding + pictureOptions},
        {"TdbFileToDatabase", buildFileToDatabase, true,
         name + position + width + windowColour + font + keyboard + binding},
    };
}

} // namespace

const ElementAttributes *controlAttributes(const QString &element)
{
    static const std::vector<ElementAttributes> table = controlElements();
    for (const ElementAttributes &entry : table)
        if (element == QLatin1StringView(entry.element))
            return &entry;
    return nullptr;
}

} // namespace tarvo

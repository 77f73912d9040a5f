#include "forms/formloader.h"

#include "controls/dbdatetimepicker.h"
#include "controls/dbmonthcalendar.h"
#include "controls/form.h"
#include "controls/tform.h"
#include "forms/attributetable.h"
#include "forms/controlbuilders.h"
#include "forms/formkeys.h"
#include "forms/formsxml.h"
#include "forms/keyboardorder.h"
#include "forms/names.h"
#include "forms/widgetstyle.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <algorithm>

namespace tarvo {

namespace {

FormBase *asForm(QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    return dynamic_cast<FormBase *>(static_cast<QWidget *>(object));
}

void setClientSize(QWidget *form, const AttributeReader &a)
{
    const QSize size(a.integer("Width"), a.integer("Height"));
    if (auto *main = qobject_cast<QMainWindow *>(form)) {
        // A main window whose client area has a fixed size follows that area.
        if (QWidget *client = main->centralWidget(); client && client->minimumSize() == client->maximumSize()) {
            client->setFixedSize(size);
            return;
        }
        const QWidget *menu = main->menuWidget();
        main->resize(size + QSize(0, menu ? menu->sizeHint().height() : 0));
    } else {
        form->setFixedSize(size);
    }
}

void setFormColour(QWidget *form, const AttributeReader &a)
{
    if (const std::optional<QColor> colour = a.colour("Color"))
        setSurfaceColour(clientArea(form), *colour);
}

// Every attribute of the font is set, so the control no longer follows its parent's font.
void applyFont(QWidget *w, const AttributeReader &a)
{
    QFont font = w->font();
    const QString family = a.text("FontName");
    if (!family.isEmpty())
        font.setFamily(family);
    const int size = a.integer("FontSize");
    if (size > 0)
        font.setPointSize(size);
    applyFontStyle(font, a.fontStyle("FontStyle"));
    font.setResolveMask(QFont::AllPropertiesResolved);
    setNewControlFont(w, font);

    setPaletteColour(w, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, *a.colour("FontColor"));
}

QWidget *windowedChildNamed(const QWidget *container, QStringView name)
{
    if (name.isEmpty())
        return nullptr;
    for (QWidget *child : tabSequence(container))
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

struct TabOrderEntry {
    QWidget *control;
    int number;
};

// Positions are applied in the order of their numbers; equal numbers keep creation order.
void applyTabOrderList(QList<TabOrderEntry> entries, QWidget *container)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TabOrderEntry &a, const TabOrderEntry &b) { return a.number < b.number; });
    QList<TabPosition> positions;
    positions.reserve(entries.size());
    for (const TabOrderEntry &e : entries)
        positions.append({e.control, qint16(e.number)});
    setTabPositions(container, positions);
}

// The steps that follow every built control: font, keyboard, visibility.
void finishControl(QWidget *control, const ElementAttributes &kind, const AttributeReader &a, QWidget *container,
                   QList<TabOrderEntry> &tabOrderList)
{
    if (kind.find("FontName"))
        applyFont(control, a);
    if (auto *label = qobject_cast<QLabel *>(control))
        label->adjustSize();
    if (kind.windowed)
        appendToTabSequence(container, control);
    if (kind.find("TabStop")) {
        setTabStop(control, a.boolean("TabStop"));
        // The position goes to the control named after the first comma of "TabOrder,Name": an
        // unnamed control, or a TabOrder text holding a comma itself, names none and keeps its place.
        const QString tabOrder = a.raw("TabOrder");
        if (!control->objectName().isEmpty() && !tabOrder.contains(u','))
            tabOrderList.append({control, readInteger(tabOrder, 999)});
    }
    // Pages are shown by their page control; everything else shows with its parent, which may
    // already be on screen while the main window loads.
    if (control->parentWidget() == container)
        control->show();
}

void loadControls(QWidget *parent, const XmlNode &element, const FormHooks &hooks)
{
    FormBase *owner = formOf(parent);
    if (!owner)
        return;
    QWidget *container = asForm(parent) ? clientArea(parent) : parent;
    const bool onMainWindow = qobject_cast<QMainWindow *>(owner->widget()) != nullptr;
    QList<TabOrderEntry> tabOrderList;

    for (const XmlNode &node : element.children) {
        const ElementAttributes *kind = controlAttributes(node.name);
        QWidget *built = nullptr;
        if (kind) {
            const AttributeReader attributes(node, *kind);
            built = kind->build({container, *owner, onMainWindow, attributes, hooks});
            if (built)
                finishControl(built, *kind, attributes, container, tabOrderList);
        }
        // A windowed control takes its own children; other elements may name a windowed
        // sibling to fill. An empty name never matches, so unnamed containers stay apart.
        QWidget *inner = built && kind->windowed
                             ? built
                             : windowedChildNamed(container, node.attribute(QLatin1StringView("Name")));
        if (inner)
            loadControls(inner, node, hooks);
    }
    applyTabOrderList(tabOrderList, container);
}

// A time picker takes its day from the calendar it names: picking a day gives the picker a
// value, and the calendar shows a day only while the picker has one, so that what the calendar
// shows is what a save stores.
void linkDateControls(const FormBase &form)
{
    for (TdbDateTimePicker *picker : form.componentsOf<TdbDateTimePicker>()) {
        auto *calendar = qobject_cast<TdbMonthCalendar *>(form.findComponent(picker->dbCalendarControl()));
        if (!calendar || picker->kind() != TdbDateTimePicker::dtkTime)
            continue;
        calendar->setShowsDate(picker->checked());
        QObject::connect(calendar, &TdbMonthCalendar::dayPicked, picker, [picker] { picker->setChecked(true); });
        QObject::connect(picker->checkBox(), &QCheckBox::toggled, calendar, &TdbMonthCalendar::setShowsDate);
    }
}

void loadMainWindow(FormBase &main, const XmlNode &node, const FormHooks &hooks)
{
    QWidget *window = main.widget();
    FormKeys::of(main);
    LoadFormControls(window, node, hooks);
    linkDateControls(main);
    const AttributeReader a(node, formAttributes());
    setClientSize(window, a);
    window->setWindowTitle(a.text("Caption"));
    checkFormName(node.name, window);
    window->setObjectName(node.name);
    setFormColour(window, a);
}

void loadFurtherForm(const XmlNode &node, const FormHooks &hooks)
{
    const QString &name = node.name;
    checkFormName(name, nullptr);
    // No parent: the form lives until the program ends; a parentless dialog is centred on the
    // screen when shown.
    auto *form = new TForm;
    form->setObjectName(name);
    if (hooks.onAllFormShow) {
        const auto onShow = hooks.onAllFormShow;
        form->setShowHandler([onShow](TForm *shown) { onShow(shown); });
    }
    const AttributeReader a(node, formAttributes());
    setClientSize(form, a);
    setFormColour(form, a);
    form->setWindowTitle(a.text("Caption"));
    FormKeys::of(*form);
    LoadFormControls(form, node, hooks);
    linkDateControls(*form);
}

} // namespace

QWidget *clientArea(QWidget *form)
{
    auto *main = qobject_cast<QMainWindow *>(form);
    if (!main)
        return form;
    if (!main->centralWidget()) {
        main->setCentralWidget(new QWidget(main));
        main->centralWidget()->show(); // the layout would show it only on the next event loop pass
    }
    return main->centralWidget();
}

void LoadFormControls(QWidget *parent, const XmlNode &element, const FormHooks &hooks)
{
    // The Qt focus chain follows the form's order even when a naming error ends building.
    QWidget *form = asForm(parent) ? clientArea(parent) : nullptr;
    try {
        loadControls(parent, element, hooks);
    } catch (...) {
        if (form)
            applyKeyboardOrder(form);
        throw;
    }
    if (form)
        applyKeyboardOrder(form);
}

void LoadForms(FormBase &mainWindow, const QString &path, const FormHooks &hooks)
{
    const XmlNode document = readFormsDocument(path);
    for (size_t i = 0; i < document.children.size(); ++i) {
        if (i == 0)
            loadMainWindow(mainWindow, document.children[i], hooks);
        else
            loadFurtherForm(document.children[i], hooks);
    }
}

void OnAllFormShow(QObject *sender)
{
    FormBase *form = asForm(sender);
    if (!form)
        return;
    QWidget *window = form->widget();
    for (QWidget *control : fullKeyboardOrder(clientArea(window))) {
        QWidget *target = focusTarget(control);
        // A control that cannot take the focus (hidden, disabled, a plain container) passes
        // it on to the next one.
        if (target->focusPolicy() != Qt::NoFocus && target->isEnabled() && target->isVisibleTo(window)) {
            target->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

} // namespace tarvo

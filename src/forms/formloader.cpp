#include "forms/formloader.h"

#include "controls/form.h"
#include "controls/tform.h"
#include "forms/attributetable.h"
#include "forms/controlbuilders.h"
#include "forms/formsxml.h"
#include "forms/keyboardorder.h"
#include "forms/names.h"

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
    const std::optional<QColor> colour = a.colour("Color");
    if (!colour)
        return;
    QPalette palette = form->palette();
    palette.setColor(QPalette::Window, *colour);
    form->setPalette(palette);
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
    w->setFont(font);

    const QColor colour = *a.colour("FontColor");
    QPalette palette = w->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, colour);
    w->setPalette(palette);
}

QWidget *windowedChildNamed(const QWidget *container, const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    for (QWidget *child : tabSequence(container))
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

// Entries are the raw TabOrder text, a comma and the control's name; the number is read from
// the text before the first comma and the name is the rest.
int entryNumber(const QString &entry)
{
    return readInteger(entry.section(u',', 0, 0), 999);
}

void applyTabOrderList(QStringList entries, QWidget *container, const FormBase &owner)
{
    std::stable_sort(entries.begin(), entries.end(), [](const QString &a, const QString &b) {
        return entryNumber(a) < entryNumber(b);
    });
    for (const QString &entry : entries) {
        const QString name = entry.section(u',', 1);
        if (auto *control = qobject_cast<QWidget *>(owner.findComponent(name)))
            setTabPosition(container, control, qint16(entryNumber(entry)));
    }
}

// The steps that follow every built control: font, keyboard, visibility.
void finishControl(QWidget *control, const ElementSpec &spec, const AttributeReader &a,
                   QWidget *container, QStringList &tabOrderList)
{
    if (spec.find("FontName"))
        applyFont(control, a);
    if (auto *label = qobject_cast<QLabel *>(control))
        label->adjustSize();
    if (spec.windowed)
        appendToTabSequence(container, control);
    if (spec.find("TabStop")) {
        setTabStop(control, a.boolean("TabStop"));
        tabOrderList.append(a.raw("TabOrder") + u',' + control->objectName());
    }
    // Pages are shown by their page control; everything else shows with its parent, which may
    // already be on screen while the main window loads.
    if (control->parentWidget() == container)
        control->show();
}

void loadControls(QWidget *parent, const QDomNode &element, const FormHooks &hooks)
{
    FormBase *owner = formOf(parent);
    if (!owner)
        return;
    QWidget *container = asForm(parent) ? clientArea(parent) : parent;
    const bool onMainWindow = qobject_cast<QMainWindow *>(owner->widget()) != nullptr;
    QStringList tabOrderList;

    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement e = node.toElement();
        const ElementSpec *spec = controlSpec(node.nodeName());
        QWidget *built = nullptr;
        if (spec) {
            const AttributeReader attributes(e, *spec);
            built = builderFor(node.nodeName())({container, *owner, onMainWindow, attributes, hooks});
            if (built)
                finishControl(built, *spec, attributes, container, tabOrderList);
        }
        // A windowed control takes its own children; other elements may name a windowed
        // sibling to fill. An empty name never matches, so unnamed containers stay apart.
        QWidget *inner = built && spec->windowed ? built : windowedChildNamed(container, e.attribute("Name"));
        if (inner)
            loadControls(inner, node, hooks);
    }
    applyTabOrderList(tabOrderList, container, *owner);
}

void loadMainWindow(FormBase &main, const QDomNode &node, const FormHooks &hooks)
{
    QWidget *window = main.widget();
    LoadFormControls(window, node, hooks);
    const AttributeReader a(node.toElement(), formSpec());
    setClientSize(window, a);
    window->setWindowTitle(a.text("Caption"));
    const QString name = node.nodeName();
    checkFormName(name, window);
    window->setObjectName(name);
    setFormColour(window, a);
}

void loadFurtherForm(const QDomNode &node, const FormHooks &hooks)
{
    const QString name = node.nodeName();
    checkFormName(name, nullptr);
    // No parent: the form lives until the program ends; a parentless dialog is centred on the
    // screen when shown.
    auto *form = new TForm;
    form->setObjectName(name);
    if (hooks.onAllFormShow) {
        const auto onShow = hooks.onAllFormShow;
        form->setShowHandler([onShow](TForm *shown) { onShow(shown); });
    }
    form->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                         | Qt::WindowCloseButtonHint);
    const AttributeReader a(node.toElement(), formSpec());
    setClientSize(form, a);
    setFormColour(form, a);
    form->setWindowTitle(a.text("Caption"));
    LoadFormControls(form, node, hooks);
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

void LoadFormControls(QWidget *parent, const QDomNode &element, const FormHooks &hooks)
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
    const QDomDocument document = readFormsDocument(path);
    const QList<QDomNode> forms = formNodes(document);
    for (qsizetype i = 0; i < forms.size(); ++i) {
        if (i == 0)
            loadMainWindow(mainWindow, forms.at(i), hooks);
        else
            loadFurtherForm(forms.at(i), hooks);
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

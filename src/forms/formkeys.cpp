#include "forms/formkeys.h"

#include "controls/dbbutton.h"
#include "controls/form.h"

#include <QApplication>
#include <QKeyEvent>

namespace tarvo {

namespace {

// A button that the user could press with the mouse right now.
bool pressable(const QAbstractButton *button)
{
    return button && button->isVisible() && button->isEnabled();
}

} // namespace

FormKeys::FormKeys(FormBase &form) : QObject(form.widget()), m_form(form)
{
    setObjectName(QStringLiteral("tarvoFormKeys"));
    form.widget()->installEventFilter(this);
}

FormKeys &FormKeys::of(FormBase &form)
{
    if (auto *keys = form.widget()->findChild<FormKeys *>(QStringLiteral("tarvoFormKeys"), Qt::FindDirectChildrenOnly))
        return *keys;
    return *new FormKeys(form);
}

void FormKeys::setDefaultButton(TdbButton *button)
{
    if (m_default)
        return;
    m_default = button;
    button->setDefault(true); // drawn as the button that Enter presses
}

void FormKeys::setCancelButton(TdbButton *button)
{
    if (!m_cancel)
        m_cancel = button;
}

bool FormKeys::eventFilter(QObject *watched, QEvent *event)
{
    // The type first and the parent, not the form: events still arrive while the form is being
    // destroyed, when its FormBase part is already gone.
    if (event->type() != QEvent::KeyPress || watched != parent())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return enter();
    case Qt::Key_Escape:
        // A further form without a cancel button must not close and drop what was typed.
        if (pressable(m_cancel))
            m_cancel->click();
        return true;
    default:
        return false;
    }
}

bool FormKeys::enter()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *button = qobject_cast<QPushButton *>(focus); button && m_form.widget()->isAncestorOf(button)) {
        button->click();
        return true;
    }
    if (pressable(m_default)) {
        m_default->click();
        return true;
    }
    if (TdbButton *search = searchFilteredBy(focus); pressable(search)) {
        search->click();
        return true;
    }
    return false;
}

// The first search button of the form whose filter controls include the focused control.
TdbButton *FormKeys::searchFilteredBy(const QWidget *focus) const
{
    const QObject *control = nullptr;
    for (const QWidget *w = focus; w && !control; w = w->parentWidget())
        if (m_form.findComponent(w->objectName()) == w)
            control = w;
    if (!control)
        return nullptr;
    for (TdbButton *button : m_form.componentsOf<TdbButton>()) {
        if (button->dbActionType() != TdbButton::adbSearch)
            continue;
        for (const QString &name : button->dbListControls().split(QLatin1Char(',')))
            if (m_form.findComponent(name) == control)
                return button;
    }
    return nullptr;
}

} // namespace tarvo

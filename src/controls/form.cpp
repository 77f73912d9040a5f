#include "controls/form.h"

#include <QTabWidget>
#include <QWidget>

namespace tarvo {

namespace {
QList<FormBase *> &registry()
{
    static QList<FormBase *> forms;
    return forms;
}
} // namespace

FormBase::FormBase(QWidget *self) : m_self(self)
{
    registry().append(this);
}

FormBase::~FormBase()
{
    registry().removeOne(this);
}

QString FormBase::name() const
{
    return m_self->objectName();
}

void FormBase::addComponent(QObject *component)
{
    m_components.append(component);
}

QList<QObject *> FormBase::components() const
{
    QList<QObject *> alive;
    alive.reserve(m_components.size());
    for (const QPointer<QObject> &c : m_components)
        if (c)
            alive.append(c.data());
    return alive;
}

QObject *FormBase::findComponent(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    // Every new control is checked against all others; case-insensitive equality keeps the
    // length, so most names are passed over without comparing their letters.
    for (const QPointer<QObject> &c : m_components) {
        if (!c)
            continue;
        const QString own = c->objectName();
        if (own.size() == name.size() && own.compare(name, Qt::CaseInsensitive) == 0)
            return c.data();
    }
    return nullptr;
}

void showFirstPages(const FormBase &form)
{
    for (QTabWidget *pages : form.componentsOf<QTabWidget>())
        pages->setCurrentIndex(0);
}

FormBase *formOf(const QObject *component)
{
    for (const QObject *o = component; o; o = o->parent())
        if (o->isWidgetType())
            if (auto *form = dynamic_cast<FormBase *>(const_cast<QWidget *>(static_cast<const QWidget *>(o))))
                return form;
    return nullptr;
}

QList<FormBase *> openForms()
{
    return registry();
}

FormBase *findForm(const QString &name)
{
    for (FormBase *form : registry())
        if (form->name() == name)
            return form;
    return nullptr;
}

} // namespace tarvo

#pragma once
// What every Tarvo window keeps: its components in creation order (found by name ignoring
// case, whatever container they are drawn in) and the saved-table marker. The application keeps
// its open forms in creation order.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace tarvo {

class FormBase {
public:
    explicit FormBase(QWidget *self);
    virtual ~FormBase();
    FormBase(const FormBase &) = delete;
    FormBase &operator=(const FormBase &) = delete;

    QWidget *widget() const { return m_self; }
    QString name() const;

    // Components are added by whoever creates them (the form loader, a control's own helpers).
    void addComponent(QObject *component);
    QList<QObject *> components() const;               // creation order; destroyed ones are skipped
    QObject *findComponent(const QString &name) const; // ignoring case; null when absent
    template <class T> QList<T *> componentsOf() const
    {
        QList<T *> found;
        for (QObject *c : components())
            if (auto *t = qobject_cast<T *>(c))
                found << t;
        return found;
    }

    // The saved-table marker ("Hint"): written by a save, read by the action that opened the form.
    const QString &hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }

private:
    QWidget *m_self;
    QList<QPointer<QObject>> m_components;
    QString m_hint;
};

// Makes the first page of every page control of the form the shown one (a new record starts
// there, not on the page the last record was left at).
void showFirstPages(const FormBase &form);

// The form that owns a component: the nearest enclosing window that is a FormBase.
FormBase *formOf(const QObject *component);

// The application's open forms in creation order (registered by FormBase itself).
QList<FormBase *> openForms();
// The first open form whose name equals `name` exactly (case-sensitive).
FormBase *findForm(const QString &name);

} // namespace tarvo

#pragma once
// Enter and Escape on a built form (the main window included): Enter presses the focused push
// button, otherwise the form's default (save) button, otherwise the search whose filter control
// has the focus; Escape presses the form's cancel (close) button and does nothing on a form
// without one. Only keys that the focused control leaves unused reach the form, so a memo keeps
// its line breaks, a grid its Enter, and an open drop-down list or calendar its Escape.
#include "controls/dbbutton.h"

#include <QObject>
#include <QPointer>

namespace tarvo {

class FormBase;

class FormKeys : public QObject {
    Q_OBJECT
public:
    // The keys of `form`, created and installed on first use.
    static FormKeys &of(FormBase &form);

    // The first button given wins, as the first default or cancel button of a form does.
    void setDefaultButton(TdbButton *button);
    void setCancelButton(TdbButton *button);
    TdbButton *defaultButton() const { return m_default; }
    TdbButton *cancelButton() const { return m_cancel; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FormKeys(FormBase &form);
    bool enter();
    TdbButton *searchFilteredBy(const QWidget *focus) const;

    FormBase &m_form;
    QPointer<TdbButton> m_default;
    QPointer<TdbButton> m_cancel;
};

} // namespace tarvo

#pragma once
// Naming rules of forms.xml: names are identifiers, unique ignoring case among the
// application's forms and within one form. Each check raises Error naming the offending name.
#include <QString>

class QWidget;

namespace tarvo {

class FormBase;

// Names taken before forms.xml is read (ignoring case): the fixed forms, and the main window's
// own components.
bool isFixedFormName(const QString &name);
bool isMainWindowComponentName(const QString &name);

// `self` is the form being named (excluded from the comparison); may be null for a new form.
void checkFormName(const QString &name, const QWidget *self);
// An empty control name is allowed and never clashes. On the main window the names of its own
// fixed components are taken as well.
void checkComponentName(const FormBase &form, const QString &name, bool mainWindow);

} // namespace tarvo

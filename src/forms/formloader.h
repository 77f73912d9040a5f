#pragma once
// Builds the application's forms and controls from forms.xml. The first form element configures
// the main window; every further one becomes a hidden TForm with no parent that lives until the
// program ends (it is listed in openForms()). Controls are owned by their form, in creation
// order. Errors are not caught: file and parse errors end before any form is touched; a naming
// error ends building at the offending element and what was built before it remains.
#include "forms/formhooks.h"
#include "forms/formsxml.h"

#include <QString>

class QObject;
class QWidget;

namespace tarvo {

class FormBase;

void LoadForms(FormBase &mainWindow, const QString &path, const FormHooks &hooks);

// Builds the child elements of `element` as controls inside `parent` (a form or a windowed
// control built by the loader), recursively.
void LoadFormControls(QWidget *parent, const XmlNode &element, const FormHooks &hooks);

// The show handler of further forms: focuses the first control of the form's full keyboard
// order that can take the focus. Does nothing for anything but a form.
void OnAllFormShow(QObject *sender);

// Where a form's controls are drawn: the central widget of a main window, else the form itself.
QWidget *clientArea(QWidget *form);

} // namespace tarvo

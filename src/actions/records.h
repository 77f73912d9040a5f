#pragma once
// The record helpers of the main window: FillForm loads one row into a form, binds the form's
// buttons to it and shows the form modally; FillForm2 binds a form's buttons to a row.
#include <QString>

namespace tarvo {

class FormBase;
class TdbButton;
struct ActionContext;

// Returns the form's saved-table marker after it closed (empty when nothing was saved or no
// form has the button's dbFormName).
QString FillForm(int id, TdbButton &button, ActionContext &context);
void FillForm2(int id, FormBase &form, const QString &table);

} // namespace tarvo

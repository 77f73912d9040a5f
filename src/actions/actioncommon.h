#pragma once
// Small rules shared by the actions: messages owned by the main window, name lists, finding the
// result grid of a button, and re-running a grid.
#include <QString>
#include <QStringList>

class QWidget;

namespace tarvo {

class FormBase;
class TdbButton;
class TdbStringGridEx;
struct ActionContext;

// The window that owns the actions' messages and dialogs: the main window, or none in tests
// that run an action without one.
QWidget *messageOwner(const ActionContext &context);
// A message box owned by the main window with an OK button and an information icon.
void showActionMessage(const ActionContext &context, const QString &text, const QString &caption);
// Yes/No with a question icon; true for Yes.
bool askActionQuestion(const ActionContext &context, const QString &text, const QString &caption);

// The form that owns the button (never null for a button built from forms.xml).
FormBase &buttonForm(const TdbButton &button);
// The result grid named by the button's dbResultControl on its form, or null.
TdbStringGridEx *resultGrid(const TdbButton &button);
// A comma-separated list of component names, split at every comma without trimming.
QStringList splitNames(const QString &list);

// dbExecute when the grid has no SQL of its own, otherwise dbSQLExecute.
void rerunGrid(TdbStringGridEx &grid);

} // namespace tarvo

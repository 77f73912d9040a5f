#pragma once
// The actions a TdbButton performs, one per TActionDbType, and the dispatcher that picks one.
// Every action reads the clicked button and the controls of its form; errors propagate to the
// caller's guard (the general error handler).
namespace tarvo {

class TdbButton;
struct ActionContext;

// The click handler of every action button.
void OnButtonClick(TdbButton &button, ActionContext &context);

void actionSearch(TdbButton &button, ActionContext &context);
void actionNewRecord(TdbButton &button, ActionContext &context);
void actionSaveRecord(TdbButton &button, ActionContext &context);
void actionShowRecord(TdbButton &button, ActionContext &context);
void actionDelete(TdbButton &button, ActionContext &context);
void actionSQL(TdbButton &button, ActionContext &context);
void actionReport(TdbButton &button, ActionContext &context);
void actionShowForm(TdbButton &button, ActionContext &context);
void actionCloseForm(TdbButton &button, ActionContext &context);
void actionGridToExcel(TdbButton &button, ActionContext &context);

} // namespace tarvo

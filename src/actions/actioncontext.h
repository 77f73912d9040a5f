#pragma once
// What the actions work with beyond the clicked button: the main window, the one connection and
// the report component, plus the outcome of the latest save, which the new-record action reads
// after clicking a save button.
#include <QtGlobal>
#include <optional>

namespace tarvo {

class FormBase;
class SqlConnection;
class ReportEngine;

struct ActionContext {
    FormBase *mainWindow = nullptr;
    SqlConnection *connection = nullptr;
    ReportEngine *report = nullptr;
    // The row the latest save wrote (the inserted row, or the row it updated); reset before a
    // programmatic save so that a save that wrote nothing is seen as such.
    std::optional<qint64> lastSavedRowId;
};

} // namespace tarvo

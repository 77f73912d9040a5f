#pragma once
// What the actions work with beyond the clicked button: the main window, the one connection and
// the report component, plus the outcome of the latest save, which the new-record action reads
// after clicking a save button, the rows that edit forms were filled from, and what is known of
// other users' changes.
#include "actions/storedrow.h"

#include <QHash>
#include <QPair>
#include <QString>
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
    // The row each edit form shows, as it was read; a form prepared for a new row has none.
    QHash<const FormBase *, StoredRow> filledRows;
    // The row a new-record form wrote early (to add children to it), until the form saves or closes.
    QHash<const FormBase *, QPair<QString, qint64>> savedEarly;
};

} // namespace tarvo

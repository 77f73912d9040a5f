#pragma once
// The statement a save button would run, built from its listed controls (exposed for tests and
// for the save action itself). Pictures and files travel as BLOB values.
#include "schema/sqlconnection.h"

#include <QList>

namespace tarvo {

class TdbButton;
class SqlConnection;
struct StoredRow;

struct SaveStatement {
    SqlStatement statement;
    bool isInsert = false;
    bool isEmptyInsert = false; // no listed control contributed: nothing may be written
};

// Applies the date-time adjustment to the listed pickers and the counter's new number on an
// INSERT, as the save does before writing. Raises FileError for a file that cannot be read and
// ConversionError for a number field holding no number. With `restoring` (a row another user
// deleted) it builds an INSERT that also writes the columns of that row no listed control writes.
SaveStatement buildSaveStatement(TdbButton &button, SqlConnection &connection, const StoredRow *restoring = nullptr);

} // namespace tarvo

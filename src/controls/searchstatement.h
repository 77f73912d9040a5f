#pragma once
// The search statement of a result grid: its columns and main table, the joins found through the
// field catalogue, one condition per filter control that holds a value, the parent limit and the
// sort. Users' texts (edits, memos, counters) are bound values; everything else is SQL text.
#include "schema/sqlconnection.h"

#include <QString>

class QWidget;

namespace tarvo {

class FormBase;

struct SearchParameters {
    QString generalTable;
    QString listFields;
    QString listControls;
    QString parentTable;
    int parentTableId = -1;
    QString sortField;
    bool sortAsc = true;
};

// Filter controls are looked up by name on `form` (may be null: no filters). A numeric filter
// edit whose text is no whole number shows "Not a number." (owned by `messageOwner`), is
// emptied and adds no condition. Date conditions cut the date control's value to the day.
SqlStatement buildSearchStatement(const SearchParameters &search, const FormBase *form, QWidget *messageOwner);

} // namespace tarvo

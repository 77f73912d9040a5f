#include "actions/actions.h"

#include "actions/followchanges.h"

#include "controls/dbbutton.h"

#include <array>

namespace tarvo {

namespace {

using Action = void (*)(TdbButton &, ActionContext &);

// Indexed by TActionDbType; adbNone does nothing.
constexpr std::array<Action, 11> kActions = {
    nullptr,           actionSearch, actionNewRecord, actionSaveRecord,  actionShowRecord,
    actionDelete,      actionSQL,    actionReport,    actionShowForm,    actionCloseForm,
    actionGridToExcel,
};

} // namespace

void OnButtonClick(TdbButton &button, ActionContext &context)
{
    const auto index = std::size_t(button.dbActionType());
    if (index < kActions.size() && kActions[index])
        kActions[index](button, context);
    followDatabaseChanges(context);
}

} // namespace tarvo

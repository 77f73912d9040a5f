#include "actions/actions.h"

#include "actions/followchanges.h"

#include "controls/dbbutton.h"

#include <array>

namespace tarvo {

namespace {

using Action = void (*)(TdbButton &, ActionContext &);

// Indexed by TActionDbType; adbNone does nothing.
constexpr std::array<Action, 11> kActions = {
    nullptr,   actionSearch, actionNewRecord, actionSaveRecord, actionShowRecord,  actionDelete,
    actionSQL, actionReport, actionShowForm,  actionCloseForm,  actionGridToExcel,
};
// A new action type needs its entry here.
static_assert(kActions.size() == TdbButton::adbGridToExcel + 1, "one entry per TActionDbType");

} // namespace

void OnButtonClick(TdbButton &button, ActionContext &context)
{
    const auto index = std::size_t(button.dbActionType());
    if (index < kActions.size() && kActions[index])
        kActions[index](button, context);
    followDatabaseChanges(context);
}

} // namespace tarvo

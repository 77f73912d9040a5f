// adbDelete: the grid's current row, after an optional confirmation; cascades are the database's.
#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "schema/sqlconnection.h"

namespace tarvo {

void actionDelete(TdbButton &button, ActionContext &context)
{
    TdbStringGridEx *grid = resultGrid(button);
    if (!grid)
        return;
    if (grid->dbListId().isEmpty()) {
        showActionMessage(context, QStringLiteral("Entry to be deleted is not selected."), QStringLiteral("Info"));
        return;
    }
    const int id = grid->dbItemID();
    if (id == -1) {
        showActionMessage(context, QStringLiteral("Unable to determine the record ID"), QStringLiteral("Error"));
        return;
    }
    if (button.dbConfirmDelete()
        && !askActionQuestion(context, QStringLiteral("Are you sure you want to delete the record?"),
                              QStringLiteral("Confirm")))
        return;
    context.connection->execute(QStringLiteral("DELETE FROM ") + grid->dbGeneralTable()
                                + QStringLiteral(" WHERE id=") + QString::number(id));
    // Only the grid whose name matches exactly is re-run.
    for (TdbStringGridEx *g : buttonForm(button).componentsOf<TdbStringGridEx>())
        if (g->objectName() == button.dbResultControl())
            rerunGrid(*g);
}

} // namespace tarvo

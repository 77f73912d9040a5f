// adbSQL: the designer's SQL with the form's values put in, into a grid or run as a statement.
#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/placeholders.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "schema/sqlconnection.h"

namespace tarvo {

void actionSQL(TdbButton &button, ActionContext &context)
{
    const QString sql = expandPlaceholders(buttonForm(button), button.dbSQL());
    TdbStringGridEx *grid = button.dbResultControl().isEmpty() ? nullptr : resultGrid(button);
    if (!grid) {
        context.connection->execute(sql);
        // What the statement changed shows at once in the grids of its form that hold a search.
        for (TdbStringGridEx *shown : buttonForm(button).componentsOf<TdbStringGridEx>())
            if (!shown->dbGeneralTable().isEmpty() || !shown->dbSQL().isEmpty())
                rerunGrid(*shown);
        return;
    }
    grid->setDbListFieldsNames(button.dbListFieldsNames());
    grid->setDbSQL(sql);
    grid->dbSQLExecute();
}

} // namespace tarvo

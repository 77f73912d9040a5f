#include "actions/followchanges.h"

#include "actions/actioncontext.h"
#include "actions/dictionaries.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "schema/sqlconnection.h"

#include <QWidget>

namespace tarvo {

namespace {

void refreshVisibleGrids()
{
    for (FormBase *form : openForms())
        if (form->widget() && form->widget()->isVisible())
            for (TdbStringGridEx *grid : form->componentsOf<TdbStringGridEx>())
                grid->dbRefresh();
}

} // namespace

void followDatabaseChanges(ActionContext &context)
{
    if (!context.connection || !context.connection->isOpen())
        return;
    SqlConnection &connection = *context.connection;
    const QStringList ownChanges = connection.takeChangedTables();
    if (connection.othersChanged()) {
        refreshVisibleGrids();
        RefreshDictionaries(connection, {}, true);
    } else if (!ownChanges.isEmpty()) {
        RefreshDictionaries(connection, ownChanges);
    }
}

} // namespace tarvo

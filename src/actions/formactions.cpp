// The simple actions: a search into a grid, opening a form, closing the button's form.
#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/interaction.h"
#include "schema/sqlconnection.h"

#include <QDialog>
#include <QWidget>

namespace tarvo {

namespace {

const QString kKeepEarlySave = QStringLiteral(
    "This new record was already saved when you added to it.\n\nKeep it? \"No\" deletes it with everything "
    "added to it.");

} // namespace

void actionSearch(TdbButton &button, ActionContext &)
{
    TdbStringGridEx *grid = resultGrid(button);
    if (!grid)
        return;
    // A search is driven by the filter controls, never by the record the grid last showed.
    grid->setDbParentTable(QString());
    grid->setDbParentTableId(-1);
    grid->setDbGeneralTable(button.dbGeneralTable());
    grid->setDbListFields(button.dbListFields());
    grid->setDbListFieldsNames(button.dbListFieldsNames());
    grid->setDbListControls(button.dbListControls());
    grid->setDbSortField(button.dbSortField());
    grid->setDbSortAsc(button.dbSortAsc());
    grid->dbExecute();
}

void actionShowForm(TdbButton &button, ActionContext &)
{
    FormBase *form = findForm(button.dbFormName());
    if (!form)
        return;
    for (QObject *component : form->components()) {
        if (auto *grid = qobject_cast<TdbStringGridEx *>(component); grid && grid->dbAutoExecute())
            grid->dbExecute();
        else if (auto *save = qobject_cast<TdbButton *>(component);
                 save && save->dbActionType() == TdbButton::adbSaveRecord)
            save->setDbGeneralTableId(-1); // a save on a freshly opened form inserts
    }
    if (auto *dialog = qobject_cast<QDialog *>(form->widget()))
        interaction().showModal(dialog);
}

// A new record that was written early, so that children could be added to it, is only kept when
// the user says so: cancelling a new record must not leave it behind.
void actionCloseForm(TdbButton &button, ActionContext &context)
{
    FormBase &form = buttonForm(button);
    if (const auto early = context.savedEarly.find(&form); early != context.savedEarly.end()) {
        const auto [table, id] = *early;
        if (!askActionQuestion(context, kKeepEarlySave, QStringLiteral("Confirm"))) {
            context.connection->execute(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE id=")
                                        + QString::number(id));
            form.setHint(table); // the opener's lists drop it
        }
        context.savedEarly.remove(&form);
    }
    form.widget()->close();
}

} // namespace tarvo

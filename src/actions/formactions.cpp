// The simple actions: a search into a grid, opening a form, closing the button's form.
#include "actions/actioncommon.h"
#include "actions/actions.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/interaction.h"

#include <QDialog>
#include <QWidget>

namespace tarvo {

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

void actionCloseForm(TdbButton &button, ActionContext &)
{
    buttonForm(button).widget()->close();
}

} // namespace tarvo

#include "actions/actioncommon.h"

#include "actions/actioncontext.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/errors.h"
#include "platform/interaction.h"

namespace tarvo {

QWidget *messageOwner(const ActionContext &context)
{
    return context.mainWindow ? context.mainWindow->widget() : nullptr;
}

void showActionMessage(const ActionContext &context, const QString &text, const QString &caption)
{
    interaction().showMessage(messageOwner(context), {text, caption, MessageIcon::Information, MessageButtons::Ok});
}

bool askActionQuestion(const ActionContext &context, const QString &text, const QString &caption)
{
    return interaction().showMessage(messageOwner(context),
                                     {text, caption, MessageIcon::Question, MessageButtons::YesNo})
           == MessageAnswer::Yes;
}

FormBase &buttonForm(const TdbButton &button)
{
    FormBase *form = formOf(&button);
    if (!form)
        throw Error(QStringLiteral("The button %1 belongs to no form").arg(button.objectName()));
    return *form;
}

TdbStringGridEx *resultGrid(const TdbButton &button)
{
    return qobject_cast<TdbStringGridEx *>(buttonForm(button).findComponent(button.dbResultControl()));
}

QStringList splitNames(const QString &list)
{
    return list.isEmpty() ? QStringList() : list.split(QLatin1Char(','));
}

void rerunGrid(TdbStringGridEx &grid)
{
    if (grid.dbSQL().isEmpty())
        grid.dbExecute();
    else
        grid.dbSQLExecute();
}

} // namespace tarvo

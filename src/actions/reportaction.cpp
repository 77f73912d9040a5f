// adbReport: the button's query (with the chosen record's id and the form's values put in) as
// the data set "Report", shown through a template of the Report folder, or the designer.
#include "actions/reportaction.h"

#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/placeholders.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/projectfolder.h"
#include "platform/waitcursor.h"
#include "report/reportengine.h"
#include "schema/sqlconnection.h"

#include <QDir>
#include <QFileInfo>

namespace tarvo {

namespace {

QString reportFolder()
{
    return projectFolder() + QStringLiteral("Report");
}

// Takes the grid's current record; false when the action must stop.
bool takeRecordFromGrid(TdbButton &button, ActionContext &context)
{
    if (button.dbResultControl().isEmpty())
        return true;
    TdbStringGridEx *grid = resultGrid(button);
    if (!grid)
        return true;
    if (grid->dbListId().isEmpty()) {
        showActionMessage(context, QStringLiteral("Please, select record in grid."), QStringLiteral("Info"));
        return false;
    }
    const int id = grid->dbItemID();
    if (id == -1) {
        showActionMessage(context, QStringLiteral("Unable to determine the record ID"), QStringLiteral("Error"));
        return false;
    }
    button.setDbGeneralTableId(id);
    return true;
}

} // namespace

void mniReportClick(ReportEngine &report)
{
    report.setDesignerFolders(reportFolder(), reportFolder());
    report.designReport();
}

void actionReport(TdbButton &button, ActionContext &context)
{
    if (!takeRecordFromGrid(button, context))
        return;
    QString sql = button.dbSQL();
    if (button.dbGeneralTableId() != -1)
        sql.replace(QStringLiteral("$id"), QString::number(button.dbGeneralTableId()), Qt::CaseInsensitive);
    sql = expandPlaceholders(buttonForm(button), sql);

    ReportEngine &report = *context.report;
    if (!sql.isEmpty()) {
        const WaitCursor busy;
        report.dataSet().read(*context.connection, sql);
        report.dataSet().setName(QStringLiteral("Report"));
    }
    if (button.dbReportFile().isEmpty()) {
        report.setDesignerFolders(reportFolder(), reportFolder());
        report.clear();
        report.setFileName(QString());
        report.designReport(messageOwner(context));
        return;
    }
    const QString path = reportFolder() + QDir::separator() + button.dbReportFile();
    if (!QFileInfo::exists(path)) {
        showActionMessage(context, QStringLiteral("Report file not found:\r") + path, QStringLiteral("Error"));
        return;
    }
    report.loadTemplate(path);
    report.showReport(messageOwner(context));
}

} // namespace tarvo

// adbNewRecord and adbShowRecord: opening an edit form empty or filled, with parent links, and
// re-running the opener's grids after a save.
#include "actions/records.h"

#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "controls/dbbutton.h"
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbeditcount.h"
#include "controls/dbfiletodatabase.h"
#include "controls/dbimagedatabase.h"
#include "controls/dbmemo.h"
#include "controls/dbmonthcalendar.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "controls/picture.h"
#include "platform/interaction.h"
#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

#include <QDialog>

namespace tarvo {

namespace {

bool hasAction(const QObject *component, TdbButton::TActionDbType action)
{
    auto *button = qobject_cast<const TdbButton *>(component);
    return button && button->dbActionType() == action;
}

// Shows the form modally and returns what it reports as saved.
QString showForSaving(FormBase &form)
{
    form.setHint(QString());
    if (auto *dialog = qobject_cast<QDialog *>(form.widget()))
        interaction().showModal(dialog);
    return form.hint();
}

// The new record's form is saved first when it may not exist yet, so that the child about to be
// created has a parent row. False when that save wrote nothing: no form is bound to a row it
// did not write.
bool saveOwnRecordFirst(TdbButton &button, ActionContext &context)
{
    FormBase &form = buttonForm(button);
    if (&form == context.mainWindow || !button.dbParentTable().isEmpty())
        return true;
    for (QObject *component : form.components()) {
        if (!hasAction(component, TdbButton::adbSaveRecord))
            continue;
        auto *save = static_cast<TdbButton *>(component);
        save->setDbDoCloseForm(false);
        context.lastSavedRowId.reset();
        save->click();
        if (!context.lastSavedRowId)
            return false;
        FillForm2(int(*context.lastSavedRowId), form, save->dbGeneralTable());
        return true;
    }
    return true;
}

void prepareForNewRecord(FormBase &form, const TdbButton &opener, SqlConnection &connection)
{
    showFirstPages(form);
    for (QObject *c : form.components()) {
        if (auto *edit = qobject_cast<TdbEdit *>(c))
            edit->setText(edit->dbDefaultValue());
        else if (auto *memo = qobject_cast<TdbMemo *>(c))
            memo->setText(memo->dbDefaultValue());
        else if (auto *combo = qobject_cast<TdbComboBox *>(c))
            combo->setCurrentIndex(combo->dbDefaultID());
        else if (auto *grid = qobject_cast<TdbStringGridEx *>(c)) {
            grid->dbFillColumnsName();
            grid->dbUnSelect();
            if (grid->dbAutoExecute())
                grid->dbExecute();
        } else if (auto *box = qobject_cast<TdbCheckBox *>(c))
            box->setState(box->dbDefaultState());
        else if (auto *picker = qobject_cast<TdbDateTimePicker *>(c)) {
            picker->setDateTime(TDateTime::now());
            picker->setChecked(false);
        } else if (auto *calendar = qobject_cast<TdbMonthCalendar *>(c))
            calendar->setDateTime(TDateTime::now());
        else if (auto *image = qobject_cast<TdbImageDataBase *>(c))
            image->Clear();
        else if (auto *file = qobject_cast<TdbFileToDatabase *>(c))
            file->ClearEx();
        else if (auto *counter = qobject_cast<TdbEditCount *>(c))
            counter->setText(QString::number(GetNextRecordCount(connection, counter->dbTable())));
        else if (hasAction(c, TdbButton::adbNewRecord))
            static_cast<TdbButton *>(c)->setDbParentTable(QString());
        else if (hasAction(c, TdbButton::adbSaveRecord)) {
            auto *save = static_cast<TdbButton *>(c);
            save->setDbGeneralTableId(-1);
            save->setDbParentTable(opener.dbParentTable());
            save->setDbParentTableId(opener.dbParentTableId());
        }
    }
}

// What FillForm clears before it fills; memos, check boxes, lists, calendars, counters and grids
// keep what they hold.
void resetBeforeFill(FormBase &form)
{
    for (QObject *c : form.components()) {
        if (auto *edit = qobject_cast<TdbEdit *>(c))
            edit->clear();
        else if (auto *image = qobject_cast<TdbImageDataBase *>(c)) {
            image->Clear();
            image->setDbImageIsChanged(false);
        } else if (auto *file = qobject_cast<TdbFileToDatabase *>(c))
            file->ClearEx();
        else if (auto *picker = qobject_cast<TdbDateTimePicker *>(c)) {
            picker->setChecked(true);
            picker->setDateTime(TDateTime::now());
            picker->setChecked(false);
        }
    }
}

void bindButton(TdbButton &target, int id, const TdbButton &opener)
{
    switch (target.dbActionType()) {
    case TdbButton::adbSaveRecord:
    case TdbButton::adbReport:
        target.setDbGeneralTableId(id);
        break;
    case TdbButton::adbNewRecord:
        target.setDbParentTable(opener.dbParentTable());
        target.setDbParentTableId(opener.dbParentTableId());
        break;
    default:
        break;
    }
}

void listChildren(TdbStringGridEx &grid, const TdbButton &opener)
{
    grid.setDbParentTable(opener.dbParentTable());
    grid.setDbParentTableId(opener.dbParentTableId());
    grid.setDbListControls(QString());
    grid.dbExecute();
}

// Puts column `col` of the row into the component when the component shows that column.
void fillFromColumn(QObject *c, const SqlQuery &row, int col, const QString &table, int id, FormBase &form)
{
    const QString column = row.columnName(col);
    auto matches = [&](const QString &dbTable, const QString &dbField) {
        return dbTable == table && column == dbField;
    };
    if (auto *edit = qobject_cast<TdbEdit *>(c)) {
        if (matches(edit->dbTable(), edit->dbField()))
            edit->setText(NormalizeDisplayCase(row.text(col)));
    } else if (auto *memo = qobject_cast<TdbMemo *>(c)) {
        if (matches(memo->dbTable(), memo->dbField()))
            memo->setText(NormalizeDisplayCase(row.text(col)));
    } else if (auto *counter = qobject_cast<TdbEditCount *>(c)) {
        if (matches(counter->dbTable(), QStringLiteral("record_count")))
            counter->setText(row.text(col));
    } else if (auto *box = qobject_cast<TdbCheckBox *>(c)) {
        if (!matches(box->dbTable(), box->dbField()))
            return;
        if (row.isNull(col))
            box->setState(TdbCheckBox::cbGrayed);
        else if (row.integer(col) == 1)
            box->setState(TdbCheckBox::cbChecked);
        else if (row.integer(col) == 0)
            box->setState(TdbCheckBox::cbUnchecked);
    } else if (auto *picker = qobject_cast<TdbDateTimePicker *>(c)) {
        if (!matches(picker->dbTable(), picker->dbField()) || row.isNull(col))
            return;
        picker->setChecked(true);
        picker->setDbStringDateTime(row.text(col));
        QObject *linked = picker->dbCalendarControl().isEmpty() ? nullptr
                                                                 : form.findComponent(picker->dbCalendarControl());
        if (auto *calendar = qobject_cast<TdbMonthCalendar *>(linked))
            calendar->setDateTime(picker->dateTime());
        else if (auto *other = qobject_cast<TdbDateTimePicker *>(linked))
            other->setDateTime(picker->dateTime());
    } else if (auto *calendar = qobject_cast<TdbMonthCalendar *>(c)) {
        if (matches(calendar->dbTable(), calendar->dbField()))
            calendar->setDbStringDateTime(row.text(col));
    } else if (auto *combo = qobject_cast<TdbComboBox *>(c)) {
        if (column == QStringLiteral("id_") + combo->dbTable() && !row.isNull(col))
            combo->setDbItemID(int(row.integer(col)));
    } else if (auto *grid = qobject_cast<TdbStringGridEx *>(c)) {
        if (column == QStringLiteral("id_") + grid->dbGeneralTable() && !row.isNull(col))
            grid->setDbItemID(int(row.integer(col)));
    } else if (auto *image = qobject_cast<TdbImageDataBase *>(c)) {
        if (matches(image->dbTable(), image->dbField()) && row.isBlob(col)) {
            image->setDbFileName(row.text(image->dbField() + QStringLiteral("_filename")));
            image->showStoredPicture(row.bytes(col), image->dbFileName());
        }
    } else if (auto *file = qobject_cast<TdbFileToDatabase *>(c)) {
        if (matches(file->dbTable(), file->dbField() + QStringLiteral("_filename")) && !row.isNull(col)) {
            file->setDbFileName(row.text(col));
            file->setText(fileNamePart(row.text(col)));
            file->setDbID(id);
            file->setRightButtonEnabled(true);
        }
    }
}

void fillComponent(QObject *c, const SqlQuery &row, const TdbButton &opener, int id, FormBase &form)
{
    if (auto *button = qobject_cast<TdbButton *>(c)) {
        bindButton(*button, id, opener);
        return;
    }
    if (auto *grid = qobject_cast<TdbStringGridEx *>(c)) {
        if (grid->dbListFields().isEmpty() || grid->dbGeneralTable().isEmpty())
            return;
        listChildren(*grid, opener);
    }
    for (int col = 0; col < row.columnCount(); ++col)
        fillFromColumn(c, row, col, opener.dbGeneralTable(), id, form);
}

bool exactlyOneRow(SqlConnection &connection, const QString &sql)
{
    SqlQuery rows = connection.query(sql);
    if (rows.eof())
        return false;
    rows.next();
    return rows.eof();
}

// Re-runs the opener's grids that show the saved table.
void refreshGrids(FormBase &opener, const QString &savedTable, const TdbButton *parentLinkFrom)
{
    for (TdbStringGridEx *grid : opener.componentsOf<TdbStringGridEx>()) {
        if (grid->dbGeneralTable() != savedTable)
            continue;
        if (grid->dbAutoExecute()) {
            grid->dbExecute();
            continue;
        }
        if (parentLinkFrom) {
            grid->setDbParentTable(parentLinkFrom->dbParentTable());
            grid->setDbParentTableId(parentLinkFrom->dbParentTableId());
        }
        rerunGrid(*grid);
    }
}

} // namespace

void FillForm2(int id, FormBase &form, const QString &table)
{
    for (TdbButton *button : form.componentsOf<TdbButton>()) {
        switch (button->dbActionType()) {
        case TdbButton::adbSaveRecord:
        case TdbButton::adbReport:
            button->setDbGeneralTableId(id);
            break;
        case TdbButton::adbNewRecord:
            button->setDbParentTable(table);
            button->setDbParentTableId(id);
            break;
        default:
            break;
        }
    }
}

QString FillForm(int id, TdbButton &button, ActionContext &context)
{
    const QString sql = QStringLiteral("SELECT * FROM ") + button.dbGeneralTable() + QStringLiteral(" WHERE id=")
                        + QString::number(id);
    QString savedTable;
    for (FormBase *form : openForms()) {
        if (form->name() != button.dbFormName())
            continue;
        // Results are read forward only; the row count is known only after a first pass.
        const bool exactlyOne = exactlyOneRow(*context.connection, sql);
        resetBeforeFill(*form);
        if (exactlyOne) {
            SqlQuery row = context.connection->query(sql);
            for (QObject *c : form->components())
                fillComponent(c, row, button, id, *form);
        }
        savedTable = showForSaving(*form);
    }
    return savedTable;
}

void actionNewRecord(TdbButton &button, ActionContext &context)
{
    if (!saveOwnRecordFirst(button, context))
        return;
    FormBase *target = findForm(button.dbFormName());
    if (!target)
        return;
    prepareForNewRecord(*target, button, *context.connection);
    const QString savedTable = showForSaving(*target);
    if (!savedTable.isEmpty())
        refreshGrids(buttonForm(button), savedTable, &button);
}

void actionShowRecord(TdbButton &button, ActionContext &context)
{
    TdbStringGridEx *grid = resultGrid(button);
    if (!grid)
        return;
    if (grid->dbListId().isEmpty()) {
        showActionMessage(context, QStringLiteral("Entry to edit is no selected."), QStringLiteral("Error"));
        return;
    }
    const int id = grid->dbItemID();
    if (id == -1) {
        showActionMessage(context, QStringLiteral("Unable to determine the record ID"), QStringLiteral("Error"));
        return;
    }
    button.setDbGeneralTable(grid->dbGeneralTable());
    button.setDbParentTable(grid->dbGeneralTable());
    button.setDbParentTableId(id);
    const QString savedTable = FillForm(id, button, context);
    if (!savedTable.isEmpty())
        refreshGrids(buttonForm(button), savedTable, nullptr);
}

} // namespace tarvo

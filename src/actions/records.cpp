// adbNewRecord and adbShowRecord: opening an edit form empty or filled, with parent links, and
// re-running the opener's grids after a save.
#include "actions/records.h"

#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/dictionaries.h"
#include "actions/storedrow.h"
#include "controls/boundcontrols.h"
#include "controls/dbbutton.h"
#include "controls/form.h"
#include "controls/picture.h"
#include "platform/interaction.h"
#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

#include <QDialog>

namespace tarvo {

namespace {

const QString kRecordGone = QStringLiteral("The record no longer exists. It may have been deleted by another user.");

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
        // A save that failed or wrote nothing returns early; the next click on it must close the
        // form again, or the user's Save would insert the row and leave the form open for another.
        save->setDbDoCloseForm(true);
        if (!context.lastSavedRowId)
            return false;
        FillForm2(int(*context.lastSavedRowId), form, save->dbGeneralTable());
        context.savedEarly.insert(&form, {save->dbGeneralTable(), *context.lastSavedRowId});
        return true;
    }
    return true;
}

// A bound control as a new record starts it.
void prepareControl(QObject *c, SqlConnection &connection)
{
    visitBoundControl(c, Overloads{
                             [](TdbEdit &edit) { edit.setText(edit.dbDefaultValue()); },
                             [](TdbMemo &memo) { memo.setText(memo.dbDefaultValue()); },
                             [&](TdbEditCount &counter) {
                                 counter.setText(QString::number(GetNextRecordCount(connection, counter.dbTable())));
                             },
                             [](TdbCheckBox &box) { box.setState(box.dbDefaultState()); },
                             [](TdbComboBox &combo) { combo.setCurrentIndex(combo.dbDefaultID()); },
                             [](TdbDateTimePicker &picker) {
                                 picker.setDateTime(TDateTime::now());
                                 picker.setChecked(false);
                             },
                             [](TdbMonthCalendar &calendar) { calendar.setDateTime(TDateTime::now()); },
                             [](TdbStringGridEx &grid) {
                                 grid.dbFillColumnsName();
                                 grid.dbUnSelect();
                                 if (grid.dbAutoExecute())
                                     grid.dbExecute();
                             },
                             [](TdbImageDataBase &image) { image.Clear(); },
                             [](TdbFileToDatabase &file) { file.ClearEx(); },
                         });
}

void prepareButton(TdbButton &button, const TdbButton &opener)
{
    switch (button.dbActionType()) {
    case TdbButton::adbNewRecord:
        button.setDbParentTable(QString());
        break;
    case TdbButton::adbSaveRecord:
        button.setDbGeneralTableId(-1);
        button.setDbParentTable(opener.dbParentTable());
        button.setDbParentTableId(opener.dbParentTableId());
        break;
    case TdbButton::adbReport: // a new record has nothing to print yet, the previous one must not print
        button.setDbGeneralTableId(-1);
        break;
    default:
        break;
    }
}

void prepareForNewRecord(FormBase &form, const TdbButton &opener, ActionContext &context)
{
    context.filledRows.remove(&form);
    context.savedEarly.remove(&form);
    showFirstPages(form);
    for (QObject *c : form.components()) {
        if (auto *button = qobject_cast<TdbButton *>(c))
            prepareButton(*button, opener);
        else
            prepareControl(c, *context.connection);
    }
}

// What FillForm clears before it fills; the other controls keep what they hold.
void resetBeforeFill(FormBase &form)
{
    for (QObject *c : form.components())
        visitBoundControl(
            c, Overloads{
                   [](TdbEdit &edit) { edit.clear(); },
                   [](TdbImageDataBase &image) {
                       image.Clear();
                       image.setDbImageIsChanged(false);
                   },
                   [](TdbFileToDatabase &file) { file.ClearEx(); },
                   [](TdbDateTimePicker &picker) {
                       picker.setChecked(true);
                       picker.setDateTime(TDateTime::now());
                       picker.setChecked(false);
                   },
                   Ignore<TdbMemo, TdbEditCount, TdbCheckBox, TdbComboBox, TdbMonthCalendar, TdbStringGridEx>{},
               });
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

// A stored link whose entry the list lacks (added since the list was filled) refills the list; an
// id the list still cannot show is kept by the box, so a save does not erase it.
void showStoredId(TdbComboBox &combo, int id, SqlConnection &connection)
{
    if (id != -1 && !combo.hasItemID(id))
        RefillDictionaryBox(connection, combo);
    combo.setStoredItemID(id);
}

// The date-time control a date picker passes its value on to, when it names one.
void passToLinkedControl(const TdbDateTimePicker &picker, FormBase &form)
{
    QObject *linked = picker.dbCalendarControl().isEmpty() ? nullptr : form.findComponent(picker.dbCalendarControl());
    if (auto *calendar = qobject_cast<TdbMonthCalendar *>(linked))
        calendar->setDateTime(picker.dateTime());
    else if (auto *other = qobject_cast<TdbDateTimePicker *>(linked))
        other->setDateTime(picker.dateTime());
}

// Puts column `col` of the row into the component when the component shows that column.
void fillFromColumn(QObject *c, const SqlQuery &row, int col, const QString &table, int id, FormBase &form,
                    SqlConnection &connection)
{
    const QString column = row.columnName(col);
    auto matches = [&](const QString &dbTable, const QString &dbField) {
        return dbTable == table && column == dbField;
    };
    const auto link = [&] { return row.isNull(col) ? -1 : int(row.integer(col)); };
    visitBoundControl(c, Overloads{
                             [&](TdbEdit &edit) {
                                 if (matches(edit.dbTable(), edit.dbField()))
                                     edit.setText(NormalizeDisplayCase(row.text(col)));
                             },
                             [&](TdbMemo &memo) {
                                 if (matches(memo.dbTable(), memo.dbField()))
                                     memo.setText(NormalizeDisplayCase(row.text(col)));
                             },
                             [&](TdbEditCount &counter) {
                                 if (matches(counter.dbTable(), QStringLiteral("record_count")))
                                     counter.setText(row.text(col));
                             },
                             [&](TdbCheckBox &box) {
                                 if (matches(box.dbTable(), box.dbField()))
                                     box.setStoredValue(row.isNull(col) ? QString() : row.text(col));
                             },
                             [&](TdbDateTimePicker &picker) {
                                 if (!matches(picker.dbTable(), picker.dbField()) || row.isNull(col))
                                     return;
                                 picker.setChecked(true);
                                 picker.setDbStringDateTime(row.text(col));
                                 passToLinkedControl(picker, form);
                             },
                             [&](TdbMonthCalendar &calendar) {
                                 if (matches(calendar.dbTable(), calendar.dbField()))
                                     calendar.setDbStringDateTime(row.text(col));
                             },
                             [&](TdbComboBox &combo) {
                                 if (column == QStringLiteral("id_") + combo.dbTable())
                                     showStoredId(combo, link(), connection);
                             },
                             [&](TdbStringGridEx &grid) {
                                 if (column == QStringLiteral("id_") + grid.dbGeneralTable() && !row.isNull(col))
                                     grid.setDbItemID(link());
                             },
                             [&](TdbImageDataBase &image) {
                                 if (matches(image.dbTable(), image.dbField()) && row.isBlob(col)) {
                                     image.setDbFileName(row.text(image.dbField() + QStringLiteral("_filename")));
                                     image.showStoredPicture(row.bytes(col), image.dbFileName());
                                 }
                             },
                             [&](TdbFileToDatabase &file) {
                                 if (matches(file.dbTable(), file.dbField() + QStringLiteral("_filename"))
                                     && !row.isNull(col)) {
                                     file.setDbFileName(row.text(col));
                                     file.setText(fileNamePart(row.text(col)));
                                     file.setDbID(id);
                                     file.setRightButtonEnabled(true);
                                 }
                             },
                         });
}

void fillComponent(QObject *c, const SqlQuery &row, const TdbButton &opener, int id, FormBase &form,
                   SqlConnection &connection)
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
        fillFromColumn(c, row, col, opener.dbGeneralTable(), id, form, connection);
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

namespace {

// FillForm for the show action: nullopt when the row no longer exists (another user deleted it).
// The form is then not shown: opened empty, it would still be bound to the record shown before.
std::optional<QString> fillAndShow(int id, TdbButton &button, ActionContext &context)
{
    const QString sql = QStringLiteral("SELECT * FROM ") + button.dbGeneralTable() + QStringLiteral(" WHERE id=")
                        + QString::number(id);
    QString savedTable;
    for (FormBase *form : openForms()) {
        if (form->name() != button.dbFormName())
            continue;
        // Results are read forward only; the row count is known only after a first pass.
        if (!exactlyOneRow(*context.connection, sql)) {
            showActionMessage(context, kRecordGone, QStringLiteral("Error"));
            return std::nullopt;
        }
        resetBeforeFill(*form);
        context.savedEarly.remove(form);
        {
            // Released before the form shows: an open read would keep other users from writing.
            SqlQuery row = context.connection->query(sql);
            context.filledRows.insert(form, storedRowOf(row, button.dbGeneralTable(), id));
            for (QObject *c : form->components())
                fillComponent(c, row, button, id, *form, *context.connection);
        }
        savedTable = showForSaving(*form);
    }
    return savedTable;
}

} // namespace

QString FillForm(int id, TdbButton &button, ActionContext &context)
{
    return fillAndShow(id, button, context).value_or(QString());
}

void actionNewRecord(TdbButton &button, ActionContext &context)
{
    if (!saveOwnRecordFirst(button, context))
        return;
    FormBase *target = findForm(button.dbFormName());
    if (!target)
        return;
    prepareForNewRecord(*target, button, context);
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
    const std::optional<QString> savedTable = fillAndShow(id, button, context);
    if (!savedTable) {
        rerunGrid(*grid); // the deleted row disappears from the list
        return;
    }
    if (!savedTable->isEmpty())
        refreshGrids(buttonForm(button), *savedTable, nullptr);
}

} // namespace tarvo

// adbSaveRecord: INSERT or UPDATE of the button's table from its listed controls.
#include "actions/saverecord.h"

#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/dictionaries.h"
#include "actions/records.h"
#include "actions/storedrow.h"
#include "controls/boundcontrols.h"
#include "controls/dbbutton.h"
#include "controls/form.h"
#include "platform/errors.h"
#include "platform/waitcursor.h"
#include "schema/fieldcatalogue.h"
#include "schema/valueconventions.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace tarvo {

namespace {

enum class Mode { Insert, Update };

struct ColumnValue {
    QString column;
    SqlStatement value;
};
using Contribution = QList<ColumnValue>;

SqlStatement sqlValue(const QString &sql)
{
    return SqlStatement(sql);
}
SqlStatement textValue(const QString &text)
{
    return SqlStatement().text(text);
}
SqlStatement idValue(qint64 id)
{
    return sqlValue(id == -1 ? QStringLiteral("NULL") : QString::number(id));
}

// The date-time of the month calendar or date picker a time picker is linked to.
std::optional<TDateTime> linkedDate(const QObject *linked)
{
    if (auto *calendar = qobject_cast<const TdbMonthCalendar *>(linked))
        return calendar->dateTime();
    if (auto *other = qobject_cast<const TdbDateTimePicker *>(linked))
        return other->dateTime();
    return std::nullopt;
}

// A time picker linked to a date control takes that control's day; a DATE or TIME column keeps
// only its part. The adjusted value is stored back into the picker.
void adjustPicker(TdbDateTimePicker &picker, const FormBase &form)
{
    TDateTime value = picker.dateTime();
    if (picker.kind() == TdbDateTimePicker::dtkTime && !picker.dbCalendarControl().isEmpty())
        if (const std::optional<TDateTime> day = linkedDate(form.findComponent(picker.dbCalendarControl())))
            value = TDateTime::fromMSecs(day->datePart().msecs() + value.timePart().msecs());
    const QString type = GetCatalogueFieldType(picker.dbTable(), picker.dbField());
    if (type == QLatin1String("DATE"))
        value = value.datePart();
    else if (type == QLatin1String("TIME"))
        value = value.timePart();
    picker.setDateTime(value);
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return file.readAll();
}

Contribution storedBytes(const QString &field, const QByteArray &bytes, const QString &fileName)
{
    return {{field, SqlStatement().blob(field, bytes)}, {field + QStringLiteral("_filename"), textValue(fileName)}};
}

Contribution storedNothing(const QString &field)
{
    return {{field, sqlValue(QStringLiteral("NULL"))},
            {field + QStringLiteral("_filename"), sqlValue(QStringLiteral("NULL"))}};
}

// The number a user typed into an INTEGER or REAL field, as an SQL literal; raises
// ConversionError naming the field for a text that is no number, before anything is written.
SqlStatement numberValue(const QString &table, const QString &field, const QString &text)
{
    const QString type = GetCatalogueFieldType(table, field);
    const std::optional<QString> literal = type == QLatin1String("INTEGER") ? integerLiteral(text) : realLiteral(text);
    if (!literal)
        throw ConversionError(
            QStringLiteral("\"%1\" is not a number. The field \"%2\" takes %3.")
                .arg(text, field,
                     type == QLatin1String("INTEGER") ? QStringLiteral("a whole number") : QStringLiteral("a number")));
    return sqlValue(*literal);
}

bool isNumberField(const QString &table, const QString &field)
{
    const QString type = GetCatalogueFieldType(table, field);
    return type == QLatin1String("INTEGER") || type == QLatin1String("REAL");
}

Contribution textContribution(const QString &table, const QString &field, const QString &text, Mode mode)
{
    if (text.isEmpty())
        return mode == Mode::Insert ? Contribution() : Contribution{{field, sqlValue(QStringLiteral("NULL"))}};
    if (isNumberField(table, field))
        return {{field, numberValue(table, field, text)}};
    return {{field, textValue(StoredTextCase(text))}};
}

Contribution idContribution(const QString &column, int id, Mode mode)
{
    if (id == -1 && mode == Mode::Insert)
        return {};
    return {{column, idValue(id)}};
}

Contribution imageContribution(const TdbImageDataBase &image, Mode mode)
{
    if (mode == Mode::Update && !image.dbImageIsChanged())
        return {};
    if (!image.dbFileName().isEmpty())
        return storedBytes(image.dbField(), image.pictureBytes(), image.dbFileName());
    return mode == Mode::Update ? storedNothing(image.dbField()) : Contribution();
}

Contribution fileContribution(const TdbFileToDatabase &file, Mode mode)
{
    if (mode == Mode::Insert)
        return file.dbFileName().isEmpty()
                   ? Contribution()
                   : storedBytes(file.dbField(), readWholeFile(file.dbFileName()), file.dbFileName());
    if (!file.dbFileIsChanged())
        return {};
    if (file.dbFileName().isEmpty())
        return storedNothing(file.dbField());
    // A chosen file that has vanished leaves the stored one as it is.
    if (!QFileInfo(file.dbFileName()).isFile())
        return {};
    return storedBytes(file.dbField(), readWholeFile(file.dbFileName()), file.dbFileName());
}

Contribution checkBoxContribution(const TdbCheckBox &box)
{
    if (const std::optional<QString> &kept = box.unshownStoredValue())
        return {{box.dbField(), SqlStatement().numberOrText(*kept)}};
    return {{box.dbField(), sqlValue(box.sqlValue())}};
}

Contribution pickerContribution(TdbDateTimePicker &picker, const FormBase &form)
{
    if (!picker.checked())
        return {{picker.dbField(), sqlValue(QStringLiteral("NULL"))}};
    adjustPicker(picker, form);
    return {{picker.dbField(), textValue(picker.dbStringDateTime())}};
}

Contribution contribution(QObject &control, Mode mode, const FormBase &form, SqlConnection &connection)
{
    Contribution result;
    visitBoundControl(
        &control,
        Overloads{
            [&](TdbEdit &edit) { result = textContribution(edit.dbTable(), edit.dbField(), edit.text(), mode); },
            [&](TdbMemo &memo) { result = textContribution(memo.dbTable(), memo.dbField(), memo.text(), mode); },
            [&](TdbEditCount &counter) {
                // A new row gets the number current at save time, not the one shown when the form opened.
                if (mode == Mode::Insert)
                    counter.setText(QString::number(GetNextRecordCount(connection, counter.dbTable())));
                result = {{QStringLiteral("record_count"), SqlStatement().numberOrText(counter.text())}};
            },
            [&](TdbCheckBox &box) { result = checkBoxContribution(box); },
            [&](TdbComboBox &combo) {
                result = idContribution(QStringLiteral("id_") + combo.dbTable(), combo.dbItemID(), mode);
            },
            [&](TdbStringGridEx &grid) {
                if (!grid.dbGeneralTable().isEmpty())
                    result = idContribution(QStringLiteral("id_") + grid.dbGeneralTable(), grid.dbItemID(), mode);
            },
            [&](TdbDateTimePicker &picker) { result = pickerContribution(picker, form); },
            [&](TdbMonthCalendar &calendar) {
                calendar.setDateTime(calendar.dateTime().datePart());
                result = {{calendar.dbField(), textValue(calendar.dbStringDateTime())}};
            },
            [&](TdbImageDataBase &image) { result = imageContribution(image, mode); },
            [&](TdbFileToDatabase &file) { result = fileContribution(file, mode); },
        });
    return result;
}

QList<ColumnValue> collect(TdbButton &button, Mode mode, SqlConnection &connection)
{
    const FormBase &form = buttonForm(button);
    QList<ColumnValue> all;
    for (const QString &name : splitNames(button.dbListControls()))
        if (QObject *control = form.findComponent(name))
            all += contribution(*control, mode, form, connection);
    return all;
}

SqlStatement joined(const QList<ColumnValue> &items, bool assignments)
{
    SqlStatement out;
    for (int i = 0; i < items.size(); ++i) {
        if (i)
            out.sql(QStringLiteral(","));
        if (assignments)
            out.sql(items[i].column + QLatin1Char('='));
        out.append(items[i].value);
    }
    return out;
}

QString columnList(const QList<ColumnValue> &items)
{
    QStringList columns;
    for (const ColumnValue &item : items)
        columns << item.column;
    return columns.join(QLatin1Char(','));
}

// The stored value of a column as a statement piece, for a row written again as it was.
SqlStatement storedValue(const QString &column, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return sqlValue(QString::number(value.toLongLong()));
    case QMetaType::Double:
        return sqlValue(QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest));
    case QMetaType::QByteArray:
        return SqlStatement().blob(column, value.toByteArray());
    default:
        return textValue(value.toString());
    }
}

bool hasColumn(const QList<ColumnValue> &items, const QString &column)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const ColumnValue &item) { return item.column.compare(column, Qt::CaseInsensitive) == 0; });
}

// Columns of a deleted row that the form does not write (its parent link, fields of other
// forms), so that saving it as a new record brings back the whole row with the user's values.
void addUnwrittenColumns(QList<ColumnValue> &values, const StoredRow &row)
{
    for (int c = 0; c < row.columns.size(); ++c) {
        const QString &column = row.columns[c];
        if (column.compare(QLatin1String("id"), Qt::CaseInsensitive) != 0 && row.values[c].isValid()
            && !hasColumn(values, column))
            values.append({column, storedValue(column, row.values[c])});
    }
}

const QString kChangedByOther = QStringLiteral(
    "Another user changed this record after you opened it.\n\nSave your values over the other user's changes?");
const QString kDeletedByOther = QStringLiteral(
    "Another user deleted this record after you opened it.\n\nSave it as a new record?");
const QString kBusy = QStringLiteral(
    "Another user is saving to the database right now, and it stayed locked too long. Nothing was saved and "
    "your input is kept: please click Save again in a moment.");

enum class SaveAs { Bound, Overwrite, NewRecord };

// What the user wants done with a record that another user changed or deleted; nullopt: cancel,
// the form stays open with what was typed.
std::optional<SaveAs> askAboutOtherUser(RowChange change, const ActionContext &context)
{
    const bool deleted = change == RowChange::Deleted;
    if (!askActionQuestion(context, deleted ? kDeletedByOther : kChangedByOther, QStringLiteral("Confirm")))
        return std::nullopt;
    return deleted ? SaveAs::NewRecord : SaveAs::Overwrite;
}

// The row this form was filled from when the button still updates that row.
const StoredRow *rememberedRow(const TdbButton &button, const FormBase &form, const ActionContext &context)
{
    auto found = context.filledRows.constFind(&form);
    if (found == context.filledRows.constEnd() || found->table != button.dbGeneralTable()
        || found->id != button.dbGeneralTableId())
        return nullptr;
    return &*found;
}

struct Written {
    qint64 id;
    bool isInsert;
};

} // namespace

SaveStatement buildSaveStatement(TdbButton &button, SqlConnection &connection, const StoredRow *restoring)
{
    SaveStatement result;
    result.isInsert = restoring || button.dbGeneralTableId() == -1;
    if (!result.isInsert) {
        const QList<ColumnValue> assignments = collect(button, Mode::Update, connection);
        result.statement.sql(QStringLiteral("UPDATE ") + button.dbGeneralTable() + QStringLiteral(" SET "))
            .append(joined(assignments, true))
            .sql(QStringLiteral(" WHERE id = ") + QString::number(button.dbGeneralTableId()));
        return result;
    }
    QList<ColumnValue> values = collect(button, Mode::Insert, connection);
    result.isEmptyInsert = values.isEmpty();
    if (restoring)
        addUnwrittenColumns(values, *restoring);
    else if (button.dbParentTableId() > -1)
        values.append({QStringLiteral("id_") + button.dbParentTable(), idValue(button.dbParentTableId())});
    result.statement
        .sql(QStringLiteral("INSERT INTO ") + button.dbGeneralTable() + QStringLiteral(" (") + columnList(values)
             + QStringLiteral(") VALUES ("))
        .append(joined(values, false))
        .sql(QStringLiteral(") RETURNING id"));
    return result;
}

namespace {

// One write transaction holds the check against other users' changes, the record counter and the
// statement, so that no other user's save can come in between. Nullopt when nothing was written.
std::optional<Written> writeRecord(TdbButton &button, ActionContext &context, const StoredRow *remembered)
{
    SqlConnection &connection = *context.connection;
    SaveAs how = SaveAs::Bound;
    for (;;) {
        // The save may wait seconds for another user's lock; a question gets the normal cursor.
        std::optional<WaitCursor> busy(std::in_place);
        SqlTransaction transaction(connection);
        if (how == SaveAs::Bound && remembered) {
            const RowChange change = changeSince(*remembered, connection);
            if (change != RowChange::None) {
                transaction.rollback(); // never hold the lock while the user decides
                busy.reset();
                const std::optional<SaveAs> answer = askAboutOtherUser(change, context);
                if (!answer)
                    return std::nullopt;
                how = *answer;
                continue;
            }
        }
        const SaveStatement save = buildSaveStatement(button, connection,
                                                      how == SaveAs::NewRecord ? remembered : nullptr);
        if (save.isEmptyInsert) {
            transaction.rollback();
            busy.reset();
            showActionMessage(context, QStringLiteral("No data to add"), QStringLiteral("Error"));
            return std::nullopt;
        }
        qint64 id = button.dbGeneralTableId();
        if (save.isInsert) // the new id comes with the insert's own result, not from a second query
            id = connection.query(save.statement).integer(0);
        else
            connection.execute(save.statement);
        transaction.commit();
        return Written{id, save.isInsert};
    }
}

} // namespace

void actionSaveRecord(TdbButton &button, ActionContext &context)
{
    SqlConnection &connection = *context.connection;
    FormBase &form = buttonForm(button);
    const std::optional<StoredRow> remembered = [&]() -> std::optional<StoredRow> {
        const StoredRow *row = rememberedRow(button, form, context);
        return row ? std::optional<StoredRow>(*row) : std::nullopt;
    }();
    std::optional<Written> written;
    try {
        written = writeRecord(button, context, remembered ? &*remembered : nullptr);
    } catch (const DatabaseBusyError &) {
        showActionMessage(context, kBusy, QStringLiteral("Error"));
        return;
    }
    if (!written)
        return;
    context.lastSavedRowId = written->id;
    if (written->isInsert && button.dbGeneralTableId() != -1) // saved again after another user deleted it
        FillForm2(int(written->id), form, button.dbGeneralTable());

    // Cleared only now: a failed statement must leave the user's pictures in place.
    if (button.dbDoCloseForm())
        for (const QString &name : splitNames(button.dbListControls()))
            if (auto *image = qobject_cast<TdbImageDataBase *>(form.findComponent(name)))
                image->Clear();
    FillDictionaries(connection, button.dbGeneralTable());
    connection.takeChangedTables(); // the lists of the saved table were just refilled
    form.setHint(button.dbGeneralTable());
    if (button.dbDoCloseForm()) {
        context.filledRows.remove(&form);
        context.savedEarly.remove(&form);
        if (written->isInsert) {
            button.setDbParentTable(QString());
            button.setDbParentTableId(-1);
        }
        form.widget()->close();
    } else if (std::optional<StoredRow> row = readStoredRow(connection, button.dbGeneralTable(), written->id)) {
        context.filledRows.insert(&form, *row); // the form stays open on the row as now stored
    }
    button.setDbDoCloseForm(true);
}

} // namespace tarvo

// adbSaveRecord: INSERT or UPDATE of the button's table from its listed controls.
#include "actions/saverecord.h"

#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "actions/dictionaries.h"
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
#include "platform/errors.h"
#include "schema/fieldcatalogue.h"
#include "schema/valueconventions.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <optional>

namespace tarvo {

namespace {

enum class Mode { Insert, Update };

struct ColumnValue {
    QString column;
    SqlStatement value;
};
using Contribution = QList<ColumnValue>;

SqlStatement sqlValue(const QString &sql) { return SqlStatement(sql); }
SqlStatement textValue(const QString &text) { return SqlStatement().text(text); }
SqlStatement idValue(qint64 id) { return sqlValue(id == -1 ? QStringLiteral("NULL") : QString::number(id)); }

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
    return {{field, SqlStatement().blob(field, bytes)},
            {field + QStringLiteral("_filename"), textValue(fileName)}};
}

Contribution storedNothing(const QString &field)
{
    return {{field, sqlValue(QStringLiteral("NULL"))},
            {field + QStringLiteral("_filename"), sqlValue(QStringLiteral("NULL"))}};
}

Contribution textContribution(const QString &field, const QString &text, Mode mode)
{
    if (text.isEmpty())
        return mode == Mode::Insert ? Contribution() : Contribution{{field, sqlValue(QStringLiteral("NULL"))}};
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

Contribution contribution(QObject &control, Mode mode, const FormBase &form, SqlConnection &connection)
{
    if (auto *edit = qobject_cast<TdbEdit *>(&control))
        return textContribution(edit->dbField(), edit->text(), mode);
    if (auto *memo = qobject_cast<TdbMemo *>(&control))
        return textContribution(memo->dbField(), memo->text(), mode);
    if (auto *counter = qobject_cast<TdbEditCount *>(&control)) {
        // A new row gets the number current at save time, not the one shown when the form opened.
        if (mode == Mode::Insert)
            counter->setText(QString::number(GetNextRecordCount(connection, counter->dbTable())));
        return {{QStringLiteral("record_count"), SqlStatement().numberOrText(counter->text())}};
    }
    if (auto *box = qobject_cast<TdbCheckBox *>(&control))
        return {{box->dbField(), sqlValue(box->sqlValue())}};
    if (auto *combo = qobject_cast<TdbComboBox *>(&control))
        return idContribution(QStringLiteral("id_") + combo->dbTable(), combo->dbItemID(), mode);
    if (auto *grid = qobject_cast<TdbStringGridEx *>(&control)) {
        if (grid->dbGeneralTable().isEmpty())
            return {};
        return idContribution(QStringLiteral("id_") + grid->dbGeneralTable(), grid->dbItemID(), mode);
    }
    if (auto *picker = qobject_cast<TdbDateTimePicker *>(&control)) {
        if (!picker->checked())
            return {{picker->dbField(), sqlValue(QStringLiteral("NULL"))}};
        adjustPicker(*picker, form);
        return {{picker->dbField(), textValue(picker->dbStringDateTime())}};
    }
    if (auto *calendar = qobject_cast<TdbMonthCalendar *>(&control)) {
        calendar->setDateTime(calendar->dateTime().datePart());
        return {{calendar->dbField(), textValue(calendar->dbStringDateTime())}};
    }
    if (auto *image = qobject_cast<TdbImageDataBase *>(&control))
        return imageContribution(*image, mode);
    if (auto *file = qobject_cast<TdbFileToDatabase *>(&control))
        return fileContribution(*file, mode);
    return {};
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

} // namespace

SaveStatement buildSaveStatement(TdbButton &button, SqlConnection &connection)
{
    SaveStatement result;
    result.isInsert = button.dbGeneralTableId() == -1;
    if (!result.isInsert) {
        const QList<ColumnValue> assignments = collect(button, Mode::Update, connection);
        result.statement.sql(QStringLiteral("UPDATE ") + button.dbGeneralTable() + QStringLiteral(" SET "))
            .append(joined(assignments, true))
            .sql(QStringLiteral(" WHERE id = ") + QString::number(button.dbGeneralTableId()));
        return result;
    }
    QList<ColumnValue> values = collect(button, Mode::Insert, connection);
    result.isEmptyInsert = values.isEmpty();
    if (button.dbParentTableId() > -1)
        values.append({QStringLiteral("id_") + button.dbParentTable(), idValue(button.dbParentTableId())});
    result.statement.sql(QStringLiteral("INSERT INTO ") + button.dbGeneralTable() + QStringLiteral(" (")
                         + columnList(values) + QStringLiteral(") VALUES ("))
        .append(joined(values, false))
        .sql(QStringLiteral(");"));
    return result;
}

void actionSaveRecord(TdbButton &button, ActionContext &context)
{
    SqlConnection &connection = *context.connection;
    const SaveStatement save = buildSaveStatement(button, connection);
    if (save.isEmptyInsert) {
        showActionMessage(context, QStringLiteral("No data to add"), QStringLiteral("Error"));
        return;
    }
    connection.execute(save.statement);
    context.lastSavedRowId = save.isInsert ? GetLastInsertId(connection, button.dbGeneralTable())
                                           : qint64(button.dbGeneralTableId());

    FormBase &form = buttonForm(button);
    // Cleared only now: a failed statement must leave the user's pictures in place.
    if (button.dbDoCloseForm())
        for (const QString &name : splitNames(button.dbListControls()))
            if (auto *image = qobject_cast<TdbImageDataBase *>(form.findComponent(name)))
                image->Clear();
    FillDictionaries(connection, button.dbGeneralTable());
    form.setHint(button.dbGeneralTable());
    if (button.dbDoCloseForm()) {
        if (save.isInsert) {
            button.setDbParentTable(QString());
            button.setDbParentTableId(-1);
        }
        form.widget()->close();
    }
    button.setDbDoCloseForm(true);
}

} // namespace tarvo

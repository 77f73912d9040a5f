#include "actions/dictionaries.h"

#include "controls/dbcombobox.h"
#include "controls/form.h"
#include "schema/lookuplist.h"
#include "schema/sqlconnection.h"

namespace tarvo {

namespace {

void fillBox(SqlConnection &connection, TdbComboBox &box)
{
    const qsizetype before = box.count(); // a list is mostly filled again at about its size
    box.Clear();
    if (box.dbTable().isEmpty() || box.dbField().isEmpty())
        return;
    // A template that names no field would make an invalid query: the box keeps only its empty entry.
    if (lookupFields(box.dbField()).isEmpty()) {
        box.AddRecord(-1, QString());
        box.setCurrentIndex(box.dbDefaultID() == 0 ? 0 : -1);
        return;
    }
    SqlQuery rows = connection.query(lookupQueryText(box.dbTable(), box.dbField(), box.dbSort()));
    const LookupDisplay display(box.dbField(), rows);
    // One insertion for the whole list: item by item, the box re-measures and signals per row.
    QList<int> ids;
    QStringList texts;
    ids.reserve(before);
    texts.reserve(before);
    ids << -1;
    texts << QString();
    for (; !rows.eof(); rows.next()) {
        ids << int(rows.integer(0));
        texts << display.text(rows);
    }
    const QSignalBlocker quiet(&box);
    box.AddRecords(ids, texts);
    box.setCurrentIndex(box.dbDefaultID() < box.count() ? box.dbDefaultID() : -1);
}

} // namespace

void RefillDictionaryBox(SqlConnection &connection, TdbComboBox &box)
{
    const int selected = box.dbItemID();
    fillBox(connection, box);
    const QSignalBlocker quiet(&box);
    box.setStoredItemID(selected);
}

void RefreshDictionaries(SqlConnection &connection, const QStringList &tables, bool allTables)
{
    for (FormBase *form : openForms())
        for (TdbComboBox *box : form->componentsOf<TdbComboBox>())
            if (allTables || tables.contains(box->dbTable()))
                RefillDictionaryBox(connection, *box);
}

void FillDictionaries(SqlConnection &connection, const QString &tableName)
{
    for (FormBase *form : openForms())
        for (TdbComboBox *box : form->componentsOf<TdbComboBox>())
            if (tableName.isEmpty() || box->dbTable() == tableName)
                fillBox(connection, *box);
}

} // namespace tarvo

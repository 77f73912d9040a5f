// adbDelete: the grid's current row, after an optional confirmation; cascades are the database's.
#include "actions/actioncommon.h"
#include "actions/actioncontext.h"
#include "actions/actions.h"
#include "controls/dbbutton.h"
#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"

namespace tarvo {

namespace {

// A lookup column names its table ("id_" + table) but has no foreign key: the database would let
// the row go and leave the records that use it pointing nowhere. Parent links cascade instead.
bool isLookupColumn(SqlConnection &connection, const QString &table, const QString &column)
{
    return !connection.foreignKeyColumns(table).contains(column, Qt::CaseInsensitive);
}

// "2 records of the table customers", one entry per table whose lookup fields still use the row.
QStringList usesOf(SqlConnection &connection, const QString &table, int id)
{
    const QString column = QStringLiteral("id_") + table;
    QStringList uses;
    QStringList seen;
    for (const CatalogueEntry &entry : FieldCatalogue()) {
        if (entry.field != column || entry.table == table || seen.contains(entry.table))
            continue;
        seen << entry.table;
        if (!isLookupColumn(connection, entry.table, column))
            continue;
        const qint64 count = connection
                                 .query(QStringLiteral("SELECT count(*) FROM ") + entry.table
                                        + QStringLiteral(" WHERE ") + column + u'=' + QString::number(id))
                                 .integer(0);
        if (count > 0)
            uses << QStringLiteral("%1 %2 of the table %3")
                        .arg(count)
                        .arg(count == 1 ? QStringLiteral("record") : QStringLiteral("records"), entry.table);
    }
    return uses;
}

} // namespace

void actionDelete(TdbButton &button, ActionContext &context)
{
    TdbStringGridEx *grid = resultGrid(button);
    if (!grid)
        return;
    if (grid->dbListId().isEmpty()) {
        showActionMessage(context, QStringLiteral("Entry to be deleted is not selected."), QStringLiteral("Info"));
        return;
    }
    const int id = grid->dbItemID();
    if (id == -1) {
        showActionMessage(context, QStringLiteral("Unable to determine the record ID"), QStringLiteral("Error"));
        return;
    }
    if (const QStringList uses = usesOf(*context.connection, grid->dbGeneralTable(), id); !uses.isEmpty()) {
        showActionMessage(context,
                          QStringLiteral("The record cannot be deleted: it is still used by %1.")
                              .arg(uses.join(QStringLiteral(", "))),
                          QStringLiteral("Error"));
        return;
    }
    if (button.dbConfirmDelete()
        && !askActionQuestion(context, QStringLiteral("Are you sure you want to delete the record?"),
                              QStringLiteral("Confirm")))
        return;
    context.connection->execute(QStringLiteral("DELETE FROM ") + grid->dbGeneralTable() + QStringLiteral(" WHERE id=")
                                + QString::number(id));
    // Only the grid whose name matches exactly is re-run.
    for (TdbStringGridEx *g : buttonForm(button).componentsOf<TdbStringGridEx>())
        if (g->objectName() == button.dbResultControl())
            rerunGrid(*g);
}

} // namespace tarvo

#include "controls/searchstatement.h"

#include "controls/boundcontrols.h"
#include "controls/form.h"
#include "platform/interaction.h"
#include "schema/fieldcatalogue.h"
#include "schema/valueconventions.h"

namespace tarvo {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString columnOf(const QString &table, const QString &field)
{
    return table + QLatin1Char('.') + field;
}

QList<QObject *> filterControls(const SearchParameters &search, const FormBase *form)
{
    QList<QObject *> found;
    if (!form)
        return found;
    for (const QString &name : search.listControls.split(QLatin1Char(',')))
        if (QObject *component = form->findComponent(name))
            found << component;
    return found;
}

// The "table.field," items by which filter controls widen the set of joined tables.
QString filterTables(const QList<QObject *> &controls)
{
    QString items;
    const auto add = [&](const QString &table, const QString &field, bool filters) {
        if (filters)
            items += columnOf(table, field) + QLatin1Char(',');
    };
    for (QObject *c : controls)
        visitBoundControl(c, Overloads{
                                 [&](TdbEdit &e) { add(e.dbTable(), e.dbField(), !e.text().isEmpty()); },
                                 [&](TdbMemo &m) { add(m.dbTable(), m.dbField(), !m.text().isEmpty()); },
                                 [&](TdbEditCount &n) {
                                     if (!n.text().isEmpty())
                                         items += n.dbTable() + QStringLiteral(".null,");
                                 },
                                 [&](TdbCheckBox &b) {
                                     add(b.dbTable(), b.dbField(), b.state() != TdbCheckBox::cbGrayed);
                                 },
                                 [&](TdbComboBox &x) { add(x.dbTable(), x.dbField(), x.dbItemID() != -1); },
                                 [&](TdbDateTimePicker &p) { add(p.dbTable(), p.dbField(), p.checked()); },
                                 [&](TdbMonthCalendar &k) { add(k.dbTable(), k.dbField(), true); },
                                 Ignore<TdbStringGridEx, TdbImageDataBase, TdbFileToDatabase>{}, // no filters
                             });
    return items;
}

QString joinClauses(const QString &generalTable, const QStringList &joined)
{
    const QStringList candidates = QStringList{generalTable} + joined;
    QString sql;
    for (const QString &t : joined) {
        for (const QString &l : candidates) {
            if (FindCatalogueField(l, QStringLiteral("id_") + t)) {
                sql += QStringLiteral(" LEFT OUTER JOIN ") + t + QStringLiteral(" ON ") + l + QStringLiteral(".id_") + t
                       + QLatin1Char('=') + t + QStringLiteral(".id");
                break;
            }
            if (FindCatalogueField(t, QStringLiteral("id_") + l)) {
                sql += QStringLiteral(" LEFT OUTER JOIN ") + t + QStringLiteral(" ON ") + l + QStringLiteral(".id=") + t
                       + QStringLiteral(".id_") + l;
                break;
            }
        }
    }
    return sql;
}

class Conditions {
public:
    explicit Conditions(SqlStatement &statement) : m_statement(statement) {}
    SqlStatement &next()
    {
        m_statement.sql(m_first ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "));
        m_first = false;
        return m_statement;
    }

private:
    SqlStatement &m_statement;
    bool m_first = true;
};

void editCondition(TdbEdit *edit, Conditions &where, QWidget *messageOwner)
{
    const QString text = edit->text();
    if (text.isEmpty())
        return;
    const QString column = columnOf(edit->dbTable(), edit->dbField());
    if (edit->dbFilter() == QLatin1String("=")) {
        where.next().matches(column, text.toUpper());
        return;
    }
    if (!isWholeNumber(text)) {
        interaction().showMessage(messageOwner, {quoted(text) + QStringLiteral(" Not a number."),
                                                 QStringLiteral("Error"), MessageIcon::Information});
        edit->clear();
        return;
    }
    where.next().sql(column + edit->dbFilter() + text);
}

// A date condition compares the main table's column with midnight of the control's day.
template <class DateControl> void dateCondition(DateControl *control, const QString &generalTable, Conditions &where)
{
    if (GetCatalogueFieldType(control->dbTable(), control->dbField()) != QLatin1String("DATE"))
        return;
    control->setDateTime(control->dateTime().datePart());
    where.next()
        .sql(columnOf(generalTable, control->dbField()) + QLatin1Char(' ') + control->dbFilter() + QLatin1Char(' '))
        .text(control->dbStringDateTime());
}

void filterConditions(const QList<QObject *> &controls, const QString &generalTable, SqlStatement &statement,
                      QWidget *messageOwner)
{
    Conditions where(statement);
    for (QObject *c : controls)
        visitBoundControl(
            c, Overloads{
                   [&](TdbEdit &e) { editCondition(&e, where, messageOwner); },
                   [&](TdbMemo &m) {
                       if (!m.text().isEmpty())
                           where.next().matches(columnOf(m.dbTable(), m.dbField()), m.text().toUpper());
                   },
                   [&](TdbEditCount &n) {
                       if (!n.text().isEmpty())
                           where.next().sql(n.dbTable() + QStringLiteral(".record_count = ")).numberOrText(n.text());
                   },
                   [&](TdbCheckBox &b) {
                       if (b.state() != TdbCheckBox::cbGrayed)
                           where.next().sql(columnOf(b.dbTable(), b.dbField()) + QLatin1Char('=') + b.sqlValue());
                   },
                   [&](TdbComboBox &x) {
                       if (x.dbItemID() != -1)
                           where.next().sql(generalTable + QStringLiteral(".id_") + x.dbTable() + QLatin1Char('=')
                                            + QString::number(x.dbItemID()));
                   },
                   [&](TdbDateTimePicker &p) {
                       if (p.checked() && p.kind() == TdbDateTimePicker::dtkDate)
                           dateCondition(&p, generalTable, where);
                   },
                   [&](TdbMonthCalendar &k) { dateCondition(&k, generalTable, where); },
                   Ignore<TdbStringGridEx, TdbImageDataBase, TdbFileToDatabase>{}, // no filters
               });
}

} // namespace

SqlStatement buildSearchStatement(const SearchParameters &search, const FormBase *form, QWidget *messageOwner)
{
    const QString &gt = search.generalTable;
    const bool limitedToParent = search.parentTableId != -1;
    const QList<QObject *> controls = limitedToParent ? QList<QObject *>() : filterControls(search, form);

    SqlStatement statement(QStringLiteral("SELECT DISTINCT ") + search.listFields + QLatin1Char(',') + gt
                           + QStringLiteral(".id FROM ") + gt);
    const QStringList joined = GetJoinedTables(gt, filterTables(controls) + search.listFields);
    statement.sql(joinClauses(gt, joined));

    if (!limitedToParent)
        filterConditions(controls, gt, statement, messageOwner);
    else if (search.parentTableId >= 0 && FindCatalogueField(gt, QStringLiteral("id_") + search.parentTable))
        statement.sql(QStringLiteral(" WHERE ") + gt + QStringLiteral(".id_") + search.parentTable + QLatin1Char('=')
                      + QString::number(search.parentTableId));

    if (!search.sortField.isEmpty())
        statement.sql(QStringLiteral(" ORDER BY ") + search.sortField
                      + (search.sortAsc ? QStringLiteral(" ASC") : QStringLiteral(" DESC")));
    return statement;
}

} // namespace tarvo

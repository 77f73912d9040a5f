#include "schema/createtables.h"

#include "schema/inifile.h"

namespace tarvo {

namespace {

QString columnType(const QString &typeWord)
{
    static const QList<QPair<QString, QString>> mapped = {
        {QStringLiteral("DATE"), QStringLiteral("TEXT")},     {QStringLiteral("TIME"), QStringLiteral("TEXT")},
        {QStringLiteral("DATETIME"), QStringLiteral("TEXT")}, {QStringLiteral("BOOLEAN"), QStringLiteral("INTEGER")},
        {QStringLiteral("IMAGE"), QStringLiteral("BLOB")},    {QStringLiteral("FILE"), QStringLiteral("BLOB")},
    };
    for (const auto &[word, type] : mapped) {
        if (typeWord == word)
            return type;
    }
    return typeWord;
}

bool startsWithOneOf(const QString &key, QStringView markers)
{
    return !key.isEmpty() && markers.contains(key.front());
}

// The three column tests run in order on the key as each leaves it; a key that is a marker alone
// names no column and adds nothing.
void addColumns(QString key, const QString &value, QList<ColumnDefinition> &columns)
{
    if (startsWithOneOf(key, u"_-")) {
        const QString type = columnType(value);
        const bool notNull = key.front() == u'-';
        key.remove(0, 1);
        if (key.isEmpty())
            return;
        columns.append({key, type, notNull});
        if (type == QLatin1String("BLOB"))
            columns.append({key + QStringLiteral("_filename"), QStringLiteral("TEXT"), notNull});
    }
    if (startsWithOneOf(key, u">^+")) {
        const bool notNull = key.front() != u'>';
        key.remove(0, 1);
        if (key.isEmpty())
            return;
        columns.append({key, QStringLiteral("INTEGER"), notNull});
    }
    if (startsWithOneOf(key, u"*")) {
        key.remove(0, 1);
        if (key.isEmpty())
            return;
        columns.append({key, QStringLiteral("INTEGER"), false});
    }
}

} // namespace

QList<TableDefinition> ReadTableDefinitions(const QString &tablesIniPath)
{
    const IniFile ini = IniFile::load(tablesIniPath);
    QList<TableDefinition> tables;
    for (const QString &name : ini.sections()) {
        TableDefinition table{name, {}, {}};
        const QList<QPair<QString, QString>> entries = ini.entries(name);
        for (const auto &[key, value] : entries)
            addColumns(key, value, table.columns);
        for (const auto &[key, value] : entries)
            if (key.size() >= 2 && key.front() == u'^')
                table.foreignKeys.append({key.mid(1), value, true});
        tables.append(table);
    }
    return tables;
}

QString createTableStatement(const TableDefinition &table)
{
    QString sql = QStringLiteral("CREATE TABLE ") + table.name + QStringLiteral(" (id INTEGER PRIMARY KEY ASC");
    for (const ColumnDefinition &column : table.columns)
        sql += QStringLiteral(", ") + column.name + u' ' + column.type
               + (column.notNull ? QStringLiteral(" NOT NULL") : QString());
    for (const ColumnDefinition &key : table.foreignKeys)
        sql += QStringLiteral(", FOREIGN KEY(") + key.name + QStringLiteral(") REFERENCES ") + key.type
               + QStringLiteral("(id) ON DELETE CASCADE");
    return sql + QStringLiteral("); ");
}

QStringList BuildCreateTableStatements(const QString &tablesIniPath)
{
    QStringList statements;
    for (const TableDefinition &table : ReadTableDefinitions(tablesIniPath))
        statements.append(createTableStatement(table));
    return statements;
}

} // namespace tarvo

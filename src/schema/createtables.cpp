#include "schema/createtables.h"

#include "schema/inifile.h"

namespace tarvo {

namespace {

QString columnType(const QString &typeWord)
{
    static const QList<QPair<QString, QString>> mapped = {
        {QStringLiteral("DATE"), QStringLiteral("TEXT")},
        {QStringLiteral("TIME"), QStringLiteral("TEXT")},
        {QStringLiteral("DATETIME"), QStringLiteral("TEXT")},
        {QStringLiteral("BOOLEAN"), QStringLiteral("INTEGER")},
        {QStringLiteral("IMAGE"), QStringLiteral("BLOB")},
        {QStringLiteral("FILE"), QStringLiteral("BLOB")},
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
QString columnDefinitions(QString key, const QString &value)
{
    QString out;
    if (startsWithOneOf(key, u"_-")) {
        const QString type = columnType(value);
        const QString constraint = key.front() == u'-' ? QStringLiteral(" NOT NULL") : QString();
        key.remove(0, 1);
        if (key.isEmpty())
            return out;
        out += QStringLiteral(", ") + key + u' ' + type + constraint;
        if (type == QLatin1String("BLOB"))
            out += QStringLiteral(", ") + key + QStringLiteral("_filename TEXT") + constraint;
    }
    if (startsWithOneOf(key, u">^+")) {
        const QString constraint = key.front() == u'>' ? QString() : QStringLiteral(" NOT NULL");
        key.remove(0, 1);
        if (key.isEmpty())
            return out;
        out += QStringLiteral(", ") + key + QStringLiteral(" INTEGER") + constraint;
    }
    if (startsWithOneOf(key, u"*")) {
        key.remove(0, 1);
        if (key.isEmpty())
            return out;
        out += QStringLiteral(", ") + key + QStringLiteral(" INTEGER");
    }
    return out;
}

QString foreignKey(const QString &key, const QString &value)
{
    if (key.size() < 2 || key.front() != u'^')
        return {};
    return QStringLiteral(", FOREIGN KEY(") + key.mid(1) + QStringLiteral(") REFERENCES ") + value
           + QStringLiteral("(id) ON DELETE CASCADE");
}

QString createTable(const QString &table, const QList<QPair<QString, QString>> &entries)
{
    QString sql = QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (id INTEGER PRIMARY KEY ASC");
    for (const auto &[key, value] : entries)
        sql += columnDefinitions(key, value);
    for (const auto &[key, value] : entries)
        sql += foreignKey(key, value);
    return sql + QStringLiteral("); ");
}

} // namespace

QStringList BuildCreateTableStatements(const QString &tablesIniPath)
{
    const IniFile ini = IniFile::load(tablesIniPath);
    QStringList statements;
    for (const QString &table : ini.sections())
        statements.append(createTable(table, ini.entries(table)));
    return statements;
}

} // namespace tarvo

#pragma once
// The field catalogue read from tables.ini: (table, field, type) entries in file order, with
// exact, case-sensitive lookups. One catalogue per process, loaded at start-up.
#include <QList>
#include <QString>
#include <QStringList>

namespace tarvo {

struct CatalogueEntry {
    QString table;
    QString field;
    QString type;
};

// Replaces the process-wide catalogue; a missing or empty file gives an empty one.
void LoadFieldCatalogue(const QString &tablesIniPath);
void ReleaseFieldCatalogue();
const QList<CatalogueEntry> &FieldCatalogue();

bool FindCatalogueField(const QString &table, const QString &field);
QString GetCatalogueFieldType(const QString &table, const QString &field);
// Tables named by "table.field" items (split at every comma), other than `table`, sorted ignoring
// case, duplicates dropped, dictionary tables moved towards the end.
QStringList GetJoinedTables(const QString &table, const QString &items);
// Reads projectFolder() + "tables.ini" anew on every call.
bool IsDictionaryTable(const QString &table);

} // namespace tarvo

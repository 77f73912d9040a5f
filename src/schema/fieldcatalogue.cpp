#include "schema/fieldcatalogue.h"

#include "platform/projectfolder.h"
#include "schema/inifile.h"

namespace tarvo {

namespace {

QList<CatalogueEntry> &catalogue()
{
    static QList<CatalogueEntry> entries;
    return entries;
}

const QString kStrippedMarkers = QStringLiteral("_->^+");
const QString kIntegerMarkers = QStringLiteral(">^+");
const QString kAllMarkers = QStringLiteral("_->^+*");

CatalogueEntry catalogueEntry(const QString &table, QString key, QString type)
{
    const QChar marker = key.front();
    if (kIntegerMarkers.contains(marker))
        type = QStringLiteral("INTEGER");
    if (kStrippedMarkers.contains(marker))
        key.remove(0, 1);
    return {table, key, type};
}

const CatalogueEntry *findEntry(const QString &table, const QString &field)
{
    for (const CatalogueEntry &entry : catalogue()) {
        if (entry.table == table && entry.field == field)
            return &entry;
    }
    return nullptr;
}

// Sorted ignoring case, a name already present (ignoring case) left out.
void insertSorted(QStringList &names, const QString &name)
{
    qsizetype at = 0;
    for (; at < names.size(); ++at) {
        const int order = names[at].compare(name, Qt::CaseInsensitive);
        if (order == 0)
            return;
        if (order > 0)
            break;
    }
    names.insert(at, name);
}

} // namespace

void LoadFieldCatalogue(const QString &tablesIniPath)
{
    QList<CatalogueEntry> entries;
    const IniFile ini = IniFile::load(tablesIniPath);
    for (const QString &table : ini.sections()) {
        for (const auto &[key, value] : ini.entries(table)) {
            // A marker alone names no column.
            if (key == QLatin1String("isdictionary") || key.isEmpty()
                || (key.size() == 1 && kAllMarkers.contains(key.front())))
                continue;
            entries.append(catalogueEntry(table, key, value));
        }
    }
    catalogue() = entries;
}

void ReleaseFieldCatalogue()
{
    catalogue().clear();
}

const QList<CatalogueEntry> &FieldCatalogue()
{
    return catalogue();
}

bool FindCatalogueField(const QString &table, const QString &field)
{
    return findEntry(table, field) != nullptr;
}

QString GetCatalogueFieldType(const QString &table, const QString &field)
{
    const CatalogueEntry *entry = findEntry(table, field);
    return entry ? entry->type : QString();
}

QStringList GetJoinedTables(const QString &table, const QString &items)
{
    QStringList tables;
    for (const QString &item : items.split(u',')) {
        const qsizetype dot = item.indexOf(u'.');
        const QString name = dot < 0 ? QString() : item.left(dot);
        if (name != table)
            insertSorted(tables, name);
    }
    // Dictionaries go towards the end: one pass, each swapped with the last entry.
    const qsizetype last = tables.size() - 1;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        if (IsDictionaryTable(tables[i]))
            tables.swapItemsAt(i, last);
    }
    return tables;
}

bool IsDictionaryTable(const QString &table)
{
    const IniFile ini = IniFile::load(projectFolder() + QStringLiteral("tables.ini"));
    return ini.integer(table, QStringLiteral("isdictionary"), 0) != 0;
}

} // namespace tarvo

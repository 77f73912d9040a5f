// tables.ini as a designer or a person may leave it: decoding, the ini reader, the field
// catalogue and the CREATE TABLE statements built from it.
#include "fuzzing.h"

#include "schema/createtables.h"
#include "schema/fieldcatalogue.h"
#include "schema/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    fuzz::startApplication();
    const QByteArray input = fuzz::bytes(data, size);
    const IniFile ini = IniFile::parse(decodeProjectText(input));
    for (const QString &section : ini.sections()) {
        ini.entries(section);
        ini.integer(section, QStringLiteral("Type"), 0);
    }

    const QString path = fuzz::writeInput(input, QStringLiteral("tables.ini"));
    LoadFieldCatalogue(path);
    BuildCreateTableStatements(path);
    if (!FieldCatalogue().isEmpty()) {
        const CatalogueEntry &first = FieldCatalogue().constFirst();
        GetCatalogueFieldType(first.table, first.field);
        GetJoinedTables(first.table, first.table + QLatin1Char('.') + first.field + QStringLiteral(",x.y,,."));
        IsDictionaryTable(first.table);
    }
    ReleaseFieldCatalogue();
    return 0;
}

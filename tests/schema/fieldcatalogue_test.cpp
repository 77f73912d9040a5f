#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

class FieldCatalogueTest : public ::testing::Test {
protected:
    void load(const QString &tablesIni)
    {
        m_folder.write(QStringLiteral("tables.ini"), tablesIni);
        setProjectFolder(m_folder.path());
        LoadFieldCatalogue(m_folder.file(QStringLiteral("tables.ini")));
    }
    void TearDown() override
    {
        ReleaseFieldCatalogue();
        setProjectFolder(QString());
    }
    test::ProjectFolder m_folder;
};

} // namespace

TEST_F(FieldCatalogueTest, EntriesInFileOrder)
{
    load(QStringLiteral("[orders]\n_Name=TEXT\n^id_customers=customers\n>id_a=x\n+id_b=y\n*record_count=100\n"
                        "isdictionary=1\nIsDictionary=1\n_expr=a=b\n_Name=DATE\n_=TEXT\n*=3\n[city]\n-title=TEXT\n"));
    QStringList rows;
    for (const CatalogueEntry &e : FieldCatalogue())
        rows.append(e.table + u'|' + e.field + u'|' + e.type);
    EXPECT_EQ(rows, QStringList({u"orders|Name|TEXT"_s, u"orders|id_customers|INTEGER"_s, u"orders|id_a|INTEGER"_s,
                                 u"orders|id_b|INTEGER"_s, u"orders|*record_count|100"_s, u"orders|IsDictionary|1"_s,
                                 u"orders|expr|a=b"_s, u"orders|Name|DATE"_s, u"city|title|TEXT"_s}));
}

TEST_F(FieldCatalogueTest, LookupsAreExact)
{
    load(QStringLiteral("[orders]\n_Name=TEXT\n_Name=DATE\n*record_count=100\n"));
    EXPECT_TRUE(FindCatalogueField(QStringLiteral("orders"), QStringLiteral("Name")));
    EXPECT_FALSE(FindCatalogueField(QStringLiteral("orders"), QStringLiteral("name")));
    EXPECT_FALSE(FindCatalogueField(QStringLiteral("Orders"), QStringLiteral("Name")));
    EXPECT_FALSE(FindCatalogueField(QStringLiteral("orders"), QStringLiteral("record_count")));
    EXPECT_EQ(GetCatalogueFieldType(QStringLiteral("orders"), QStringLiteral("Name")), QStringLiteral("TEXT"));
    EXPECT_EQ(GetCatalogueFieldType(QStringLiteral("orders"), QStringLiteral("*record_count")), QStringLiteral("100"));
    EXPECT_EQ(GetCatalogueFieldType(QStringLiteral("orders"), QStringLiteral("none")), QString());
}

TEST_F(FieldCatalogueTest, MissingFileGivesEmptyCatalogue)
{
    load(QStringLiteral("[x]\n_a=TEXT\n"));
    LoadFieldCatalogue(m_folder.file(QStringLiteral("missing.ini")));
    EXPECT_TRUE(FieldCatalogue().isEmpty());
    EXPECT_FALSE(FindCatalogueField(QStringLiteral("x"), QStringLiteral("a")));
}

TEST_F(FieldCatalogueTest, IsDictionaryTableReadsTheFile)
{
    load(QStringLiteral("[one]\nisdictionary=1\n[hex]\nisdictionary=$10\n[mixed]\nIsDictionary=1\n"
                        "[yes]\nisdictionary=true\n[zero]\nisdictionary=0\n[none]\n_a=TEXT\n"));
    const struct {
        const char *table;
        bool expected;
    } cases[] = {
        {"one", true},  {"ONE", true},   {"hex", true},   {"mixed", true},
        {"yes", false}, {"zero", false}, {"none", false}, {"absent", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsDictionaryTable(QString::fromUtf8(c.table)), c.expected) << c.table;
    // Read anew: a change on disk shows without reloading the catalogue.
    m_folder.write(QStringLiteral("tables.ini"), QStringLiteral("[zero]\nisdictionary=2\n"));
    EXPECT_TRUE(IsDictionaryTable(QStringLiteral("zero")));
}

TEST_F(FieldCatalogueTest, JoinedTables)
{
    load(QStringLiteral("[city]\nisdictionary=1\n[ad]\nisdictionary=1\n[bd]\nisdictionary=1\n[cd]\nisdictionary=1\n"));
    const struct {
        const char *table;
        const char *items;
        QStringList expected;
    } cases[] = {
        {"orders", "orders.number,customers.name,city.name,customers.phone", {u"customers"_s, u"city"_s}},
        {"orders", "orders.number,customers.name,customers.phone", {u"customers"_s}},
        {"x", "a.f,bd.f,c.f", {u"a"_s, u"c"_s, u"bd"_s}},
        {"x", "ad.f,b.f,cd.f", {u"cd"_s, u"b"_s, u"ad"_s}},
        {"x", "c.f,A.f,a.g,B.f", {u"A"_s, u"B"_s, u"c"_s}}, // sorted and de-duplicated ignoring case
        {"x", "a.f,city.f,c.f", {u"a"_s, u"c"_s, u"city"_s}},
        {"x", "a.f,noDot,other", {u""_s, u"a"_s}}, // no "." gives the empty name, once
        {"a", "a.f,A.g", {u"A"_s}},                // only the exact table name is left out
        {"x", "", {u""_s}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetJoinedTables(QString::fromUtf8(c.table), QString::fromUtf8(c.items)), c.expected) << c.items;
}

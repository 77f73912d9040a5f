#include "actions/dictionaries.h"
#include "controls/dbcombobox.h"
#include "controls/tform.h"
#include "schema/sqlconnection.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

struct BoxCase {
    const char *name;
    const char *table;
    const char *field;
    bool sort;
    int defaultId;
    QStringList texts; // expected items, the empty first entry included
    QStringList ids;
    int current;
};

QStringList u8(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *item : items)
        out << QString::fromUtf8(item);
    return out;
}

class Dictionaries : public testing::Test {
protected:
    void SetUp() override
    {
        db.setDatabase(dir.filePath(u"t.db"_s));
        db.open();
        db.execute(u"CREATE TABLE person (id INTEGER PRIMARY KEY, lastname TEXT, firstname TEXT)"_s);
        db.execute(QString::fromUtf8("INSERT INTO person VALUES (3, 'Smith', 'Ann'), (5, NULL, 'Bob'),"
                                     " (8, 'ИВАНОВ', 'ПЁТР')"));
        db.execute(u"CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT)"_s);
        db.execute(u"INSERT INTO city VALUES (1, 'Oslo'), (2, 'Bergen')"_s);
    }

    TdbComboBox *box(const char *table, const char *field, bool sort = false, int defaultId = 0)
    {
        auto *b = new TdbComboBox(&form);
        b->setDbTable(QString::fromUtf8(table));
        b->setDbField(QString::fromUtf8(field));
        b->setDbSort(sort);
        b->setDbDefaultID(defaultId);
        form.addComponent(b);
        return b;
    }

    static QStringList texts(const TdbComboBox *b)
    {
        QStringList out;
        for (int i = 0; i < b->count(); ++i)
            out << b->itemText(i);
        return out;
    }

    QTemporaryDir dir;
    SqlConnection db;
    TForm form;
};

TEST_F(Dictionaries, EachBoxGetsItsRowsIdsAndDefaultItem)
{
    const BoxCase cases[] = {
        {"single_column", "city", "name", false, 0, u8({"", "Oslo", "Bergen"}), u8({"-1", "1", "2"}), 0},
        {"sorted", "city", "name", true, 0, u8({"", "Bergen", "Oslo"}), u8({"-1", "2", "1"}), 0},
        {"null_and_cyrillic_case", "person", "lastname", false, 2, u8({"", "Smith", "", "Иванов"}),
         u8({"-1", "3", "5", "8"}), 2},
        {"template", "person", "{lastname}, {firstname}", false, 0, u8({"", "Smith, Ann", ", Bob", "Иванов, пётр"}),
         u8({"-1", "3", "5", "8"}), 0},
        {"one_field_template", "person", "Mr {firstname}", false, 0, u8({"", "Mr Ann", "Mr Bob", "Mr пётр"}),
         u8({"-1", "3", "5", "8"}), 0},
        {"default_too_large", "city", "name", false, 3, u8({"", "Oslo", "Bergen"}), u8({"-1", "1", "2"}), -1},
        {"empty_field", "city", "", false, 0, {}, {}, -1},
        // No field name means no query at all: the missing table raises nothing.
        {"template_without_field", "missing", "no field}", false, 0, u8({""}), u8({"-1"}), 0},
        {"empty_braces", "missing", "{}", false, 0, u8({""}), u8({"-1"}), 0},
    };
    QList<TdbComboBox *> boxes;
    for (const BoxCase &c : cases)
        boxes << box(c.table, c.field, c.sort, c.defaultId);
    FillDictionaries(db, QString());
    for (int i = 0; i < std::ssize(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(texts(boxes[i]), cases[i].texts);
        EXPECT_EQ(boxes[i]->itemIdStrings(), cases[i].ids);
        EXPECT_EQ(boxes[i]->currentIndex(), cases[i].current);
    }
}

TEST_F(Dictionaries, TableNameRefillsOnlyItsBoxesAndARefillDoesNotDuplicate)
{
    TdbComboBox *city = box("city", "name");
    TdbComboBox *person = box("person", "lastname");
    FillDictionaries(db, QString());
    db.execute(u"INSERT INTO city VALUES (4, 'Bodø')"_s);
    db.execute(u"INSERT INTO person VALUES (9, 'Lee', 'Kim')"_s);
    FillDictionaries(db, u"city"_s);
    EXPECT_EQ(city->itemIdStrings(), u8({"-1", "1", "2", "4"}));
    EXPECT_EQ(city->count(), 4);
    EXPECT_EQ(person->itemIdStrings(), u8({"-1", "3", "5", "8"}));
    city->setDbItemID(4);
    EXPECT_EQ(city->currentText(), QString::fromUtf8("Bodø"));
    EXPECT_EQ(city->dbItemID(), 4);
}

} // namespace

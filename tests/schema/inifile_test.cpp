#include "platform/errors.h"
#include "schema/inifile.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace Qt::StringLiterals;

TEST(IniFile, ParsesSectionsKeysInFileOrder)
{
    const IniFile ini = IniFile::parse(QStringLiteral("stray=before any section\r\n"
                                                      "[Orders]\r\n"
                                                      "; a comment=not a key\r\n"
                                                      "  -number  =  TEXT  \r\n"
                                                      "no equals sign here\n"
                                                      "_expr=a=b\n"
                                                      "_Name=TEXT\n"
                                                      "_name=INTEGER\n"
                                                      "[city] ; trailing note\n"
                                                      "isdictionary=0x1F\n"));
    EXPECT_EQ(ini.sections(), QStringList({u"Orders"_s, u"city"_s}));
    EXPECT_EQ(ini.keys(QStringLiteral("orders")), QStringList({u"-number"_s, u"_expr"_s, u"_Name"_s, u"_name"_s}));
    EXPECT_EQ(ini.value(QStringLiteral("ORDERS"), QStringLiteral("-NUMBER")), QStringLiteral("TEXT"));
    EXPECT_EQ(ini.value(QStringLiteral("Orders"), QStringLiteral("_expr")), QStringLiteral("a=b"));
    // Duplicates ignoring case: the lookup finds the first, the pairs keep both.
    EXPECT_EQ(ini.value(QStringLiteral("Orders"), QStringLiteral("_name")), QStringLiteral("TEXT"));
    EXPECT_EQ(ini.entries(QStringLiteral("Orders")).last().second, QStringLiteral("INTEGER"));
    EXPECT_FALSE(ini.value(QStringLiteral("Orders"), QStringLiteral("; a comment")).has_value());
    EXPECT_EQ(ini.integer(QStringLiteral("city"), QStringLiteral("isdictionary"), 0), 31);
}

TEST(IniFile, Integer)
{
    const struct {
        const char *text;
        int expected;
    } cases[] = {
        {"1", 1}, {"-7", -7}, {"0", 0}, {"0x10", 16}, {"$ff", 255}, {"true", 99}, {"", 99}, {"1.5", 99}, {"0x", 99},
    };
    for (const auto &c : cases) {
        const IniFile ini = IniFile::parse(QStringLiteral("[s]\nk=") + QString::fromUtf8(c.text));
        EXPECT_EQ(ini.integer(QStringLiteral("s"), QStringLiteral("k"), 99), c.expected) << c.text;
    }
    EXPECT_EQ(IniFile().integer(QStringLiteral("s"), QStringLiteral("k"), 5), 5);
}

TEST(IniFile, DecodesProjectTextEncodings)
{
    const QString russian = QStringLiteral("[клиенты]\n_Фамилия=TEXT");
    QStringEncoder utf16(QStringConverter::Utf16LE);
    const QByteArray utf16Bytes = "\xFF\xFE" + QByteArray(utf16(russian));
    QStringEncoder cp1251("windows-1251");
    ASSERT_TRUE(cp1251.isValid());
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-16LE with BOM", utf16Bytes},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + russian.toUtf8()},
        {"UTF-8", russian.toUtf8()},
        {"Windows-1251", QByteArray(cp1251(russian))},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(decodeProjectText(c.bytes), russian) << c.name;
        const IniFile ini = IniFile::parse(decodeProjectText(c.bytes));
        EXPECT_EQ(ini.value(QStringLiteral("КЛИЕНТЫ"), QStringLiteral("_фамилия")), QStringLiteral("TEXT")) << c.name;
    }
}

TEST(IniFile, BadFilesGiveEmptyOrPartialContent)
{
    test::ProjectFolder folder;
    EXPECT_TRUE(IniFile::load(folder.file(QStringLiteral("missing.ini"))).sections().isEmpty());
    folder.write(QStringLiteral("empty.ini"), QByteArray());
    EXPECT_TRUE(IniFile::load(folder.file(QStringLiteral("empty.ini"))).sections().isEmpty());
    EXPECT_TRUE(IniFile::load(folder.path()).sections().isEmpty()); // a directory

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919 + 13) % 256));
    garbage.append("\n[t]\n_a=TEXT\n\xFF\xFE\x00\x98");
    folder.write(QStringLiteral("garbage.ini"), garbage);
    const IniFile ini = IniFile::load(folder.file(QStringLiteral("garbage.ini")));
    EXPECT_EQ(ini.value(QStringLiteral("t"), QStringLiteral("_a")), QStringLiteral("TEXT"));
    // An odd-length UTF-16 file must not crash either.
    EXPECT_NO_THROW(decodeProjectText(QByteArray("\xFF\xFE[\x00t\x00]", 7)));
}

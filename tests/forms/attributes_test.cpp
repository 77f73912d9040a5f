#include "controls/dbcheckbox.h"
#include "forms/attributes.h"
#include "forms/attributetable.h"
#include "forms/controlbuilders.h"
#include "support/printto.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo {
namespace {

TEST(IntegerRule, ReadsTheAcceptedFormsAndFallsBackOnEverythingElse)
{
    const struct {
        const char *text;
        qint32 expected;
    } cases[] = {
        {"42", 42},
        {"   42", 42},
        {"+7", 7},
        {"-7", -7},
        {"2147483647", 2147483647},
        {"-2147483648", qint32(0x80000000)},
        {"$FF", 255},
        {"xff", 255},
        {"X1F", 31},
        {"0x10", 16},
        {"0X10", 16},
        {"$FF000005", -16777211},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"007", 7},
        // everything below reads as the default
        {"", -99},
        {" ", -99},
        {"42 ", -99},
        {"42px", -99},
        {"word", -99},
        {"2147483648", -99},
        {"-2147483649", -99},
        {"99999999999999999999", -99},
        {"$123456789", -99},
        {"0x", -99},
        {"$", -99},
        {"+-1", -99},
        {"- 1", -99},
        {"1.5", -99},
        {"0x0x1", -99},
        {"\t1", -99},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readInteger(QString::fromUtf8(c.text), -99), c.expected) << c.text;
}

TEST(ColourRule, ReadsRgbAndSystemColoursAndRejectsNames)
{
    const QPalette palette = QGuiApplication::palette();
    const QColor base = palette.color(QPalette::Base);
    const struct {
        const char *text;
        std::optional<QColor> expected;
    } cases[] = {
        {"255", QColor(255, 0, 0)},
        {" 255", QColor(255, 0, 0)},
        {"255 ", std::nullopt},
        {"$00FF0000", QColor(0, 0, 255)},
        {"$0000FF00", QColor(0, 255, 0)},
        {"-16777211", base},
        {"$FF000005", base},
        {"0xFF000005", base},
        {"$FF00000F", palette.color(QPalette::Button)},
        {"clWindow", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readColour(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(BooleanRule, OnlyTheExactTextTrueIsTrue)
{
    EXPECT_TRUE(readBoolean(u"True"));
    for (const char *text : {"true", "TRUE", "1", " True", "True ", "", "False"})
        EXPECT_FALSE(readBoolean(QString::fromUtf8(text))) << text;
}

TEST(EnumerationRule, MatchesExactTextsOnly)
{
    const QMetaEnum keys = QMetaEnum::fromType<TdbCheckBox::TCheckBoxState>();
    EXPECT_EQ(readEnumeration(u"cbGrayed", keys), 2);
    EXPECT_EQ(readEnumeration(u"cbgrayed", keys), std::nullopt);
    EXPECT_EQ(readEnumeration(u"TdbCheckBox::cbGrayed", keys), std::nullopt);
    EXPECT_EQ(readEnumeration(u"", keys), std::nullopt);
}

TEST(ComparisonRule, TranslatesBracketsOnlyWhereAsked)
{
    const struct {
        const char *text;
        const char *withBrackets;
        const char *withoutBrackets;
    } cases[] = {
        {"=", "=", "="},  {">", ">", ">"}, {">=", ">=", ">="}, {"<", "<", "<"},   {"<=", "<=", "<="},
        {"(", "<", "="},  {")", ">", "="}, {"(=", "<=", "="},  {")=", ">=", "="}, {"()", "=", "="},
        {"<>", "=", "="}, {"", "=", "="},  {" =", "=", "="},   {"==", "=", "="},  {"like", "=", "="},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(readComparison(QString::fromUtf8(c.text), true), QString::fromUtf8(c.withBrackets)) << c.text;
        EXPECT_EQ(readComparison(QString::fromUtf8(c.text), false), QString::fromUtf8(c.withoutBrackets)) << c.text;
    }
}

TEST(StatementRule, TurnsTheFourCharacterBreakIntoCrLfOnly)
{
    EXPECT_EQ(readStatement(uR"(SELECT *\r\nFROM t)"), u"SELECT *\r\nFROM t"_s);
    EXPECT_EQ(readStatement(uR"(a\r\nb\r\nc)"), u"a\r\nb\r\nc"_s);
    EXPECT_EQ(readStatement(uR"(a\nb)"), uR"(a\nb)"_s);
    EXPECT_EQ(readStatement(uR"(a\r\\nb)"), uR"(a\r\\nb)"_s);
}

TEST(FontStyleRule, TakesTheLowFourStyleBits)
{
    const struct {
        qint32 style;
        bool bold, italic, underline, strikeOut;
    } cases[] = {
        {0, false, false, false, false},  {1, true, false, false, false}, {2, false, true, false, false},
        {5, true, false, true, false},    {8, false, false, false, true}, {15, true, true, true, true},
        {16, false, false, false, false},
    };
    for (const auto &c : cases) {
        QFont font;
        font.setBold(true); // the style replaces what was there
        applyFontStyle(font, c.style);
        EXPECT_EQ(font.bold(), c.bold) << c.style;
        EXPECT_EQ(font.italic(), c.italic) << c.style;
        EXPECT_EQ(font.underline(), c.underline) << c.style;
        EXPECT_EQ(font.strikeOut(), c.strikeOut) << c.style;
    }
}

TEST(IdentifierRule, LettersOfAnyScriptUnderscoresAndDigitsAfterTheFirst)
{
    for (const char *name : {"a", "_", "Edit1", "_x_1", "Поле1", "Ä"})
        EXPECT_TRUE(isIdentifier(QString::fromUtf8(name))) << name;
    for (const char *name : {"", "1abc", "a b", "a-b", "a.b", "#comment", "#text", " a"})
        EXPECT_FALSE(isIdentifier(QString::fromUtf8(name))) << name;
}

XmlNode element(const char *xml)
{
    QByteArray bytes(xml);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readXmlDocument(buffer, u"test"_s);
}

TEST(AttributeTable, GivesEachElementItsDefaults)
{
    const XmlNode empty = element("<X/>");
    const AttributeReader edit(empty, *controlAttributes(u"TdbEdit"_s));
    EXPECT_EQ(edit.integer("FontSize"), 8);
    EXPECT_EQ(edit.integer("TabOrder"), 999);
    EXPECT_EQ(edit.colour("Color"), QGuiApplication::palette().color(QPalette::Base));
    EXPECT_EQ(edit.colour("FontColor"), QColor(Qt::black));
    EXPECT_EQ(edit.comparison("dbFilter"), u"="_s);

    const AttributeReader panel(empty, *controlAttributes(u"TdbPanel"_s));
    EXPECT_EQ(panel.colour("Color"), QGuiApplication::palette().color(QPalette::Button));

    const AttributeReader form(empty, formAttributes());
    EXPECT_EQ(form.integer("Width"), 640);
    EXPECT_EQ(form.integer("Height"), 480);
    EXPECT_EQ(form.colour("Color"), std::nullopt);

    const AttributeReader counter(empty, *controlAttributes(u"TdbEditCount"_s));
    EXPECT_EQ(counter.integer("dbBeginValue"), 1);
    EXPECT_EQ(AttributeReader(empty, *controlAttributes(u"TdbComboBox"_s)).integer("DropDownCount"), 8);
    EXPECT_EQ(AttributeReader(empty, *controlAttributes(u"TdbStringGrid"_s)).integer("DefaultRowHeight"), 18);
    EXPECT_EQ(AttributeReader(empty, *controlAttributes(u"TdbButton"_s)).enumeration("dbActionType"), std::nullopt);

    EXPECT_EQ(controlAttributes(u"TdbFrame"_s), nullptr);
    EXPECT_EQ(controlAttributes(u"tdbedit"_s), nullptr);
}

TEST(AttributeTable, ReadsEachAttributeByItsElementsRule)
{
    const XmlNode e = element(R"(<X dbFilter="(=" dbSQL="a\r\nb" FontStyle="$105"
        dbActionType="adbReport" PageIndex="-3" Width="800" Height="word"/>)");
    EXPECT_EQ(AttributeReader(e, *controlAttributes(u"TdbEdit"_s)).comparison("dbFilter"), u"<="_s);
    EXPECT_EQ(AttributeReader(e, *controlAttributes(u"TdbDateTimePicker"_s)).comparison("dbFilter"), u"<="_s);
    EXPECT_EQ(AttributeReader(e, *controlAttributes(u"TdbMonthCalendar"_s)).comparison("dbFilter"), u"="_s);
    const AttributeReader button(e, *controlAttributes(u"TdbButton"_s));
    EXPECT_EQ(button.statement("dbSQL"), u"a\r\nb"_s);
    EXPECT_EQ(button.fontStyle("FontStyle"), 5);
    EXPECT_EQ(button.enumeration("dbActionType"), 7);
    EXPECT_EQ(AttributeReader(e, *controlAttributes(u"TdbTabSheet"_s)).integer("PageIndex"), 0);
    const AttributeReader form(e, formAttributes());
    EXPECT_EQ(form.integer("Width"), 800);
    EXPECT_EQ(form.integer("Height"), 480);
}

TEST(AttributeTable, RefusesAnAttributeTheElementDoesNotRead)
{
    const XmlNode e = element(R"(<X Width="50" Color="255"/>)");
    EXPECT_THROW(AttributeReader(e, *controlAttributes(u"TdbLabel"_s)).integer("Width"), std::logic_error);
    EXPECT_THROW(AttributeReader(e, *controlAttributes(u"TdbButton"_s)).colour("Color"), std::logic_error);
    EXPECT_THROW(AttributeReader(e, *controlAttributes(u"TdbEdit"_s)).text("Left"), std::logic_error);
}

} // namespace
} // namespace tarvo

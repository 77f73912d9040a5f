#include "forms/attributetable.h"

#include <algorithm>
#include <stdexcept>

namespace tarvo {

namespace {

constexpr qint32 windowBackground = qint32(0xFF000005);
constexpr qint32 buttonFace = qint32(0xFF00000F);

constexpr EnumText actionTypes[] = {
    {"adbNone", 0},     {"adbSearch", 1},   {"adbNewRecord", 2}, {"adbSaveRecord", 3},
    {"adbShowRecord", 4}, {"adbDelete", 5}, {"adbSQL", 6},       {"adbReport", 7},
    {"adbShowForm", 8}, {"adbCloseForm", 9}, {"adbGridToExcel", 10},
};
constexpr EnumText checkBoxStates[] = {{"cbUnchecked", 0}, {"cbChecked", 1}, {"cbGrayed", 2}};
constexpr EnumText dateTimeKinds[] = {{"dtkDate", 0}, {"dtkTime", 1}};
constexpr EnumText dateFormats[] = {{"dfShort", 0}, {"dfLong", 1}};
constexpr EnumText drawingStyles[] = {{"gdsClassic", 0}, {"gdsThemed", 1}, {"gdsGradient", 2}};

using Specs = std::vector<AttributeSpec>;

AttributeSpec text(const char *name) { return {name, Rule::Text, 0}; }
AttributeSpec integer(const char *name, qint32 fallback) { return {name, Rule::Integer, fallback}; }
AttributeSpec boolean(const char *name) { return {name, Rule::Boolean, 0}; }
AttributeSpec colour(const char *name, std::optional<qint32> fallback)
{
    return {name, Rule::Colour, fallback};
}
AttributeSpec enumeration(const char *name, std::span<const EnumText> texts)
{
    return {name, Rule::Enumeration, std::nullopt, texts};
}

Specs operator+(Specs a, const Specs &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The groups of common attributes, combined per element below.
const Specs name = {text("Name")};
const Specs position = {integer("Left", 0), integer("Top", 0)};
const Specs width = {integer("Width", 0)};
const Specs height = {integer("Height", 0)};
const Specs geometry = position + width + height;
const Specs caption = {text("Caption")};
const Specs font = {text("FontName"), integer("FontSize", 8), colour("FontColor", 0),
                    {"FontStyle", Rule::FontStyle, 0}};
const Specs keyboard = {boolean("TabStop"), integer("TabOrder", 999)};
const Specs windowColour = {colour("Color", windowBackground)};
const Specs binding = {text("dbTable"), text("dbField")};
const Specs pictureOptions = {boolean("Proportional"), boolean("Stretch"), boolean("Transparent")};

std::vector<ElementSpec> buildControlSpecs()
{
    return {
        {"TdbButton", true,
         name + geometry + caption + font + keyboard
             + Specs{text("dbIconName"), enumeration("dbActionType", actionTypes),
                     text("dbGeneralTable"), text("dbListControls"), text("dbListFields"),
                     text("dbListFieldsNames"), text("dbResultControl"), text("dbFormName"),
                     {"dbSQL", Rule::Statement, 0}, text("dbSortField"), boolean("dbSortAsc"),
                     boolean("dbConfirmDelete"), text("dbReportFile")}},
        {"TdbEdit", true,
         name + geometry + windowColour + font + keyboard
             + Specs{text("dbDefaultValue"), {"dbFilter", Rule::BracketComparison, 0}} + binding},
        {"TdbEditCount", true,
         name + geometry + windowColour + font + keyboard
             + Specs{boolean("ReadOnly"), text("dbTable"), integer("dbBeginValue", 1)}},
        {"TdbMemo", true,
         name + geometry + windowColour + font + keyboard + Specs{text("dbDefaultValue")} + binding},
        {"TdbCheckBox", true,
         name + geometry + caption + font + keyboard + binding
             + Specs{boolean("AllowGrayed"), enumeration("dbDefaultState", checkBoxStates)}},
        {"TdbDateTimePicker", true,
         name + geometry + font + keyboard
             + Specs{enumeration("Kind", dateTimeKinds), text("Format"),
                     {"dbFilter", Rule::BracketComparison, 0}, enumeration("DateFormat", dateFormats)}
             + binding + Specs{text("dbCalendarControl"), boolean("Checked")}},
        {"TdbMonthCalendar", true,
         name + geometry + keyboard + Specs{{"dbFilter", Rule::Comparison, 0}} + binding},
        {"TdbComboBox", true,
         name + geometry + font + keyboard + binding
             + Specs{integer("dbDefaultID", 0), integer("DropDownCount", 8), boolean("dbSort")}},
        {"TdbStringGrid", true,
         name + geometry + font + keyboard
             + Specs{integer("DefaultRowHeight", 18), enumeration("DrawingStyle", drawingStyles),
                     text("dbGeneralTable"), text("dbListFields"), text("dbListFieldsNames"),
                     boolean("dbAutoExecute"), text("dbSortField"), boolean("dbSortAsc")}},
        {"TdbLabel", false, name + position + height + caption + font},
        {"TdbPanel", true, name + geometry + Specs{colour("Color", buttonFace)} + keyboard},
        {"TdbGroupBox", true, name + geometry + caption + font + keyboard},
        {"TdbPageControl", true, name + geometry + font + keyboard},
        {"TdbTabSheet", true, name + caption + Specs{{"PageIndex", Rule::NonNegative, 0}}},
        {"TdbImage", false, name + geometry + Specs{text("dbFileName")} + pictureOptions},
        {"TdbImageDataBase", false, name + geometry + binding + pictureOptions},
        {"TdbFileToDatabase", true, name + position + width + windowColour + font + keyboard + binding},
    };
}

} // namespace

const AttributeSpec *ElementSpec::find(const char *attribute) const
{
    // Asked for on every read; the first letter settles most comparisons without a call.
    for (const AttributeSpec &a : attributes)
        if (a.name[0] == attribute[0] && qstrcmp(a.name, attribute) == 0)
            return &a;
    return nullptr;
}

const ElementSpec *controlSpec(const QString &element)
{
    static const std::vector<ElementSpec> specs = buildControlSpecs();
    for (const ElementSpec &spec : specs)
        if (element == QLatin1StringView(spec.element))
            return &spec;
    return nullptr;
}

const ElementSpec &formSpec()
{
    static const ElementSpec spec{
        "form", true,
        {integer("Width", 640), integer("Height", 480), colour("Color", std::nullopt), text("Caption")}};
    return spec;
}

AttributeReader::AttributeReader(const QDomElement &element, const ElementSpec &spec)
    : m_element(element), m_spec(spec)
{
}

const AttributeSpec &AttributeReader::spec(const char *name, std::initializer_list<Rule> rules) const
{
    const AttributeSpec *found = m_spec.find(name);
    const bool anyRule = rules.size() == 0;
    if (!found || (!anyRule && std::find(rules.begin(), rules.end(), found->rule) == rules.end()))
        throw std::logic_error(std::string(m_spec.element) + " does not read " + name + " that way");
    return *found;
}

QString AttributeReader::raw(const char *name) const
{
    spec(name, {});
    return m_element.attribute(QLatin1StringView(name));
}

QString AttributeReader::text(const char *name) const
{
    spec(name, {Rule::Text});
    return m_element.attribute(QLatin1StringView(name));
}

qint32 AttributeReader::integer(const char *name) const
{
    const AttributeSpec &s = spec(name, {Rule::Integer, Rule::NonNegative});
    const qint32 value = readInteger(m_element.attribute(QLatin1StringView(name)), *s.fallback);
    return s.rule == Rule::NonNegative ? qMax(value, 0) : value;
}

std::optional<QColor> AttributeReader::colour(const char *name) const
{
    const AttributeSpec &s = spec(name, {Rule::Colour});
    if (std::optional<QColor> c = readColour(m_element.attribute(QLatin1StringView(name))))
        return c;
    if (s.fallback)
        return colourFromValue(*s.fallback);
    return std::nullopt;
}

bool AttributeReader::boolean(const char *name) const
{
    spec(name, {Rule::Boolean});
    return readBoolean(m_element.attribute(QLatin1StringView(name)));
}

std::optional<int> AttributeReader::enumeration(const char *name) const
{
    const AttributeSpec &s = spec(name, {Rule::Enumeration});
    return readEnumeration(m_element.attribute(QLatin1StringView(name)), s.texts);
}

QString AttributeReader::comparison(const char *name) const
{
    const AttributeSpec &s = spec(name, {Rule::Comparison, Rule::BracketComparison});
    return readComparison(m_element.attribute(QLatin1StringView(name)),
                          s.rule == Rule::BracketComparison);
}

QString AttributeReader::statement(const char *name) const
{
    spec(name, {Rule::Statement});
    return readStatement(m_element.attribute(QLatin1StringView(name)));
}

qint32 AttributeReader::fontStyle(const char *name) const
{
    const AttributeSpec &s = spec(name, {Rule::FontStyle});
    return readInteger(m_element.attribute(QLatin1StringView(name)), *s.fallback) & 0xFF;
}

} // namespace tarvo

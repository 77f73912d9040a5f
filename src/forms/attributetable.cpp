#include "forms/attributetable.h"

#include "controls/dbbutton.h"
#include "controls/dbcheckbox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbstringgridex.h"

#include <algorithm>
#include <stdexcept>

namespace tarvo {

namespace {

constexpr qint32 windowBackground = qint32(0xFF000005);
constexpr qint32 buttonFace = qint32(0xFF00000F);

using Definitions = std::vector<AttributeDefinition>;

AttributeDefinition text(const char *name)
{
    return {name, Rule::Text, 0};
}
AttributeDefinition integer(const char *name, qint32 fallback)
{
    return {name, Rule::Integer, fallback};
}
AttributeDefinition boolean(const char *name)
{
    return {name, Rule::Boolean, 0};
}
AttributeDefinition colour(const char *name, std::optional<qint32> fallback)
{
    return {name, Rule::Colour, fallback};
}
// Read by the names of the enum's keys, as the control declares them.
template <class Enum> AttributeDefinition enumeration(const char *name)
{
    return {name, Rule::Enumeration, std::nullopt, QMetaEnum::fromType<Enum>()};
}

Definitions operator+(Definitions a, const Definitions &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The groups of common attributes, combined per element below.
const Definitions name = {text("Name")};
const Definitions position = {integer("Left", 0), integer("Top", 0)};
const Definitions width = {integer("Width", 0)};
const Definitions height = {integer("Height", 0)};
const Definitions geometry = position + width + height;
const Definitions caption = {text("Caption")};
const Definitions font = {text("FontName"),
                          integer("FontSize", 8),
                          colour("FontColor", 0),
                          {"FontStyle", Rule::FontStyle, 0}};
const Definitions keyboard = {boolean("TabStop"), integer("TabOrder", 999)};
const Definitions windowColour = {colour("Color", windowBackground)};
const Definitions binding = {text("dbTable"), text("dbField")};
const Definitions pictureOptions = {boolean("Proportional"), boolean("Stretch"), boolean("Transparent")};

std::vector<ElementAttributes> buildControlAttributes()
{
    return {
        {"TdbButton", true,
         name + geometry + caption + font + keyboard
             + Definitions{text("dbIconName"),
                           enumeration<TdbButton::TActionDbType>("dbActionType"),
                           text("dbGeneralTable"),
                           text("dbListControls"),
                           text("dbListFields"),
                           text("dbListFieldsNames"),
                           text("dbResultControl"),
                           text("dbFormName"),
                           {"dbSQL", Rule::Statement, 0},
                           text("dbSortField"),
                           boolean("dbSortAsc"),
                           boolean("dbConfirmDelete"),
                           text("dbReportFile")}},
        {"TdbEdit", true,
         name + geometry + windowColour + font + keyboard
             + Definitions{text("dbDefaultValue"), {"dbFilter", Rule::BracketComparison, 0}} + binding},
        {"TdbEditCount", true,
         name + geometry + windowColour + font + keyboard
             + Definitions{boolean("ReadOnly"), text("dbTable"), integer("dbBeginValue", 1)}},
        {"TdbMemo", true,
         name + geometry + windowColour + font + keyboard + Definitions{text("dbDefaultValue")} + binding},
        {"TdbCheckBox", true,
         name + geometry + caption + font + keyboard + binding
             + Definitions{boolean("AllowGrayed"), enumeration<TdbCheckBox::TCheckBoxState>("dbDefaultState")}},
        {"TdbDateTimePicker", true,
         name + geometry + font + keyboard
             + Definitions{enumeration<TdbDateTimePicker::TDateTimeKind>("Kind"),
                           text("Format"),
                           {"dbFilter", Rule::BracketComparison, 0},
                           enumeration<TdbDateTimePicker::TDTDateFormat>("DateFormat")}
             + binding + Definitions{text("dbCalendarControl"), boolean("Checked")}},
        {"TdbMonthCalendar", true,
         name + geometry + keyboard + Definitions{{"dbFilter", Rule::Comparison, 0}} + binding},
        {"TdbComboBox", true,
         name + geometry + font + keyboard + binding
             + Definitions{integer("dbDefaultID", 0), integer("DropDownCount", 8), boolean("dbSort")}},
        {"TdbStringGrid", true,
         name + geometry + font + keyboard
             + Definitions{integer("DefaultRowHeight", 18),
                           enumeration<TdbStringGridEx::TGridDrawingStyle>("DrawingStyle"), text("dbGeneralTable"),
                           text("dbListFields"), text("dbListFieldsNames"), boolean("dbAutoExecute"),
                           text("dbSortField"), boolean("dbSortAsc")}},
        {"TdbLabel", false, name + position + height + caption + font},
        {"TdbPanel", true, name + geometry + Definitions{colour("Color", buttonFace)} + keyboard},
        {"TdbGroupBox", true, name + geometry + caption + font + keyboard},
        {"TdbPageControl", true, name + geometry + font + keyboard},
        {"TdbTabSheet", true, name + caption + Definitions{{"PageIndex", Rule::NonNegative, 0}}},
        {"TdbImage", false, name + geometry + Definitions{text("dbFileName")} + pictureOptions},
        {"TdbImageDataBase", false, name + geometry + binding + pictureOptions},
        {"TdbFileToDatabase", true, name + position + width + windowColour + font + keyboard + binding},
    };
}

} // namespace

const AttributeDefinition *ElementAttributes::find(const char *attribute) const
{
    // Asked for on every read; the first letter settles most comparisons without a call.
    for (const AttributeDefinition &a : attributes)
        if (a.name[0] == attribute[0] && qstrcmp(a.name, attribute) == 0)
            return &a;
    return nullptr;
}

const ElementAttributes *controlAttributes(const QString &element)
{
    static const std::vector<ElementAttributes> table = buildControlAttributes();
    for (const ElementAttributes &entry : table)
        if (element == QLatin1StringView(entry.element))
            return &entry;
    return nullptr;
}

const ElementAttributes &formAttributes()
{
    static const ElementAttributes form{
        "form", true, {integer("Width", 640), integer("Height", 480), colour("Color", std::nullopt), text("Caption")}};
    return form;
}

AttributeReader::AttributeReader(const XmlNode &element, const ElementAttributes &attributes)
    : m_element(element), m_attributes(attributes)
{
}

const AttributeDefinition &AttributeReader::definition(const char *name, std::initializer_list<Rule> rules) const
{
    const AttributeDefinition *found = m_attributes.find(name);
    const bool anyRule = rules.size() == 0;
    if (!found || (!anyRule && std::find(rules.begin(), rules.end(), found->rule) == rules.end()))
        throw std::logic_error(std::string(m_attributes.element) + " does not read " + name + " that way");
    return *found;
}

QStringView AttributeReader::value(const char *name) const
{
    return m_element.attribute(QLatin1StringView(name));
}

QString AttributeReader::raw(const char *name) const
{
    definition(name, {});
    return value(name).toString();
}

QString AttributeReader::text(const char *name) const
{
    definition(name, {Rule::Text});
    return value(name).toString();
}

qint32 AttributeReader::integer(const char *name) const
{
    const AttributeDefinition &s = definition(name, {Rule::Integer, Rule::NonNegative});
    const qint32 number = readInteger(value(name), *s.fallback);
    return s.rule == Rule::NonNegative ? qMax(number, 0) : number;
}

std::optional<QColor> AttributeReader::colour(const char *name) const
{
    const AttributeDefinition &s = definition(name, {Rule::Colour});
    if (std::optional<QColor> c = readColour(value(name)))
        return c;
    if (s.fallback)
        return colourFromValue(*s.fallback);
    return std::nullopt;
}

bool AttributeReader::boolean(const char *name) const
{
    definition(name, {Rule::Boolean});
    return readBoolean(value(name));
}

std::optional<int> AttributeReader::enumeration(const char *name) const
{
    const AttributeDefinition &s = definition(name, {Rule::Enumeration});
    return readEnumeration(value(name), s.keys);
}

QString AttributeReader::comparison(const char *name) const
{
    const AttributeDefinition &s = definition(name, {Rule::Comparison, Rule::BracketComparison});
    return readComparison(value(name), s.rule == Rule::BracketComparison);
}

QString AttributeReader::statement(const char *name) const
{
    definition(name, {Rule::Statement});
    return readStatement(value(name));
}

qint32 AttributeReader::fontStyle(const char *name) const
{
    const AttributeDefinition &s = definition(name, {Rule::FontStyle});
    return readInteger(value(name), *s.fallback) & 0xFF;
}

} // namespace tarvo

#include "forms/attributetable.h"

#include <algorithm>
#include <stdexcept>

namespace tarvo {

const AttributeDefinition *ElementAttributes::find(const char *attribute) const
{
    // Asked for on every read; the first letter settles most comparisons without a call.
    for (const AttributeDefinition &a : attributes)
        if (a.name[0] == attribute[0] && qstrcmp(a.name, attribute) == 0)
            return &a;
    return nullptr;
}

const ElementAttributes &formAttributes()
{
    using namespace define;
    static const ElementAttributes form{"form",
                                        nullptr,
                                        true,
                                        {integer("Width", 640), integer("Height", 480), colour("Color", std::nullopt),
                                         text("Caption")}};
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

#pragma once
// How a forms.xml element reads its attributes: by which rule and with which default. The
// controls' table (one row per element: its builder and its attributes) is in controlbuilders.cpp,
// built from the pieces below; AttributeReader reads an element's attributes through its row.
// Asking for an attribute the element does not read is a programming error (std::logic_error).
#include "forms/attributes.h"
#include "forms/formsxml.h"

#include <QMetaEnum>
#include <QString>
#include <optional>
#include <vector>

class QWidget;

namespace tarvo {

struct BuildContext;
// Creates an element's control; see controlbuilders.h.
using Builder = QWidget *(*)(const BuildContext &);

enum class Rule {
    Text,
    Integer,
    NonNegative, // integer; negative values read as 0
    Colour,
    Boolean,
    Enumeration,
    Comparison,        // without bracket translation
    BracketComparison, // "(" and ")" read as "<" and ">"
    Statement,
    FontStyle,
};

struct AttributeDefinition {
    const char *name;
    Rule rule;
    std::optional<qint32> fallback; // nullopt: the property keeps its current value
    QMetaEnum keys = {};            // Rule::Enumeration: the control's Q_ENUM its texts name
};

using Definitions = std::vector<AttributeDefinition>;

struct ElementAttributes {
    const char *element;
    Builder build; // null for the form element, which the loader builds itself
    bool windowed; // can hold controls and takes part in keyboard order
    Definitions attributes;
    const AttributeDefinition *find(const char *attribute) const;
};

// The attributes of a form element (any element directly under main).
const ElementAttributes &formAttributes();

// The pieces element rows are made of.
namespace define {

inline AttributeDefinition text(const char *name)
{
    return {name, Rule::Text, 0};
}
inline AttributeDefinition integer(const char *name, qint32 fallback)
{
    return {name, Rule::Integer, fallback};
}
inline AttributeDefinition boolean(const char *name)
{
    return {name, Rule::Boolean, 0};
}
inline AttributeDefinition colour(const char *name, std::optional<qint32> fallback)
{
    return {name, Rule::Colour, fallback};
}
// Read by the names of the enum's keys, as the control declares them.
template <class Enum> AttributeDefinition enumeration(const char *name)
{
    return {name, Rule::Enumeration, std::nullopt, QMetaEnum::fromType<Enum>()};
}
inline Definitions operator+(Definitions a, const Definitions &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace define

class AttributeReader {
public:
    AttributeReader(const XmlNode &element, const ElementAttributes &attributes);

    QString raw(const char *name) const; // the text as delivered, whatever the rule
    QString text(const char *name) const;
    qint32 integer(const char *name) const;
    std::optional<QColor> colour(const char *name) const; // nullopt: keep the current colour
    bool boolean(const char *name) const;
    std::optional<int> enumeration(const char *name) const;
    QString comparison(const char *name) const;
    QString statement(const char *name) const;
    qint32 fontStyle(const char *name) const;

private:
    // An empty rule list accepts any rule.
    const AttributeDefinition &definition(const char *name, std::initializer_list<Rule> rules) const;
    QStringView value(const char *name) const;

    const XmlNode &m_element;
    const ElementAttributes &m_attributes;
};

} // namespace tarvo

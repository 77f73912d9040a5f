#pragma once
// Which forms.xml element reads which attribute, by which rule and with which default: one
// table for the whole file. AttributeReader reads an element's attributes through it; asking
// for an attribute the element does not read is a programming error (std::logic_error).
#include "forms/attributes.h"
#include "forms/formsxml.h"

#include <QString>
#include <optional>
#include <vector>

namespace tarvo {

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

struct ElementAttributes {
    const char *element;
    bool windowed; // can hold controls and takes part in keyboard order
    std::vector<AttributeDefinition> attributes;
    const AttributeDefinition *find(const char *attribute) const;
};

// The attributes of a control element name (exact); null for names that build nothing.
const ElementAttributes *controlAttributes(const QString &element);
// The attributes of a form element (any element directly under main).
const ElementAttributes &formAttributes();

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

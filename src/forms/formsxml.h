#pragma once
// Reading forms.xml into a small tree of its nodes. The builder walks the tree many times over
// (attributes by name, children in document order); a full document object model would cost
// several times the reading itself.
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QXmlStreamAttributes>
#include <vector>

class QIODevice;

namespace tarvo {

struct XmlNode {
    // An element's tag; "#comment", "#text" or "#cdata-section" for those nodes, a processing
    // instruction's target. Text that is only whitespace makes no node.
    QString name;
    QXmlStreamAttributes attributes;
    std::vector<XmlNode> children; // in document order
    qint64 line = 0;               // where the node starts, for messages that point into the file

    // The attribute's text; empty when the element does not have it.
    QStringView attribute(QLatin1StringView attributeName) const { return attributes.value(attributeName); }
};

// The root element of a well-formed document (encoding as its declaration says); ParseError
// naming `source`, the line and the column otherwise.
XmlNode readXmlDocument(QIODevice &device, const QString &source);

// Raises FileError when the file cannot be read, ParseError when it is not well-formed or its
// root element is not "main". The root's children are the forms, every node of them counting.
XmlNode readFormsDocument(const QString &path);

} // namespace tarvo

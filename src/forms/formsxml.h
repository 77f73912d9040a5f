#pragma once
// Reading forms.xml: the document and its root element "main", whose child nodes (every one of
// them, comments and text included) are the forms in document order.
#include <QDomDocument>
#include <QDomNode>
#include <QList>
#include <QString>

namespace tarvo {

// Raises FileError when the file cannot be read, ParseError when it is not well-formed or its
// root element is not "main".
QDomDocument readFormsDocument(const QString &path);
// The child nodes of the root "main" in document order.
QList<QDomNode> formNodes(const QDomDocument &document);

} // namespace tarvo

#include "forms/formsxml.h"

#include "platform/errors.h"

#include <QFile>
#include <QXmlStreamReader>
#include <optional>

namespace tarvo {

namespace {

// Deeper nesting than any form needs; a hostile file must not exhaust the stack of the reader
// or of the builder that walks the tree.
constexpr int maximumDepth = 200;

// The node a token other than an element start makes, if any.
std::optional<QString> otherNodeName(const QXmlStreamReader &reader)
{
    switch (reader.tokenType()) {
    case QXmlStreamReader::Characters:
        if (reader.isCDATA())
            return QStringLiteral("#cdata-section");
        if (reader.isWhitespace())
            return std::nullopt;
        return QStringLiteral("#text");
    case QXmlStreamReader::Comment:
        return QStringLiteral("#comment");
    case QXmlStreamReader::ProcessingInstruction:
        return reader.processingInstructionTarget().toString();
    case QXmlStreamReader::EntityReference:
        return reader.name().toString();
    default:
        return std::nullopt;
    }
}

// Reads the element just started into `element`, its children included, up to its end.
// `line` is where the element's start tag begins: the reader's position before the token.
void readElement(QXmlStreamReader &reader, XmlNode &element, int depth, qint64 line)
{
    if (depth > maximumDepth)
        reader.raiseError(QStringLiteral("Elements are nested more than %1 levels deep.").arg(maximumDepth));
    element.name = reader.name().toString();
    element.line = line;
    element.attributes = reader.attributes();
    while (!reader.atEnd()) {
        const qint64 tokenLine = reader.lineNumber();
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement)
            readElement(reader, element.children.emplace_back(), depth + 1, tokenLine);
        else if (token == QXmlStreamReader::EndElement)
            return;
        else if (std::optional<QString> name = otherNodeName(reader))
            element.children.push_back({*name, {}, {}, tokenLine});
    }
}

} // namespace

XmlNode readXmlDocument(QIODevice &device, const QString &source)
{
    QXmlStreamReader reader(&device);
    XmlNode root;
    bool rootSeen = false;
    while (!reader.atEnd()) {
        const qint64 tokenLine = reader.lineNumber();
        if (reader.readNext() == QXmlStreamReader::StartElement && !rootSeen) {
            rootSeen = true;
            readElement(reader, root, 1, tokenLine);
        }
    }
    if (reader.hasError())
        throw ParseError(QStringLiteral("%1: %2 (line %3, column %4)")
                             .arg(source, reader.errorString())
                             .arg(reader.lineNumber())
                             .arg(reader.columnNumber()));
    return root;
}

XmlNode readFormsDocument(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    XmlNode root = readXmlDocument(file, path);
    if (root.name != QLatin1StringView("main"))
        throw ParseError(QStringLiteral("Node \"main\" not found."));
    return root;
}

} // namespace tarvo

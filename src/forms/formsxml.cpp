#include "forms/formsxml.h"

#include "platform/errors.h"

#include <QFile>

namespace tarvo {

QDomDocument readFormsDocument(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(&file, &message, &line, &column))
        throw ParseError(QStringLiteral("%1: %2 (line %3, column %4)")
                             .arg(path, message).arg(line).arg(column));
    if (document.documentElement().tagName() != QLatin1StringView("main"))
        throw ParseError(QStringLiteral("Node \"main\" not found."));
    return document;
}

QList<QDomNode> formNodes(const QDomDocument &document)
{
    QList<QDomNode> nodes;
    for (QDomNode n = document.documentElement().firstChild(); !n.isNull(); n = n.nextSibling())
        nodes.append(n);
    return nodes;
}

} // namespace tarvo

#include "platform/projectfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace tarvo {

namespace {
QString g_override;
}

QString projectFolder()
{
    const QString folder = g_override.isEmpty() ? QCoreApplication::applicationDirPath() : g_override;
    return QDir::cleanPath(folder) + QLatin1Char('/');
}

void setProjectFolder(const QString &folder)
{
    g_override = folder;
}

} // namespace tarvo

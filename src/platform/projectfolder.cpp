#include "platform/projectfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tarvo {

namespace {
QString g_override;

// applicationFilePath() and /proc/self/exe resolve links, so they name the installed program's
// folder rather than the project folder that holds the link; argv[0] keeps the started path.
QString resolveStartedPath()
{
    const QString started = QCoreApplication::arguments().value(0);
    QString path;
    if (started.contains(QLatin1Char('/')))
        path = QFileInfo(started).absoluteFilePath();
    else if (!started.isEmpty())
        path = QStandardPaths::findExecutable(started);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QCoreApplication::applicationFilePath();
    return QDir::cleanPath(path);
}
} // namespace

QString startedProgramPath()
{
    // Taken once: a relative argv[0] is relative to the folder the program started in.
    static const QString path = resolveStartedPath();
    return path;
}

QString projectFolder()
{
    const QString folder = g_override.isEmpty() ? QFileInfo(startedProgramPath()).absolutePath() : g_override;
    return QDir::cleanPath(folder) + QLatin1Char('/');
}

void setProjectFolder(const QString &folder)
{
    g_override = folder;
}

} // namespace tarvo

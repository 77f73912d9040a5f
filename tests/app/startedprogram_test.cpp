// The project folder of a real process: the folder of the path it was started by, whether that
// path is the program itself or a symbolic link to it.
#include "support/fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

struct StartCase {
    const char *label;
    bool link;           // a symbolic link to the built program instead of a copy
    const char *command; // run by /bin/sh in the project folder; $P is the program's file name
};

const StartCase startCases[] = {
    {"link by absolute path", true, "exec \"$PWD/$P\""},
    {"link by relative path", true, "exec ./$P"},
    {"link found on PATH", true, "PATH=\"$PWD:$PATH\" exec $P"},
    {"copy by absolute path", false, "exec \"$PWD/$P\""},
};

// Starts the program as the case says and waits until the new database appears somewhere.
bool startsInProjectFolder(const StartCase &c, const test::ProjectFolder &project)
{
    const QString program = QStringLiteral(TARVO_EXECUTABLE);
    const QString placed = project.file(QStringLiteral("shop"));
    if (c.link)
        EXPECT_TRUE(QFile::link(program, placed));
    else
        EXPECT_TRUE(QFile::copy(program, placed));

    QProcess process;
    process.setWorkingDirectory(project.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("P"), QStringLiteral("shop"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(c.command)});
    EXPECT_TRUE(process.waitForStarted());

    const QString expected = project.file(QStringLiteral("sqlite.db"));
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(expected) && timer.elapsed() < 20000 && process.state() == QProcess::Running)
        QThread::msleep(50);
    const bool found = QFileInfo::exists(expected);
    process.kill();
    process.waitForFinished();
    return found;
}

TEST(StartedProgram, FindsItsProjectFilesBesideTheStartedPath)
{
    const QString programFolder = QFileInfo(QStringLiteral(TARVO_EXECUTABLE)).absolutePath();
    for (const StartCase &c : startCases) {
        SCOPED_TRACE(c.label);
        test::ProjectFolder project(QStringLiteral("app-shop"));
        EXPECT_TRUE(startsInProjectFolder(c, project));
        EXPECT_FALSE(QFileInfo::exists(programFolder + QStringLiteral("/sqlite.db")));
        EXPECT_FALSE(QFileInfo::exists(programFolder + QStringLiteral("/settings.ini")));
    }
}

} // namespace
} // namespace tarvo

#pragma once
// Command-line tools that tests read results with (unzip, pdftotext, pdfinfo). A tool that does
// not start fails the test as "tool missing", not as a wrong result.
#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace tarvo::test {

inline QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForStarted()) {
        ADD_FAILURE() << "tool missing: " << program.toStdString() << " (scripts/setup installs it)";
        return {};
    }
    EXPECT_TRUE(tool.waitForFinished(30000)) << program.toStdString() << " did not finish";
    return tool.readAllStandardOutput();
}

} // namespace tarvo::test

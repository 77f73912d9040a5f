// The project checker on a project with one fault of each kind, on clean projects (the demo among
// them), and as the program designers run: its output lines and exit codes.
#include "check/projectcheck.h"
#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

using test::int32;

// graphics.dll with one entry per name; the pictures' bytes do not matter to the checker.
QByteArray pictureLibrary(const QList<QByteArray> &names)
{
    QByteArray bytes = int32(qint32(names.size()));
    for (const QByteArray &name : names) {
        const QByteArray picture("picture");
        // qCompress prefixes the zlib stream with the length, which the container keeps apart.
        bytes += int32(qint32(name.size())) + name + int32(qint32(picture.size())) + qCompress(picture).mid(4);
    }
    return bytes;
}

// The line of the fixture file that holds `marker`.
qint64 lineOf(const test::ProjectFolder &project, const QString &file, const QString &marker)
{
    const QStringList lines = QString::fromUtf8(project.read(file)).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i).contains(marker))
            return i + 1;
    ADD_FAILURE() << "no line holds " << marker.toStdString();
    return -1;
}

struct Expected {
    const char *file;
    const char *marker;   // text on the line the finding points at; empty: no line
    const char *fragment; // part of the message
};

const Expected faults[] = {
    {"tables.ini", "^id_region", "refers to \"regions\", which is no table"},
    {"forms.xml", "Name=\"edSupplier\"", "dbTable \"suppliers\" names no table"},
    {"forms.xml", "Name=\"edFax\"", "dbField \"fax\" is no column of table customers"},
    {"forms.xml", "Name=\"EDNAME\"", "name \"EDNAME\" is used twice in form frmMain"},
    {"forms.xml", "Name=\"edSameOrder\"", "TabOrder 2 of \"edSameOrder\" is also that of \"edFax\""},
    {"forms.xml", "Name=\"edOutside\"", "lies outside its parent of 600x400"},
    {"forms.xml", "Name=\"cbTown\"", "dictionary template \"Town {}\" names no field"},
    {"forms.xml", "Name=\"bSearchNowhere\"", "dbResultControl names \"gridGone\""},
    {"forms.xml", "Name=\"bFilterGone\"", "dbListControls names \"edGone\""},
    {"forms.xml", "Name=\"bFormGone\"", "dbFormName \"frmNowhere\" names no form"},
    {"forms.xml", "Name=\"bReportGone\"", "Report/missing.trp does not exist"},
    {"forms.xml", "Name=\"bBadSql\"", "dbSQL fails: no such column: nme"},
    {"forms.xml", "Name=\"bPlaceholderGone\"", "placeholder {edGone} names no control"},
    {"forms.xml", "Name=\"gridCustomers\"", "dbListFields item \"customers.email\" is no column"},
    {"forms.xml", "Name=\"gridSorted\"", "dbSortField item \"customers.age\" is no column"},
    {"forms.xml", "Name=\"gridAmbiguous\"", "search statement fails: ambiguous column name: name"},
    {"forms.xml", "Name=\"tsLost\"", "<TdbTabSheet> builds nothing outside"},
    {"forms.xml", "<frmMAIN", "form name \"frmMAIN\" is used twice"},
    {"graphics.dll", "", "\"logo.frmMain.imgGone.png\" names no TdbImage \"imgGone\""},
};

class ProjectCheck : public ::testing::Test {
protected:
    void TearDown() override { setProjectFolder(QString()); }
};

TEST_F(ProjectCheck, FindsOneFaultOfEachKindAtItsLine)
{
    test::ProjectFolder project(QStringLiteral("check-faults"));
    project.write(QStringLiteral("graphics.dll"),
                  pictureLibrary({"logo.frmMain.imgLogo.png", "logo.frmMain.imgGone.png"}));
    const QList<Finding> findings = checkProject(project.path());

    for (const Expected &e : faults) {
        SCOPED_TRACE(e.fragment);
        const QString file = project.file(QString::fromUtf8(e.file));
        const qint64 line = *e.marker ? lineOf(project, QString::fromUtf8(e.file), QString::fromUtf8(e.marker)) : 0;
        const bool found = std::any_of(findings.begin(), findings.end(), [&](const Finding &f) {
            return QDir::cleanPath(f.file) == QDir::cleanPath(file) && f.line == line
                   && f.message.contains(QString::fromUtf8(e.fragment));
        });
        EXPECT_TRUE(found);
    }
    // Nothing beyond the planted faults: a checker that cries wolf is not read.
    QStringList all;
    for (const Finding &f : findings)
        all << formatFinding(f);
    EXPECT_EQ(findings.size(), qsizetype(std::size(faults))) << all.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ProjectCheck, CleanProjectsHaveNoFindings)
{
    for (const QString &folder :
         {test::fixturePath(QStringLiteral("check-clean")), QStringLiteral(TARVO_SOURCE_DIR "/examples/demo")}) {
        SCOPED_TRACE(folder.toStdString());
        test::ProjectFolder project;
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            QFile::copy(folder + QLatin1Char('/') + name, project.file(name));
        QDir().mkpath(project.file(QStringLiteral("Report")));
        for (const QString &name : QDir(folder + QStringLiteral("/Report")).entryList(QDir::Files))
            QFile::copy(folder + QStringLiteral("/Report/") + name, project.file(QStringLiteral("Report/") + name));
        if (!folder.endsWith(QLatin1String("demo")))
            project.write(QStringLiteral("graphics.dll"), pictureLibrary({"logo.frmMain.imgLogo.png"}));

        QStringList all;
        for (const Finding &f : checkProject(project.path()))
            all << formatFinding(f);
        EXPECT_TRUE(all.isEmpty()) << all.join(QLatin1Char('\n')).toStdString();
    }
}

struct RunCase {
    const char *label;
    const char *fixture; // empty: an empty folder
    int exitCode;
    const char *firstLine; // the start of the first output line, with FOLDER for the folder given
};

TEST(ProjectCheckProgram, ExitCodeAndOutputSayWhatItFound)
{
    const RunCase cases[] = {
        {"clean", "check-clean", 0, ""},
        {"findings", "check-faults", 1, "FOLDER/forms.xml:5: dbTable \"suppliers\""},
        {"unreadable", "", 2, ""},
    };
    for (const RunCase &c : cases) {
        SCOPED_TRACE(c.label);
        test::ProjectFolder project(QString::fromUtf8(c.fixture));
        QProcess process;
        // A relative folder, as typed in a shell, is kept as given in the output.
        process.setWorkingDirectory(project.path());
        process.start(QStringLiteral(TARVO_CHECK_EXECUTABLE), {QStringLiteral("../") + QDir(project.path()).dirName()});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString expected = QString::fromUtf8(c.firstLine)
                                     .replace(QStringLiteral("FOLDER"),
                                              QStringLiteral("../") + QDir(project.path()).dirName());
        EXPECT_TRUE(expected.isEmpty() || out.startsWith(expected)) << out.toStdString();
        if (c.exitCode != 1) {
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        }
        if (c.exitCode == 2) {
            EXPECT_TRUE(process.readAllStandardError().contains("tables.ini"));
        }
    }
}

} // namespace
} // namespace tarvo

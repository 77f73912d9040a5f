#include "platform/qtinteraction.h"
#include "support/fixtures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

const QString kWorkbookType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

// Sets environment variables for one test and puts the previous values back afterwards.
class ScopedEnvironment {
public:
    ~ScopedEnvironment()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }
    void set(const char *name, const QString &value)
    {
        save(name);
        qputenv(name, value.toUtf8());
    }
    void unset(const char *name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char *name)
    {
        if (m_saved.count(name))
            return;
        m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

// A private desktop: its own application and configuration folders and no others, the generic
// freedesktop lookup (no desktop environment's own opener), and a display, without which the
// freedesktop opener never looks at applications at all.
class Desktop : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *sub : {"data/applications", "config", "none"})
            ASSERT_TRUE(QDir().mkpath(root.file(QString::fromUtf8(sub))));
        env.set("XDG_DATA_HOME", root.file(u"data"_s));
        env.set("XDG_DATA_DIRS", root.file(u"none"_s));
        env.set("XDG_CONFIG_HOME", root.file(u"config"_s));
        env.set("XDG_CONFIG_DIRS", root.file(u"none"_s));
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION",
                                 "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "XDG_MENU_PREFIX", "BROWSER"})
            env.unset(name);
        if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
            env.set("DISPLAY", u":0"_s);
    }

    // A spreadsheet application whose command writes the file it was given to `received`.
    void installRecorder()
    {
        root.write(
            u"recorder.sh"_s,
            QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > \"%1.part\" && mv \"%1.part\" \"%1\"\n").arg(received()));
        QFile::setPermissions(root.file(u"recorder.sh"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        root.write(u"data/applications/tarvo-test-recorder.desktop"_s,
                   QStringLiteral("[Desktop Entry]\nType=Application\nName=Recorder\nExec=%1 %f\nMimeType=%2;\n")
                       .arg(root.file(u"recorder.sh"_s), kWorkbookType));
        root.write(u"config/mimeapps.list"_s,
                   QStringLiteral("[Default Applications]\n%1=tarvo-test-recorder.desktop\n").arg(kWorkbookType));
    }

    QString received() const { return root.file(u"received"_s); }

    test::ProjectFolder root{QStringLiteral("platform-workbook")}; // holds a minimal workbook
    ScopedEnvironment env;
    QtInteraction desktop;
};

TEST_F(Desktop, HasApplicationOnlyWhenOneIsRegisteredForTheType)
{
    EXPECT_FALSE(desktop.hasApplicationFor(kWorkbookType));
    installRecorder();
    EXPECT_TRUE(desktop.hasApplicationFor(kWorkbookType));
    EXPECT_FALSE(desktop.hasApplicationFor(QStringLiteral("application/x-tarvo-unknown")));
}

TEST_F(Desktop, OpenUrlHandsTheFileToTheRegisteredApplication)
{
    installRecorder();
    // A real workbook (the opener decides by content), under a name with a blank and Cyrillic.
    ASSERT_TRUE(QDir().mkpath(root.file(u"export folder"_s)));
    const QString workbook = root.file(u"export folder/Сотрудники 1.xlsx"_s);
    ASSERT_TRUE(QFile::copy(root.file(u"minimal.xlsx"_s), workbook));

    EXPECT_TRUE(desktop.openUrl(QUrl::fromLocalFile(workbook)));
    // The application is started, not waited for: poll for what it received.
    QDeadlineTimer deadline(15000);
    while (!QFile::exists(received()) && !deadline.hasExpired())
        QTest::qWait(50);
    QFile file(received());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the application never received the file";
    EXPECT_EQ(QString::fromUtf8(file.readAll()), workbook);
}

} // namespace

// settings.ini is edited, never rewritten: what Tarvo does not own survives in its own encoding.
#include "app/settings.h"
#include "app/settingsfile.h"
#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

QByteArray encoded(const char *encoding, const QString &text)
{
    const QByteArray name(encoding);
    if (name == "utf-16le")
        return QByteArray("\xFF\xFE") + QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(text));
    if (name == "utf-16be")
        return QByteArray("\xFE\xFF") + QByteArray(QStringEncoder(QStringConverter::Utf16BE).encode(text));
    if (name == "utf-8-bom")
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    if (name == "windows-1251")
        return QByteArray(QStringEncoder("windows-1251").encode(text));
    return text.toUtf8();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(SettingsFile, OnlyTheOwnedKeysChangeInEveryEncodingAndLineEnd)
{
    const QString before = QStringLiteral(
        "; Настройки офиса\r\n[Options]\r\nserver = \\\\nas\\база.db\r\n"
        "theme=dark\r\n\r\n[Grids]\r\nfrmMain.g.ColCount=2\r\n; kept\r\n\r\n[Other]\r\nx=1\r\n");
    const QString after = QStringLiteral(
        "; Настройки офиса\r\n[Options]\r\nserver = \\\\nas\\база.db\r\n"
        "theme=dark\r\n\r\n[Grids]\r\nfrmMain.g.ColCount=3\r\n; kept\r\nfrmMain.g.0=40\r\n\r\n"
        "[Other]\r\nx=1\r\n\r\n[New]\r\nk=v\r\n");
    for (const char *encoding : {"utf-8", "utf-8-bom", "utf-16le", "utf-16be", "windows-1251"}) {
        test::ProjectFolder folder;
        const QString path = folder.file(QStringLiteral("settings.ini"));
        folder.write(QStringLiteral("settings.ini"), encoded(encoding, before));

        SettingsFile settings(path);
        EXPECT_EQ(settings.value(QStringLiteral("options"), QStringLiteral("SERVER")),
                  QStringLiteral("\\\\nas\\база.db"))
            << encoding;
        settings.setValue(QStringLiteral("Grids"), QStringLiteral("frmMain.g.ColCount"), QStringLiteral("3"));
        settings.setValue(QStringLiteral("Grids"), QStringLiteral("frmMain.g.0"), QStringLiteral("40"));
        settings.setValue(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
        settings.save();

        EXPECT_EQ(readAll(path), encoded(encoding, after)) << encoding;
    }
}

TEST(SettingsFile, RemoveTakesEveryLineOfTheKeyOnly)
{
    test::ProjectFolder folder;
    folder.write(QStringLiteral("settings.ini"), QByteArray("[Options]\nserver=a.db\nSERVER=b.db\nname=x\n"));
    SettingsFile settings(folder.file(QStringLiteral("settings.ini")));
    settings.remove(QStringLiteral("options"), QStringLiteral("Server"));
    settings.save();
    EXPECT_EQ(readAll(folder.file(QStringLiteral("settings.ini"))), QByteArray("[Options]\nname=x\n"));
}

TEST(SettingsFile, AFileThatCannotBeDecodedIsNeverReplaced)
{
    test::ProjectFolder folder;
    // UTF-16 without a byte-order mark: NUL bytes throughout.
    const QByteArray unknown = QByteArray(
        QStringEncoder(QStringConverter::Utf16BE).encode(QStringLiteral("[Options]\nserver=x.db\n")));
    folder.write(QStringLiteral("settings.ini"), unknown);
    SettingsFile settings(folder.file(QStringLiteral("settings.ini")));
    settings.setValue(QStringLiteral("Grids"), QStringLiteral("a"), QStringLiteral("1"));
    EXPECT_THROW(settings.save(), FileError);
    EXPECT_EQ(readAll(folder.file(QStringLiteral("settings.ini"))), unknown);
}

TEST(SettingsFile, AFailedWriteRaisesFileError)
{
    test::ProjectFolder folder;
    const QString path = folder.file(QStringLiteral("no/such/folder/settings.ini"));
    SettingsFile settings(path);
    settings.setValue(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    try {
        settings.save();
        FAIL() << "no error";
    } catch (const FileError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to ") + path);
    }
}

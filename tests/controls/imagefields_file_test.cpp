// The file field on a real SQLite table: choosing a file, and opening, saving and removing the
// stored one through the scripted desktop.
#include "controls/dbfiletodatabase.h"
#include "controls/sharedresources.h"
#include "controls/tform.h"
#include "schema/sqlconnection.h"
#include "support/fixtures.h"
#include "support/scriptedinteraction.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo {
namespace {

class ImageFieldsFile : public ::testing::Test {
protected:
    ImageFieldsFile()
    {
        connection.setDatabase(folder.file(QStringLiteral("sqlite.db")));
        connection.open();
        connection.execute(QStringLiteral("CREATE TABLE docs (id INTEGER PRIMARY KEY, doc BLOB, doc_filename TEXT)"));
        store(1, "PDF bytes", QStringLiteral("C:\\Docs\\report.pdf"));
        store(2, "escape", QStringLiteral("../../../etc/evil.txt"));
        connection.execute(QStringLiteral("INSERT INTO docs (id, doc, doc_filename) VALUES (3, NULL, NULL)"));
        sharedResources().connection = &connection;
        form.setObjectName(QStringLiteral("frmDocs"));
        field = new TdbFileToDatabase(&form);
        form.addComponent(field);
        field->setDbTable(QStringLiteral("docs"));
        field->setDbField(QStringLiteral("doc"));
    }
    ~ImageFieldsFile() override
    {
        sharedResources().connection = nullptr;
        for (const QString &name : {QStringLiteral("report.pdf"), QStringLiteral("evil.txt")})
            QFile::remove(QDir(QDir::tempPath()).filePath(name));
    }

    void store(int id, const QByteArray &bytes, const QString &name)
    {
        connection.executeWithBlobs(
            QStringLiteral("INSERT INTO docs (id, doc, doc_filename) VALUES (%1, :doc, '%2')").arg(id).arg(name),
            {bytes});
    }
    QAction *menuItem(const char *name) { return field->popupMenu()->findChild<QAction *>(QString::fromLatin1(name)); }

    test::ScriptedInteraction ui;
    test::ProjectFolder folder;
    SqlConnection connection;
    TForm form;
    TdbFileToDatabase *field;
};

TEST_F(ImageFieldsFile, StartsEmptyWithItsMenuAndHints)
{
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->dbID(), -1);
    EXPECT_FALSE(field->rightButtonEnabled());
    EXPECT_EQ(field->leftButton()->toolTip(), u"Выбрать файл для сохранения в базу данных."_s);
    EXPECT_EQ(field->rightButton()->toolTip(), u"Сохранение или открытие файла из базы данных."_s);
    QStringList items;
    for (QAction *item : field->popupMenu()->actions())
        items << (item->isSeparator() ? QStringLiteral("-") : item->objectName() + u"="_s + item->text());
    EXPECT_EQ(items.join(u'|'), u"mniRunFile=Open file|mniSaveFile=Save file|-|mniDeleteFile=Delete file"_s);
}

TEST_F(ImageFieldsFile, LeftButtonTakesOnlyAnExistingFile)
{
    folder.write(QStringLiteral("contract.docx"), QByteArray("doc"));
    ui.expectOpenFile(QString());
    ui.expectOpenFile(folder.file(QStringLiteral("missing.docx")));
    field->leftButton()->trigger();
    field->leftButton()->trigger();
    EXPECT_TRUE(field->dbFileName().isEmpty());
    EXPECT_FALSE(field->dbFileIsChanged());

    ui.expectOpenFile(folder.file(QStringLiteral("contract.docx")));
    field->leftButton()->trigger();
    EXPECT_EQ(field->dbFileName(), folder.file(QStringLiteral("contract.docx")));
    EXPECT_EQ(field->text(), u"contract.docx"_s);
    EXPECT_TRUE(field->dbFileIsChanged());
    EXPECT_FALSE(field->rightButtonEnabled()); // keeps its state
}

TEST_F(ImageFieldsFile, OpenWritesTheStoredFileUnderItsNamePartInTheTemporaryFolder)
{
    const struct {
        int id;
        const char *written;
        const char *bytes;
    } cases[] = {
        {1, "report.pdf", "PDF bytes"},
        {2, "evil.txt", "escape"}, // a path from the database never decides where we write
    };
    for (const auto &c : cases) {
        field->setDbID(c.id);
        field->setDbFileName(QStringLiteral("/home/user/chosen-later.odt")); // the stored file wins
        menuItem("mniRunFile")->trigger();
        const QString path = QDir(QDir::tempPath()).filePath(QString::fromLatin1(c.written));
        QFile written(path);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << c.written;
        EXPECT_EQ(written.readAll(), QByteArray(c.bytes));
        ASSERT_FALSE(ui.openedUrls().empty());
        EXPECT_EQ(ui.openedUrls().back(), QUrl::fromLocalFile(path));
    }
    EXPECT_EQ(field->dbFileName(), u"../../../etc/evil.txt"_s);
}

TEST_F(ImageFieldsFile, SaveWritesTheStoredFileWhereTheUserChooses)
{
    field->setDbID(1);
    ui.expectSaveFile(QString());
    ui.expectSaveFile(folder.file(QStringLiteral("out.pdf")));
    menuItem("mniSaveFile")->trigger();
    menuItem("mniSaveFile")->trigger();
    EXPECT_EQ(folder.read(QStringLiteral("out.pdf")), QByteArray("PDF bytes"));
    EXPECT_EQ(field->dbFileName(), u"C:\\Docs\\report.pdf"_s);
}

TEST_F(ImageFieldsFile, NothingStoredShowsTheSameMessageForOpenAndSave)
{
    const int ids[] = {-1, 99, 3}; // no id, no row, a row without a file
    for (int id : ids)
        for (const char *item : {"mniRunFile", "mniSaveFile"}) {
            field->setDbID(id);
            ui.expectMessage();
            menuItem(item)->trigger();
        }
    ASSERT_EQ(ui.messages().size(), 6u);
    for (const Message &m : ui.messages()) {
        EXPECT_EQ(m.text, u"There is no file to save."_s);
        EXPECT_EQ(m.caption, u"Error"_s);
        EXPECT_EQ(m.icon, MessageIcon::Information);
    }
    EXPECT_TRUE(ui.openedUrls().empty());
}

TEST_F(ImageFieldsFile, DeleteAsksAndYesClearsAndMarksTheChange)
{
    field->setDbID(1);
    field->setDbFileName(QStringLiteral("C:\\Docs\\report.pdf"));
    field->setText(QStringLiteral("report.pdf"));
    field->setRightButtonEnabled(true);

    ui.expectMessage(MessageAnswer::No);
    menuItem("mniDeleteFile")->trigger();
    EXPECT_EQ(field->dbID(), 1);
    EXPECT_EQ(field->text(), u"report.pdf"_s);
    const Message &asked = ui.messages().front();
    EXPECT_EQ(asked.text, u"Do you really want to delete the file from the database?"_s);
    EXPECT_EQ(asked.caption, u"Confirm"_s);
    EXPECT_EQ(asked.icon, MessageIcon::Question);
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);

    ui.expectMessage(MessageAnswer::Yes);
    menuItem("mniDeleteFile")->trigger();
    EXPECT_EQ(field->dbID(), -1);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(field->dbFileName().isEmpty());
    EXPECT_TRUE(field->dbFileIsChanged());
    EXPECT_FALSE(field->rightButtonEnabled());
    // The database changes only when the record is saved.
    EXPECT_FALSE(connection.query(QStringLiteral("SELECT doc FROM docs WHERE id=1")).isNull(0));
}

} // namespace
} // namespace tarvo

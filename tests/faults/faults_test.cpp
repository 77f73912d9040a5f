// Faults from outside the program, on real database files: a read-only project folder, a disk
// that runs full during a save, a database file that is not ours, and hostile sizes.
#include "app/settings.h"
#include "controls/dbedit.h"
#include "controls/dbmemo.h"
#include "e2e/e2eapp.h"
#include "faults/diskfullvfs.h"
#include "faults/faultsupport.h"
#include "platform/errorhandler.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <sqlite3.h>

using namespace tarvo;
using tarvo::test::ctl;
using tarvo::test::E2eApp;

namespace {

int customerCount(const E2eApp &app)
{
    return app.rows(QStringLiteral("SELECT count(*) FROM customers")).value(0).toInt();
}

QStringList integrity(const E2eApp &app)
{
    return app.rows(QStringLiteral("PRAGMA integrity_check"));
}

} // namespace

TEST(Faults, ReadOnlyProjectFolderStartsAndReportsTheUnwritableSettingsOnceAtClose)
{
    E2eApp app(QStringLiteral("e2e-shop"));
    ASSERT_TRUE(app.start()); // a first run creates the database
    app.windows.reset();

    test::ReadOnlyFolder readOnly(app.folder.path());
    if (!readOnly.ok())
        GTEST_SKIP() << "the project folder cannot be made read-only here: " << readOnly.why().toStdString();
    ASSERT_FALSE(QFile(app.folder.file(QStringLiteral("probe"))).open(QIODevice::WriteOnly));

    ASSERT_TRUE(app.start());
    E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bSearch")); // a filled grid: its layout is stored at close
    app.ui.expectMessage();
    E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bClose"));

    ASSERT_EQ(app.ui.messages().size(), 1u);
    EXPECT_EQ(app.ui.messages()[0].text, QStringLiteral("Unable to write to ") + settingsFileName() + QLatin1Char('.'));
    EXPECT_EQ(app.ui.messages()[0].icon, MessageIcon::Error);
    EXPECT_FALSE(app.main().isVisible());
    EXPECT_FALSE(QFile::exists(settingsFileName()));
}

// Budgets that end the save in the journal's header, inside the journal, and among the
// database's own pages (the memo spans many overflow pages).
class DiskFullDuringSave : public ::testing::TestWithParam<int> {};

TEST_P(DiskFullDuringSave, IsReportedTheFormKeepsTheInputAndTheDatabaseStaysConsistent)
{
    test::DiskFullVfs disk; // before the program opens its connection
    E2eApp app(QStringLiteral("e2e-shop"));
    ASSERT_TRUE(app.start());
    const QString note(200000, QLatin1Char('n'));

    app.ui.expectModal([&](QDialog *form) {
        ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Ada"));
        ctl<TdbMemo>("frmCustomer", "memoNote").setPlainText(note);
        disk.fillAfter(GetParam());
        app.ui.expectMessage();
        E2eApp::click(QStringLiteral("frmCustomer"), QStringLiteral("bSave"));
        disk.makeRoom();

        ASSERT_EQ(app.ui.messages().size(), 1u);
        EXPECT_EQ(app.ui.messages()[0].text, QStringLiteral("database or disk is full."));
        EXPECT_EQ(app.ui.messages()[0].icon, MessageIcon::Error);
        EXPECT_GT(disk.failedWrites(), 0);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(ctl<TdbEdit>("frmCustomer", "edName").text(), QStringLiteral("Ada"));
        EXPECT_EQ(ctl<TdbMemo>("frmCustomer", "memoNote").toPlainText(), note);
        EXPECT_EQ(integrity(app), QStringList{QStringLiteral("ok")});
        EXPECT_EQ(customerCount(app), 0);

        // Room again: the same input is saved.
        E2eApp::click(QStringLiteral("frmCustomer"), QStringLiteral("bSave"));
        EXPECT_FALSE(form->isVisible());
    });
    E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bNew"));

    EXPECT_EQ(app.row(QStringLiteral("SELECT name, length(note) FROM customers")),
              QStringList({QStringLiteral("Ada"), QString::number(note.size())}));
    EXPECT_EQ(integrity(app), QStringList{QStringLiteral("ok")});
}

INSTANTIATE_TEST_SUITE_P(Faults, DiskFullDuringSave, ::testing::Values(0, 600, 6000, 100000));

namespace {

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(18);
    for (char &b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

// A database file made by someone else with `statements`.
QByteArray foreignDatabase(const QString &folder, const char *statements)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("foreign.db"));
    sqlite3 *db = nullptr;
    sqlite3_open(path.constData(), &db);
    sqlite3_exec(db, statements, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

struct ForeignCase {
    const char *name;
    const char *statements; // null: random bytes
    QStringList messages;   // what the user sees, starting the program and searching
};

void PrintTo(const ForeignCase &c, std::ostream *os)
{
    *os << c.name;
}

class ForeignDatabase : public ::testing::TestWithParam<ForeignCase> {};

} // namespace

TEST_P(ForeignDatabase, IsReportedByWhatIsWrongAndLeftByteForByte)
{
    const ForeignCase &c = GetParam();
    E2eApp app(QStringLiteral("e2e-shop"));
    const QByteArray original = c.statements ? foreignDatabase(app.folder.path(), c.statements) : randomBytes(65536);
    app.folder.write(QStringLiteral("sqlite.db"), original);

    for (qsizetype i = 0; i < c.messages.size(); ++i)
        app.ui.expectMessage();
    app.start();
    if (app.main().findComponent(QStringLiteral("bSearch"))) // start-up ended before the forms otherwise
        E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bSearch"));
    app.windows.reset();

    EXPECT_EQ(app.ui.messageTexts(), c.messages);
    for (const Message &message : app.ui.messages())
        EXPECT_EQ(message.icon, MessageIcon::Error);
    EXPECT_TRUE(app.folder.read(QStringLiteral("sqlite.db")) == original) << "the database file was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ForeignDatabase,
    ::testing::Values(ForeignCase{"RandomBytes", nullptr, {QStringLiteral("file is not a database.")}},
                      ForeignCase{"AnotherApplication",
                                  "CREATE TABLE songs(id INTEGER PRIMARY KEY, title TEXT);"
                                  "INSERT INTO songs(title) VALUES('x');",
                                  {QStringLiteral("no such table: city."),
                                   QStringLiteral("no such table: customers.")}},
                      ForeignCase{"RightTableWrongColumns",
                                  "CREATE TABLE customers(id INTEGER PRIMARY KEY, title TEXT);"
                                  "CREATE TABLE city(id INTEGER PRIMARY KEY, name TEXT);",
                                  {QStringLiteral("no such column: customers.name."),
                                   QStringLiteral("no such column: customers.name.")}}),
    [](const ::testing::TestParamInfo<ForeignCase> &p) { return std::string(p.param.name); });

namespace {

// The memory a start-up with `formsXml` (and `graphicsDll`, when given) takes at its peak, in MiB.
std::int64_t startupPeak(E2eApp &app, const QByteArray &formsXml, const QByteArray &graphicsDll = {})
{
    app.folder.write(QStringLiteral("forms.xml"), formsXml);
    if (!graphicsDll.isEmpty())
        app.folder.write(QStringLiteral("graphics.dll"), graphicsDll);
    test::resetPeakMemory();
    app.start();
    return test::peakMemoryMiB();
}

QByteArray mainForm(const QByteArray &inside, const QByteArray &captionPadding = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<main>\n<frmMain Caption=\"Big" + captionPadding
           + "\" Width=\"400\" Height=\"300\">\n" + inside + "</frmMain>\n</main>\n";
}

QByteArray int32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

// A 100 MB document, once as a long comment and once as one long attribute value.
TEST(Faults, HundredMegabyteFormsXmlStartsWithBoundedMemory)
{
    const int size = 100 * 1024 * 1024;
    const QByteArray comment = "<!--" + QByteArray(size, 'c') + "-->\n";
    const std::pair<const char *, QByteArray> documents[] = {{"peakMiBComment", mainForm(comment)},
                                                             {"peakMiBAttribute", mainForm({}, QByteArray(size, 'c'))}};
    for (const auto &[property, xml] : documents) {
        E2eApp app(QStringLiteral("e2e-shop"));
        const std::int64_t peak = startupPeak(app, xml);
        RecordProperty(property, int(peak));
        EXPECT_TRUE(app.main().isVisible());
        EXPECT_LT(peak, 1000) << "MiB above the start";
    }
}

TEST(Faults, TenThousandControlsStartWithBoundedMemory)
{
    QByteArray controls;
    for (int i = 0; i < 10000; ++i)
        controls += "<TdbEdit Name=\"ed" + QByteArray::number(i) + "\" Left=\"" + QByteArray::number(i % 40 * 10)
                    + "\" Top=\"" + QByteArray::number(i / 40) + "\" Width=\"9\" Height=\"9\"/>\n";
    E2eApp app(QStringLiteral("e2e-shop"));
    const std::int64_t peak = startupPeak(app, mainForm(controls));
    RecordProperty("peakMiB", int(peak));
    EXPECT_EQ(app.main().componentsOf<TdbEdit>().size(), 10000);
    EXPECT_LT(peak, 1000) << "MiB above the start";
}

TEST(Faults, GigabytePictureClaimIsRefusedWithoutAllocatingIt)
{
    const QByteArray name = "frmMain.imgLogo.png.logo";
    const QByteArray library = int32(1) + int32(name.size()) + name + int32(1 << 30) + QByteArray(64, 'x');
    E2eApp app(QStringLiteral("e2e-shop"));
    app.ui.expectMessage();
    const std::int64_t peak = startupPeak(app, mainForm({}), library);
    RecordProperty("peakMiB", int(peak));

    ASSERT_EQ(app.ui.messages().size(), 1u);
    EXPECT_EQ(app.ui.messages()[0].text,
              QStringLiteral("The picture library graphics.dll is damaged, entry 1 \"frmMain.imgLogo.png.logo\": "
                             "the picture size 1073741824 is not valid."));
    EXPECT_TRUE(app.main().isVisible());
    EXPECT_LT(peak, 300) << "MiB above the start";
}

TEST(Faults, TenMillionCharacterMemoIsSavedAndShownBackWithBoundedMemory)
{
    E2eApp app(QStringLiteral("e2e-shop"));
    ASSERT_TRUE(app.start());
    QString note;
    note.reserve(10'000'000);
    while (note.size() < 10'000'000)
        note += QStringLiteral("Line of a very long note, with ä and € in it.\n");
    note.truncate(10'000'000);

    test::resetPeakMemory();
    app.ui.expectModal([&](QDialog *) {
        ctl<TdbEdit>("frmCustomer", "edName").setText(QStringLiteral("Ada"));
        ctl<TdbMemo>("frmCustomer", "memoNote").setPlainText(note);
        E2eApp::click(QStringLiteral("frmCustomer"), QStringLiteral("bSave"));
    });
    E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bNew"));
    const std::int64_t peak = test::peakMemoryMiB();
    RecordProperty("peakMiB", int(peak));

    EXPECT_EQ(app.row(QStringLiteral("SELECT length(note) FROM customers")), QStringList{QStringLiteral("10000000")});
    EXPECT_TRUE(app.ui.messages().empty());
    EXPECT_LT(peak, 1000) << "MiB above the start";
}

#include "app/tfrmoptions.h"

#include "app/artwork.h"
#include "app/databaseprobe.h"
#include "app/settings.h"
#include "app/settingsfile.h"
#include "app/windowdesign.h"
#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "platform/projectfolder.h"
#include "platform/waitcursor.h"
#include "schema/createtables.h"
#include "schema/databaselocation.h"
#include "schema/sqlconnection.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace tarvo {

namespace {
const QString kOptions = QStringLiteral("Options");
const QString kServer = QStringLiteral("server");

QList<TableDefinition> projectTables()
{
    return ReadTableDefinitions(projectFolder() + QStringLiteral("tables.ini"));
}
} // namespace

template <class W> W *TfrmOptions::component(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    addComponent(widget);
    return widget;
}

TfrmOptions::TfrmOptions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      FormBase(this)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFont(designFont());
    setFixedSize(377, 218);

    GroupBox1 = component(new QGroupBox(QStringLiteral("Database"), this), "GroupBox1");
    GroupBox1->setGeometry(8, 8, 361, 169);
    rbAppFolder = component(
        new QRadioButton(QStringLiteral("Save the database file in the folder with the application."), GroupBox1),
        "rbAppFolder");
    rbAppFolder->setGeometry(12, 22, 340, 18);
    rbDBFilename = component(new QRadioButton(QStringLiteral("Specify the filename of the database."), GroupBox1),
                             "rbDBFilename");
    rbDBFilename->setGeometry(12, 46, 340, 18);
    edFileName = component(new QLineEdit(GroupBox1), "edFileName");
    edFileName->setGeometry(30, 70, 293, 22);
    bOpenFile = component(new QToolButton(GroupBox1), "bOpenFile");
    bOpenFile->setGeometry(326, 69, 24, 24);
    bOpenFile->setAutoRaise(true);
    bOpenFile->setIcon(folderIcon());
    // The example path is kept on one line: a wrap inside it would read as a different path.
    Label1 = component(new QLabel(QStringLiteral("You can also use a network folder<br>"
                                                 "(e.g. \\\\PCNAME\\Folder\\sqlite.db)<br>"
                                                 "or a PostgreSQL server (e.g. postgresql://user@host/shop)"),
                                  GroupBox1),
                       "Label1");
    Label1->setTextFormat(Qt::RichText);
    Label1->setGeometry(12, 100, 337, 56);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setStyleSheet(QStringLiteral("color: grey"));
    bTestConnection = component(new QPushButton(QStringLiteral("Test connection"), this), "bTestConnection");
    bTestConnection->setGeometry(8, 185, 105, 25);
    bOK = component(new QPushButton(QStringLiteral("OK"), this), "bOK");
    bOK->setGeometry(213, 185, 75, 25);
    bOK->setDefault(true);
    bCancel = component(new QPushButton(QStringLiteral("Cancel"), this), "bCancel");
    bCancel->setGeometry(294, 185, 75, 25);

    // toggled covers the mouse, the keyboard and FormShow's own checking alike.
    connect(rbAppFolder, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            guarded([this] { rbAppFolderClick(); });
    });
    connect(rbDBFilename, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            guarded([this] { rbDBFilenameClick(); });
    });
    connect(bOpenFile, &QToolButton::clicked, this, [this] { guarded([this] { bOpenFileClick(); }); });
    connect(bTestConnection, &QPushButton::clicked, this, [this] { guarded([this] { bTestConnectionClick(); }); });
    connect(bOK, &QPushButton::clicked, this, [this] { guarded([this] { bOKClick(); }); });
    connect(bCancel, &QPushButton::clicked, this, [this] { guarded([this] { bCancelClick(); }); });
}

void TfrmOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    guarded([this] { FormShow(); });
}

void TfrmOptions::FormShow()
{
    setFileNameEnabled(false);
    const QString stored = ReadDatabaseFileName();
    if (!stored.isEmpty()) {
        setFileNameEnabled(true);
        rbDBFilename->setChecked(true);
        edFileName->setText(stored);
    } else {
        rbAppFolder->setChecked(true);
    }
}

void TfrmOptions::setFileNameEnabled(bool enabled)
{
    edFileName->setEnabled(enabled);
    bOpenFile->setEnabled(enabled);
}

void TfrmOptions::rbAppFolderClick()
{
    setFileNameEnabled(false);
}

void TfrmOptions::rbDBFilenameClick()
{
    setFileNameEnabled(true);
}

// A new name is as welcome as an existing file: OK makes the new database.
void TfrmOptions::bOpenFileClick()
{
    const QString current = isServerLocation(edFileName->text()) ? QString() : edFileName->text();
    const QString chosen = interaction().openOrNewFileName(
        this, current, QStringLiteral("Database files (*.db *.sqlite *.sqlite3);;All files (*)"), QStringLiteral("db"));
    if (!chosen.isEmpty() && !QFileInfo(chosen).isDir())
        edFileName->setText(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
}

QString TfrmOptions::chosenLocation() const
{
    return rbDBFilename->isChecked() ? edFileName->text() : projectFolder() + QStringLiteral("sqlite.db");
}

void TfrmOptions::bTestConnectionClick()
{
    const QString location = chosenLocation();
    if (location.isEmpty()) {
        interaction().showMessage(this, {QStringLiteral("Enter a database file or a server address first."),
                                         QStringLiteral("Test connection"), MessageIcon::Warning, MessageButtons::Ok});
        return;
    }
    const Message found = [&] {
        const WaitCursor busy; // an unreachable server takes up to its 10 s connect timeout
        return probeDatabase(location, projectTables());
    }();
    interaction().showMessage(this, found);
}

// Start-up takes a stored file that is not there for a lost one (a network share gone), so a new
// file must exist before it is stored. Only an absolute name in an existing folder is made: a
// relative one would land wherever the program happens to start.
QString TfrmOptions::makeNewDatabaseFile()
{
    const QString location = edFileName->text();
    const QFileInfo file(location);
    if (!rbDBFilename->isChecked() || location.isEmpty() || isServerLocation(location) || file.exists()
        || file.isRelative() || !file.absoluteDir().exists())
        return QString();
    SqlConnection connection;
    connection.setDatabase(location);
    connection.open();
    try {
        connection.createSchema(projectTables());
    } catch (const Error &) {
        connection.close();
        QFile::remove(location);
        throw;
    }
    return location;
}

void TfrmOptions::bOKClick()
{
    const QString made = makeNewDatabaseFile();
    try {
        SaveOptions();
    } catch (const Error &) {
        if (!made.isEmpty()) // not stored: nobody would find it
            QFile::remove(made);
        throw;
    }
    close();
}

void TfrmOptions::bCancelClick()
{
    close();
}

void TfrmOptions::SaveOptions()
{
    const QString path = settingsFileName();
    SettingsFile settings(path);
    if (rbAppFolder->isChecked()) {
        // Only touch the file when there is a location to forget.
        if (settings.value(kOptions, kServer)) {
            settings.remove(kOptions, kServer);
            settings.save();
        }
    } else if (rbDBFilename->isChecked() && !edFileName->text().isEmpty()) {
        settings.setValue(kOptions, kServer, edFileName->text());
        settings.save();
    }
    interaction().showMessage(this, {QStringLiteral("Restart the program to apply the settings"),
                                     QStringLiteral("Info"), MessageIcon::Information, MessageButtons::Ok});
}

} // namespace tarvo

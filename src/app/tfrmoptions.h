#pragma once
// The options dialog: where the database lives, a file or a PostgreSQL server. OK writes the
// choice to settings.ini (SaveOptions); it takes effect at the next start. A file that does not
// exist yet is made at OK, with the tables of tables.ini, so that the next start finds it.
#include "controls/form.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tarvo {

class TfrmOptions : public QDialog, public FormBase {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget *parent = nullptr);

    void FormShow();
    void rbAppFolderClick();
    void rbDBFilenameClick();
    void bOpenFileClick();
    // Says what is at the chosen location, through the interaction layer.
    void bTestConnectionClick();
    void bOKClick();
    void bCancelClick();
    // Removes or writes [Options] server, then shows the restart message. Raises FileError
    // "Unable to write to ..." when settings.ini cannot be written (no message then).
    void SaveOptions();

    QGroupBox *GroupBox1;
    QRadioButton *rbAppFolder;
    QRadioButton *rbDBFilename;
    QLineEdit *edFileName;
    QToolButton *bOpenFile;
    QLabel *Label1;
    QPushButton *bTestConnection;
    QPushButton *bOK;
    QPushButton *bCancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setFileNameEnabled(bool enabled);
    QString chosenLocation() const; // the project folder's sqlite.db for the first choice
    // The new database file when OK names one that is not there yet; returns its path, or empty
    // text when nothing was made.
    QString makeNewDatabaseFile();
    template <class W> W *component(W *widget, const char *name);
};

} // namespace tarvo

#pragma once
// The options dialog: where the database file lives. OK writes the choice to settings.ini
// (SaveOptions); it takes effect at the next start.
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
    QPushButton *bOK;
    QPushButton *bCancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setFileNameEnabled(bool enabled);
    template <class W> W *component(W *widget, const char *name);
};

} // namespace tarvo

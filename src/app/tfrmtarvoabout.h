#pragma once
// The About window: the picture, the designer product's link (opened in the browser through the
// interaction layer), a line about Tarvo, Tarvo's version and OK.
#include "controls/form.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tarvo {

class TfrmTarvoAbout : public QDialog, public FormBase {
    Q_OBJECT
public:
    explicit TfrmTarvoAbout(QWidget *parent = nullptr);

    static QString productAddress();
    void lblLinkClick();
    void bOKClick();

    QLabel *imgPicture;
    QLabel *lblLink;
    QLabel *lblText;
    QLabel *lblVersion; // "Tarvo " and the version of this build
    QPushButton *bOK;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace tarvo

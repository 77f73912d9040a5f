#pragma once
// A further form built from forms.xml: a dialog shown modally by the actions.
#include "controls/form.h"

#include <QDialog>

namespace tarvo {

class TForm : public QDialog, public FormBase {
    Q_OBJECT
public:
    explicit TForm(QWidget *parent = nullptr) : QDialog(parent), FormBase(this) {}
};

} // namespace tarvo

#pragma once
// A further form built from forms.xml: a dialog shown modally by the actions.
#include "controls/form.h"
#include "platform/errorhandler.h"

#include <QDialog>
#include <functional>

namespace tarvo {

class TForm : public QDialog, public FormBase {
    Q_OBJECT
public:
    // A fixed-size form shown modally: a maximize button could not act on it, and minimizing
    // would hide it while it holds the rest of the application blocked.
    explicit TForm(QWidget *parent = nullptr) : QDialog(parent), FormBase(this)
    {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                       | Qt::WindowCloseButtonHint);
    }

    // Runs at every showing of the form (the form loader installs the focus handler).
    void setShowHandler(std::function<void(TForm *)> handler) { m_showHandler = std::move(handler); }

protected:
    void showEvent(QShowEvent *event) override
    {
        QDialog::showEvent(event);
        if (m_showHandler)
            guarded([this] { m_showHandler(this); });
    }

private:
    std::function<void(TForm *)> m_showHandler;
};

} // namespace tarvo

#pragma once
// The real desktop behind Interaction: QMessageBox, QDialog::exec, QFileDialog, the print, page
// setup, colour and font dialogs, the clipboard and the desktop shell. The only place in Tarvo that calls them.
#include "platform/interaction.h"

namespace tarvo {

// Where a message box sits: above the topmost modal form when one is open, else above `owner`
// (the active window while `owner` is not shown).
QWidget *messageParent(QWidget *owner);

class QtInteraction : public Interaction {
public:
    MessageAnswer showMessage(QWidget *owner, const Message &message) override;
    void showModal(QDialog *form) override;
    QString openFileName(QWidget *owner, const QString &filter, const QString &folder = QString()) override;
    QString saveFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                         const QString &defaultSuffix) override;
    QString openOrNewFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                              const QString &defaultSuffix) override;
    void setClipboardText(const QString &text) override;
    bool openUrl(const QUrl &url) override;
    bool hasApplicationFor(const QString &mimeType) override;
    bool choosePrinter(QPrinter &printer, QWidget *owner) override;
    bool pageSetup(QPrinter &printer, QWidget *owner) override;
    std::optional<QString> askPassword(QWidget *owner, const QString &prompt) override;
    std::optional<QColor> chooseColour(QWidget *owner, const QColor &initial) override;
    std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial) override;
    // Half a second: shorter work is over before a window could be read.
    std::chrono::milliseconds progressDelay() const override { return std::chrono::milliseconds(500); }
    std::unique_ptr<ProgressWindow> showProgress(QWidget *owner, const QString &label, qint64 total) override;
};

} // namespace tarvo

#pragma once
// An interaction layer without a desktop (fuzzing, command-line tools): messages are
// acknowledged, dialogs cancelled, nothing is shown or opened. Subclasses say what they can.
#include "platform/interaction.h"

namespace tarvo {

class HeadlessInteraction : public Interaction {
public:
    MessageAnswer showMessage(QWidget *, const Message &) override { return MessageAnswer::Ok; }
    void showModal(QDialog *) override {}
    QString openFileName(QWidget *, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    void setClipboardText(const QString &) override {}
    bool openUrl(const QUrl &) override { return false; }
    bool hasApplicationFor(const QString &) override { return false; }
    bool choosePrinter(QPrinter &, QWidget *) override { return false; }
    bool pageSetup(QPrinter &, QWidget *) override { return false; }
};

} // namespace tarvo

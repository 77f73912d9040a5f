#pragma once
// The one door to the desktop: message boxes, modal forms, file dialogs, clipboard and shell.
// The program installs QtInteraction; tests install a scripted implementation.
#include <QColor>
#include <QFont>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

class QWidget;
class QDialog;
class QPrinter;

namespace tarvo {

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct Message {
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// The answer that changes nothing, for a question nobody can answer: No, or Cancel where offered.
inline MessageAnswer answerChangingNothing(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

// The window of a piece of long work, open while the object lives (see WorkProgress).
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // Shows `done` of the total (of unknown total: a busy bar) under `label`, lets the windows
    // repaint and the user press Cancel; false once the user cancelled.
    virtual bool update(qint64 done, const QString &label) = 0;
};

class Interaction {
public:
    virtual ~Interaction() = default;

    // A modal message box owned by `owner` (may be null).
    virtual MessageAnswer showMessage(QWidget *owner, const Message &message) = 0;
    // Shows `form` modally and returns when it is closed (QWidget::close or a hidden form).
    virtual void showModal(QDialog *form) = 0;
    // File dialogs; `filter` uses Qt's syntax ("Pictures (*.png *.jpg);;All (*)").
    // An empty result means the user cancelled.
    // `folder`, when given, is where the open dialog starts.
    virtual QString openFileName(QWidget *owner, const QString &filter, const QString &folder = QString()) = 0;
    virtual QString saveFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                                 const QString &defaultSuffix) = 0;
    // A file to use or to make: an existing one is taken as it is, without the save dialog's
    // question whether to replace it. Tests answer it as a save dialog.
    virtual QString openOrNewFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                                      const QString &defaultSuffix)
    {
        return saveFileName(owner, suggestedName, filter, defaultSuffix);
    }
    virtual void setClipboardText(const QString &text) = 0;
    // Opens a file with the desktop's application for its type, or a web address.
    virtual bool openUrl(const QUrl &url) = 0;
    // Whether the desktop has an application registered for this MIME type.
    virtual bool hasApplicationFor(const QString &mimeType) = 0;
    // The print dialog and the page setup dialog; they edit `printer` and return false when the
    // user cancels.
    virtual bool choosePrinter(QPrinter &printer, QWidget *owner) = 0;
    virtual bool pageSetup(QPrinter &printer, QWidget *owner) = 0;
    // A password for `prompt`, typed without echo; nullopt when the user cancels (or nobody can be
    // asked).
    virtual std::optional<QString> askPassword(QWidget *owner, const QString &prompt)
    {
        (void)owner;
        (void)prompt;
        return std::nullopt;
    }
    // The colour and font dialogs, starting at `initial`; nullopt when the user cancels.
    virtual std::optional<QColor> chooseColour(QWidget *owner, const QColor &initial)
    {
        (void)owner;
        (void)initial;
        return std::nullopt;
    }
    virtual std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial)
    {
        (void)owner;
        (void)initial;
        return std::nullopt;
    }
    // How long work runs before its progress window shows; by default it never does.
    virtual std::chrono::milliseconds progressDelay() const { return std::chrono::milliseconds::max(); }
    // A modal progress window with Cancel for `total` steps (0: unknown); null when nothing can
    // be shown.
    virtual std::unique_ptr<ProgressWindow> showProgress(QWidget *owner, const QString &label, qint64 total)
    {
        (void)owner;
        (void)label;
        (void)total;
        return nullptr;
    }
};

// The installed implementation; never missing once the application or a test has started.
Interaction &interaction();
// Whether one is installed: code that runs without a desktop (benchmarks) then asks nobody.
bool hasInteraction();
// Installs `implementation` (not owned); returns the previous one.
Interaction *setInteraction(Interaction *implementation);

} // namespace tarvo

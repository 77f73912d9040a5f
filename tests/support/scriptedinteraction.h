#pragma once
// A strict, scripted stand-in for the desktop. Tests queue the answers they expect to give;
// a message or dialog nobody expected fails the test, and so does an answer left unused.
#include "platform/interaction.h"

#include <QStringList>
#include <QUrl>
#include <chrono>
#include <deque>
#include <functional>
#include <vector>

namespace tarvo::test {

class ScriptedInteraction : public Interaction {
public:
    ScriptedInteraction();
    ~ScriptedInteraction() override; // restores the previous implementation

    // Expectations, consumed in order.
    void expectMessage(MessageAnswer answer = MessageAnswer::Ok);
    // `onShown` runs while the form is shown modally; when it returns the form is hidden.
    void expectModal(std::function<void(QDialog *)> onShown);
    void expectOpenFile(const QString &chosen); // empty: the user cancels
    void expectSaveFile(const QString &chosen);
    void setHasApplication(bool has) { m_hasApplication = has; }
    // `onShown` edits the printer as the user would and returns whether the user accepted.
    void expectPrintDialog(std::function<bool(QPrinter &)> onShown);
    void expectPageSetup(std::function<bool(QPrinter &)> onShown);
    void expectPassword(std::optional<QString> typed); // nullopt: the user cancels
    // `onShown` sees the initial value and returns the user's choice (nullopt: cancel).
    void expectColour(std::function<std::optional<QColor>(const QColor &)> onShown);
    void expectFont(std::function<std::optional<QFont>(const QFont &)> onShown);
    // Progress windows show once work has run for `delay` (by default never). `onUpdate` runs at
    // each update of a shown window, with the count done; it returns false to press Cancel.
    void showProgressAfter(std::chrono::milliseconds delay, std::function<bool(qint64)> onUpdate = {});

    // What happened.
    const std::vector<Message> &messages() const { return m_messages; }
    const QString &clipboard() const { return m_clipboard; }
    const std::vector<QUrl> &openedUrls() const { return m_openedUrls; }
    QStringList messageTexts() const;
    struct ShownProgress {
        QString label; // as last updated
        qint64 total = 0;
        QList<qint64> updates;
        bool closed = false;
    };
    const std::vector<ShownProgress> &progressWindows() const { return m_progress; }

    // Fails the current test for every expectation still queued, then forgets them.
    void verify();

    MessageAnswer showMessage(QWidget *owner, const Message &message) override;
    void showModal(QDialog *form) override;
    QString openFileName(QWidget *owner, const QString &filter, const QString &folder = QString()) override;
    QString saveFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                         const QString &defaultSuffix) override;
    void setClipboardText(const QString &text) override { m_clipboard = text; }
    bool openUrl(const QUrl &url) override;
    bool hasApplicationFor(const QString &) override { return m_hasApplication; }
    bool choosePrinter(QPrinter &printer, QWidget *owner) override;
    bool pageSetup(QPrinter &printer, QWidget *owner) override;
    std::optional<QString> askPassword(QWidget *owner, const QString &prompt) override;
    const QStringList &passwordPrompts() const { return m_passwordPrompts; }
    std::optional<QColor> chooseColour(QWidget *owner, const QColor &initial) override;
    std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial) override;
    std::chrono::milliseconds progressDelay() const override { return m_progressDelay; }
    std::unique_ptr<ProgressWindow> showProgress(QWidget *owner, const QString &label, qint64 total) override;

private:
    Interaction *m_previous = nullptr;
    std::deque<MessageAnswer> m_answers;
    std::deque<std::function<void(QDialog *)>> m_modals;
    std::deque<QString> m_openFiles;
    std::deque<QString> m_saveFiles;
    std::deque<std::function<bool(QPrinter &)>> m_printDialogs;
    std::deque<std::function<bool(QPrinter &)>> m_pageSetups;
    std::deque<std::optional<QString>> m_passwords;
    std::deque<std::function<std::optional<QColor>(const QColor &)>> m_colours;
    std::deque<std::function<std::optional<QFont>(const QFont &)>> m_fonts;
    QStringList m_passwordPrompts;
    std::vector<Message> m_messages;
    std::vector<QUrl> m_openedUrls;
    QString m_clipboard;
    bool m_hasApplication = true;
    std::chrono::milliseconds m_progressDelay = std::chrono::milliseconds::max();
    std::function<bool(qint64)> m_onProgress;
    std::vector<ShownProgress> m_progress;
};

} // namespace tarvo::test

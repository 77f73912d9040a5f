#include "support/scriptedinteraction.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace tarvo::test {

ScriptedInteraction::ScriptedInteraction() : m_previous(setInteraction(this)) {}

ScriptedInteraction::~ScriptedInteraction()
{
    verify();
    setInteraction(m_previous);
}

void ScriptedInteraction::expectMessage(MessageAnswer answer)
{
    m_answers.push_back(answer);
}
void ScriptedInteraction::expectModal(std::function<void(QDialog *)> onShown)
{
    m_modals.push_back(std::move(onShown));
}
void ScriptedInteraction::expectOpenFile(const QString &chosen)
{
    m_openFiles.push_back(chosen);
}
void ScriptedInteraction::expectSaveFile(const QString &chosen)
{
    m_saveFiles.push_back(chosen);
}
void ScriptedInteraction::expectPrintDialog(std::function<bool(QPrinter &)> onShown)
{
    m_printDialogs.push_back(std::move(onShown));
}
void ScriptedInteraction::expectPageSetup(std::function<bool(QPrinter &)> onShown)
{
    m_pageSetups.push_back(std::move(onShown));
}

QStringList ScriptedInteraction::messageTexts() const
{
    QStringList texts;
    for (const Message &m : m_messages)
        texts << m.text;
    return texts;
}

void ScriptedInteraction::verify()
{
    if (!m_answers.empty())
        ADD_FAILURE() << m_answers.size() << " expected message(s) never shown";
    if (!m_modals.empty())
        ADD_FAILURE() << m_modals.size() << " expected modal form(s) never shown";
    if (!m_openFiles.empty() || !m_saveFiles.empty())
        ADD_FAILURE() << "expected file dialog(s) never shown";
    if (!m_printDialogs.empty() || !m_pageSetups.empty())
        ADD_FAILURE() << "expected print or page setup dialog(s) never shown";
    if (!m_passwords.empty())
        ADD_FAILURE() << m_passwords.size() << " expected password dialog(s) never shown";
    if (!m_colours.empty() || !m_fonts.empty())
        ADD_FAILURE() << "expected colour or font dialog(s) never shown";
    m_colours.clear();
    m_fonts.clear();
    m_passwords.clear();
    m_answers.clear();
    m_modals.clear();
    m_openFiles.clear();
    m_saveFiles.clear();
    m_printDialogs.clear();
    m_pageSetups.clear();
}

MessageAnswer ScriptedInteraction::showMessage(QWidget *, const Message &message)
{
    m_messages.push_back(message);
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected message: " << message.text.toStdString() << " [" << message.caption.toStdString()
                      << "]";
        return answerChangingNothing(message.buttons);
    }
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedInteraction::showModal(QDialog *form)
{
    if (m_modals.empty()) {
        ADD_FAILURE() << "unexpected modal form: " << form->objectName().toStdString();
        return;
    }
    auto onShown = std::move(m_modals.front());
    m_modals.pop_front();
    form->show();
    onShown(form);
    form->hide();
}

QString ScriptedInteraction::openFileName(QWidget *, const QString &, const QString &)
{
    if (m_openFiles.empty()) {
        ADD_FAILURE() << "unexpected open-file dialog";
        return {};
    }
    const QString chosen = m_openFiles.front();
    m_openFiles.pop_front();
    return chosen;
}

QString ScriptedInteraction::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    if (m_saveFiles.empty()) {
        ADD_FAILURE() << "unexpected save-file dialog";
        return {};
    }
    const QString chosen = m_saveFiles.front();
    m_saveFiles.pop_front();
    return chosen;
}

void ScriptedInteraction::expectPassword(std::optional<QString> typed)
{
    m_passwords.push_back(std::move(typed));
}

std::optional<QString> ScriptedInteraction::askPassword(QWidget *, const QString &prompt)
{
    m_passwordPrompts << prompt;
    if (m_passwords.empty()) {
        ADD_FAILURE() << "unexpected password dialog: " << prompt.toStdString();
        return std::nullopt;
    }
    // Taken apart rather than copied whole: GCC 12 warns falsely on copying an optional QString.
    const bool cancels = !m_passwords.front();
    const QString typed = m_passwords.front().value_or(QString());
    m_passwords.pop_front();
    if (cancels)
        return std::nullopt;
    return typed;
}

void ScriptedInteraction::expectColour(std::function<std::optional<QColor>(const QColor &)> onShown)
{
    m_colours.push_back(std::move(onShown));
}

void ScriptedInteraction::expectFont(std::function<std::optional<QFont>(const QFont &)> onShown)
{
    m_fonts.push_back(std::move(onShown));
}

namespace {
template <typename T>
std::optional<T> runChooser(std::deque<std::function<std::optional<T>(const T &)>> &queue, const T &initial,
                            const char *what)
{
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return std::nullopt;
    }
    auto onShown = std::move(queue.front());
    queue.pop_front();
    return onShown(initial);
}
} // namespace

std::optional<QColor> ScriptedInteraction::chooseColour(QWidget *, const QColor &initial)
{
    return runChooser(m_colours, initial, "colour dialog");
}

std::optional<QFont> ScriptedInteraction::chooseFont(QWidget *, const QFont &initial)
{
    return runChooser(m_fonts, initial, "font dialog");
}

void ScriptedInteraction::showProgressAfter(std::chrono::milliseconds delay, std::function<bool(qint64)> onUpdate)
{
    m_progressDelay = delay;
    m_onProgress = std::move(onUpdate);
}

namespace {

class ScriptedProgressWindow : public ProgressWindow {
public:
    ScriptedProgressWindow(std::vector<ScriptedInteraction::ShownProgress> &shown, std::size_t index,
                           const std::function<bool(qint64)> &onUpdate)
        : m_shown(shown), m_index(index), m_onUpdate(onUpdate)
    {
    }
    ~ScriptedProgressWindow() override { m_shown[m_index].closed = true; }
    bool update(qint64 done, const QString &label) override
    {
        m_shown[m_index].label = label;
        m_shown[m_index].updates << done;
        // A copy: the callback may start other work that replaces the script.
        const std::function<bool(qint64)> onUpdate = m_onUpdate;
        return !onUpdate || onUpdate(done);
    }

private:
    std::vector<ScriptedInteraction::ShownProgress> &m_shown;
    std::size_t m_index;
    const std::function<bool(qint64)> &m_onUpdate;
};

} // namespace

std::unique_ptr<ProgressWindow> ScriptedInteraction::showProgress(QWidget *, const QString &label, qint64 total)
{
    m_progress.push_back({label, total, {}, false});
    return std::make_unique<ScriptedProgressWindow>(m_progress, m_progress.size() - 1, m_onProgress);
}

bool ScriptedInteraction::openUrl(const QUrl &url)
{
    m_openedUrls.push_back(url);
    return true;
}

namespace {
bool runPrinterScript(std::deque<std::function<bool(QPrinter &)>> &queue, QPrinter &printer, const char *what)
{
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return false;
    }
    auto onShown = std::move(queue.front());
    queue.pop_front();
    return onShown(printer);
}
} // namespace

bool ScriptedInteraction::choosePrinter(QPrinter &printer, QWidget *)
{
    return runPrinterScript(m_printDialogs, printer, "print dialog");
}

bool ScriptedInteraction::pageSetup(QPrinter &printer, QWidget *)
{
    return runPrinterScript(m_pageSetups, printer, "page setup dialog");
}

} // namespace tarvo::test

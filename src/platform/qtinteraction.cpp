#include "platform/qtinteraction.h"

#include "platform/waitcursor.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressDialog>
#include <algorithm>

namespace tarvo {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget *messageParent(QWidget *owner)
{
    // The window manager keeps a message above its parent and raises that parent with it: a
    // message owned by the main window while a modal form is open would hide the form.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    // A form being filled before it is shown is no place for a message yet.
    if (owner && !owner->isVisible())
        return QApplication::activeWindow();
    return owner;
}

MessageAnswer QtInteraction::showMessage(QWidget *owner, const Message &message)
{
    QMessageBox box(toQtIcon(message.icon), message.caption, message.text, QMessageBox::NoButton, messageParent(owner));
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    if (message.buttons == MessageButtons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Cancel;
        }
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

std::optional<QString> QtInteraction::askPassword(QWidget *owner, const QString &prompt)
{
    const NormalCursor asking;
    bool accepted = false;
    const QString password = QInputDialog::getText(owner, QStringLiteral("Password"), prompt, QLineEdit::Password,
                                                   QString(), &accepted);
    return accepted ? std::optional<QString>(password) : std::nullopt;
}

std::optional<QColor> QtInteraction::chooseColour(QWidget *owner, const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, messageParent(owner));
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

std::optional<QFont> QtInteraction::chooseFont(QWidget *owner, const QFont &initial)
{
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, initial, messageParent(owner));
    return accepted ? std::optional<QFont>(chosen) : std::nullopt;
}

void QtInteraction::showModal(QDialog *form)
{
    form->exec();
}

QString QtInteraction::openFileName(QWidget *owner, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(owner, QString(), folder, filter);
}

namespace {

QString savingFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                       const QString &defaultSuffix, QFileDialog::Options options)
{
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(options);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtInteraction::saveFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                                    const QString &defaultSuffix)
{
    return savingFileName(owner, suggestedName, filter, defaultSuffix, {});
}

QString QtInteraction::openOrNewFileName(QWidget *owner, const QString &suggestedName, const QString &filter,
                                         const QString &defaultSuffix)
{
    return savingFileName(owner, suggestedName, filter, defaultSuffix, QFileDialog::DontConfirmOverwrite);
}

void QtInteraction::setClipboardText(const QString &text)
{
    QApplication::clipboard()->setText(text);
}

bool QtInteraction::openUrl(const QUrl &url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    // Some platforms (offscreen, minimal window managers) refuse; the freedesktop opener still works.
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   {url.isLocalFile() ? url.toLocalFile() : url.toString()});
}

bool QtInteraction::hasApplicationFor(const QString &mimeType)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(5000))
        return false;
    // xdg-mime prints nothing (and still exits 0) when no application is registered.
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

namespace {

class QtProgressWindow : public ProgressWindow {
public:
    QtProgressWindow(QWidget *owner, const QString &label, qint64 total)
        : m_dialog(label, QProgressDialog::tr("Cancel"), 0, 0, messageParent(owner)), m_total(total)
    {
        m_dialog.setObjectName(QStringLiteral("WorkProgress"));
        m_dialog.setWindowTitle(QGuiApplication::applicationDisplayName());
        // Nothing else may change what the work reads, nor start other work, while it runs.
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setMinimumDuration(0); // the work has already waited its delay
        m_dialog.setMinimumWidth(360);
        if (total > 0)
            m_dialog.setMaximum(kSteps);
        // The wait cursor of the work would hide that Cancel can be clicked.
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        m_dialog.show();
        QCoreApplication::processEvents();
        m_sinceEvents.start();
    }
    ~QtProgressWindow() override { QGuiApplication::restoreOverrideCursor(); }

    bool update(qint64 done, const QString &label) override
    {
        // Events cost more than a few rows: a window repainted 25 times a second looks smooth.
        if (m_sinceEvents.elapsed() < 40)
            return !m_dialog.wasCanceled();
        m_dialog.setLabelText(label);
        if (m_total > 0)
            m_dialog.setValue(int(std::clamp<qint64>(done * kSteps / m_total, 0, kSteps)));
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
        return !m_dialog.wasCanceled();
    }

private:
    static constexpr int kSteps = 1000; // a total beyond int's range still fits
    QProgressDialog m_dialog;
    qint64 m_total;
    QElapsedTimer m_sinceEvents;
};

} // namespace

std::unique_ptr<ProgressWindow> QtInteraction::showProgress(QWidget *owner, const QString &label, qint64 total)
{
    return std::make_unique<QtProgressWindow>(owner, label, total);
}

bool QtInteraction::choosePrinter(QPrinter &printer, QWidget *owner)
{
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool QtInteraction::pageSetup(QPrinter &printer, QWidget *owner)
{
    QPageSetupDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tarvo

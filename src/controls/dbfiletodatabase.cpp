#include "controls/dbfiletodatabase.h"

#include "controls/form.h"
#include "controls/picture.h"
#include "controls/sharedresources.h"
#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "schema/sqlconnection.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>
#include <QUrl>

namespace tarvo {

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw FileError(QStringLiteral("Unable to write to ") + path);
}

// One edit button's states from the shared image list: normal, hot, pressed, disabled.
QIcon buttonIcon(const QList<QIcon> &images, int normal, int hot, int pressed, int disabled)
{
    QIcon icon;
    const QSize size(16, 16);
    const auto add = [&](int index, QIcon::Mode mode) {
        if (index >= 0 && index < images.size())
            icon.addPixmap(images.at(index).pixmap(size), mode);
    };
    add(normal, QIcon::Normal);
    add(hot, QIcon::Active);
    add(pressed, QIcon::Selected);
    add(disabled, QIcon::Disabled);
    return icon;
}
} // namespace

TdbFileToDatabase::TdbFileToDatabase(QWidget *parent)
    : QLineEdit(parent), m_left(new QAction(this)), m_right(new QAction(this)), m_popup(new QMenu(this))
{
    setReadOnly(true);
    m_left->setObjectName(QStringLiteral("LeftButton"));
    m_right->setObjectName(QStringLiteral("RightButton"));
    m_left->setToolTip(QStringLiteral("Выбрать файл для сохранения в базу данных."));
    m_right->setToolTip(QStringLiteral("Сохранение или открытие файла из базы данных."));
    addAction(m_left, QLineEdit::LeadingPosition);
    addAction(m_right, QLineEdit::TrailingPosition);
    applyButtonImages();

    addMenuItem("mniRunFile", QStringLiteral("Open file"), &TdbFileToDatabase::mniRunFileClick);
    addMenuItem("mniSaveFile", QStringLiteral("Save file"), &TdbFileToDatabase::mniSaveFileClick);
    m_popup->addSeparator();
    addMenuItem("mniDeleteFile", QStringLiteral("Delete file"), &TdbFileToDatabase::mniDeleteFileClick);
    m_right->setMenu(m_popup);
    // The edit's button does not open an action's menu by itself; drop it down under the button.
    connect(m_right, &QAction::triggered, this, [this] {
        QWidget *button = nullptr;
        for (QToolButton *candidate : findChildren<QToolButton *>())
            if (candidate->defaultAction() == m_right)
                button = candidate;
        QWidget *anchor = button ? button : this;
        m_popup->popup(anchor->mapToGlobal(QPoint(0, anchor->height())));
    });
    connectGuarded(m_left, &TdbFileToDatabase::LeftButtonClick);
    setRightButtonEnabled(false);
}

QAction *TdbFileToDatabase::addMenuItem(const char *name, const QString &caption, void (TdbFileToDatabase::*handler)())
{
    QAction *item = m_popup->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    connectGuarded(item, handler);
    return item;
}

void TdbFileToDatabase::connectGuarded(QAction *action, void (TdbFileToDatabase::*handler)())
{
    connect(action, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void TdbFileToDatabase::applyButtonImages()
{
    const QList<QIcon> &images = sharedResources().buttonEdit;
    m_right->setIcon(buttonIcon(images, 0, 1, 2, 3));
    m_left->setIcon(buttonIcon(images, 4, 5, 6, -1));
}

bool TdbFileToDatabase::rightButtonEnabled() const
{
    return m_right->isEnabled();
}
void TdbFileToDatabase::setRightButtonEnabled(bool enabled)
{
    m_right->setEnabled(enabled);
}

QWidget *TdbFileToDatabase::dialogOwner() const
{
    const FormBase *form = formOf(this);
    return form ? form->widget() : window();
}

void TdbFileToDatabase::ClearEx()
{
    clear();
    m_dbFileName.clear();
    m_dbID = -1;
    m_dbFileIsChanged = false;
    setRightButtonEnabled(false);
}

void TdbFileToDatabase::LeftButtonClick()
{
    const QString chosen = interaction().openFileName(dialogOwner(), QString());
    if (chosen.isEmpty() || !QFileInfo(chosen).isFile())
        return;
    m_dbFileName = chosen;
    setText(fileNamePart(chosen));
    m_dbFileIsChanged = true;
}

std::optional<QByteArray> TdbFileToDatabase::FetchStoredFile()
{
    SqlConnection *connection = sharedResources().connection;
    if (m_dbID == -1 || !connection)
        return std::nullopt;
    SqlQuery query = connection->query(QStringLiteral("SELECT ") + m_dbField + QLatin1Char(',') + m_dbField
                                       + QStringLiteral("_filename FROM ") + m_dbTable + QStringLiteral(" WHERE id=")
                                       + QString::number(m_dbID));
    if (query.eof())
        return std::nullopt;
    // A row whose column holds no file (NULL) has nothing stored: writing an empty file in its
    // place would report a success that did not happen.
    if (!query.isBlob(0))
        return std::nullopt;
    const QByteArray bytes = query.bytes(0);
    const QString storedName = query.text(1);
    query.next();
    if (!query.eof())
        return std::nullopt;
    m_dbFileName = storedName;
    return bytes;
}

void TdbFileToDatabase::showNoFileMessage()
{
    interaction().showMessage(dialogOwner(),
                              Message{QStringLiteral("There is no file to save."), QStringLiteral("Error"),
                                      MessageIcon::Information, MessageButtons::Ok});
}

void TdbFileToDatabase::mniRunFileClick()
{
    const auto stored = FetchStoredFile();
    if (!stored) {
        showNoFileMessage();
        return;
    }
    // Only the file-name part of the stored name is used: a path from the database must never
    // decide where we write.
    const QString name = fileNamePart(m_dbFileName);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        throw FileError(QStringLiteral("The stored file has no valid name: \"%1\"").arg(m_dbFileName));
    const QString path = QDir(QDir::tempPath()).filePath(name);
    writeFile(path, *stored);
    interaction().openUrl(QUrl::fromLocalFile(path));
}

void TdbFileToDatabase::mniSaveFileClick()
{
    const auto stored = FetchStoredFile();
    if (!stored) {
        showNoFileMessage();
        return;
    }
    const QString chosen = interaction().saveFileName(dialogOwner(), fileNamePart(m_dbFileName), QString(), QString());
    if (!chosen.isEmpty())
        writeFile(chosen, *stored);
}

void TdbFileToDatabase::mniDeleteFileClick()
{
    const Message question{QStringLiteral("Do you really want to delete the file from the database?"),
                           QStringLiteral("Confirm"), MessageIcon::Question, MessageButtons::YesNo};
    if (interaction().showMessage(dialogOwner(), question) != MessageAnswer::Yes)
        return;
    ClearEx();
    m_dbFileIsChanged = true;
}

} // namespace tarvo

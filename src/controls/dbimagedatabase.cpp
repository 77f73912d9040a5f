#include "controls/dbimagedatabase.h"

#include "controls/form.h"
#include "controls/imageviewer.h"
#include "controls/sharedresources.h"
#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"

#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>

namespace tarvo {

namespace {
const QString kPictureFilter = QStringLiteral(
    "All (*.gif *.png *.jpg *.jpeg *.bmp);;GIF Image (*.gif);;Portable Network Graphics (*.png);;"
    "JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;Bitmaps (*.bmp)");
const int kButtonSize = 26;
const int kPlaceholderLimit = 4096;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw FileError(QStringLiteral("Unable to write to ") + path);
}
} // namespace

TdbImageDataBase::TdbImageDataBase(QWidget *parent) : TImage(parent)
{
    setCenter(true);
    setCursor(Qt::PointingHandCursor);

    m_toolBar = new QToolBar(parent);
    m_toolBar->hide();
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setContentsMargins(0, 0, 0, 0);
    m_toolBar->layout()->setContentsMargins(0, 0, 0, 0);
    m_toolBar->layout()->setSpacing(0);
    m_open = addToolButton(0, QStringLiteral("Select image to be save in the database"),
                           &TdbImageDataBase::ToolButtonOpenClick);
    m_save = addToolButton(1, QStringLiteral("Save image from the database"), &TdbImageDataBase::ToolButtonSaveClick);
    m_delete = addToolButton(2, QStringLiteral("Delete the image from the database"),
                             &TdbImageDataBase::ToolButtonDeleteClick);
    m_toolBar->adjustSize();
}

TdbImageDataBase::~TdbImageDataBase()
{
    // The toolbar lives in our parent, which may outlive us.
    delete m_toolBar.data();
}

QAction *TdbImageDataBase::addToolButton(int image, const QString &hint, void (TdbImageDataBase::*handler)())
{
    const QList<QIcon> &icons = sharedResources().imageDataBase;
    QAction *action = m_toolBar->addAction(image < icons.size() ? icons.at(image) : QIcon(), QString());
    action->setToolTip(hint);
    m_toolBar->widgetForAction(action)->setFixedSize(kButtonSize, kButtonSize);
    connect(action, &QAction::triggered, this, [this, handler] {
        guarded([this, handler] { (this->*handler)(); });
        hideToolBarIfPointerLeft();
    });
    return action;
}

QWidget *TdbImageDataBase::dialogOwner() const
{
    const FormBase *form = formOf(this);
    return form ? form->widget() : window();
}

QWidget *TdbImageDataBase::toolBarHost()
{
    // The toolbar shares the control's parent, so both are placed in one coordinate space;
    // without a parent it would become a window of its own, so it stays inside the control.
    return parentWidget() ? parentWidget() : this;
}

void TdbImageDataBase::DrawPlaceholder()
{
    if (m_toolBar && m_toolBar->parentWidget() != toolBarHost()) {
        m_toolBar->setParent(toolBarHost());
        m_toolBar->hide();
    }
    if (width() <= 0 || height() <= 0 || !m_dbFileName.isEmpty())
        return;
    // A control larger than any screen would cost gigabytes for a grey bitmap; the capped one is
    // centred in it.
    const QSize drawn = size().boundedTo(QSize(kPlaceholderLimit, kPlaceholderLimit));
    QImage image(drawn, QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Button));
    QPainter painter(&image);
    QPen pen(Qt::black, 0, Qt::DotLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, drawn.width() - 1, drawn.height() - 1);
    painter.end();
    setPicture(Picture::fromImage(image));
}

void TdbImageDataBase::LoadPictureFromStream(const QByteArray &bytes, const QString &FileName)
{
    if (const auto decoded = Picture::decodeByName(bytes, FileName))
        setPicture(*decoded);
}

bool TdbImageDataBase::showStoredPicture(const QByteArray &bytes, const QString &FileName)
{
    try {
        LoadPictureFromStream(bytes, FileName);
        return true;
    } catch (const ConversionError &e) {
        clearPicture();
        const Message damaged{QStringLiteral("The picture in field \"%1\" cannot be shown: %2 "
                                             "Load another picture or delete this one.")
                                  .arg(m_dbField, e.message()),
                              QStringLiteral("Error"), MessageIcon::Information, MessageButtons::Ok};
        interaction().showMessage(dialogOwner(), damaged);
        return false;
    }
}

void TdbImageDataBase::Clear()
{
    clearPicture();
    m_dbFileName.clear();
    DrawPlaceholder();
}

void TdbImageDataBase::showToolBar()
{
    if (!m_toolBar)
        return;
    if (m_toolBar->parentWidget() != toolBarHost())
        m_toolBar->setParent(toolBarHost());
    const bool hasPicture = !m_dbFileName.isEmpty();
    m_open->setEnabled(true);
    m_save->setEnabled(hasPicture);
    m_delete->setEnabled(hasPicture);
    const QPoint origin = toolBarHost() == this ? QPoint(0, 0) : pos();
    m_toolBar->move(origin.x() + width() / 2 - m_toolBar->width() / 2, origin.y() + 1);
    m_toolBar->show();
    m_toolBar->raise();
}

void TdbImageDataBase::leaveAt(const QPoint &pos)
{
    if (m_toolBar && (pos.x() < 5 || pos.x() > width() - 5 || pos.y() < 5 || pos.y() > height() - 5))
        m_toolBar->hide();
}

// The buttons run dialogs, and no leave event arrives while a dialog has the pointer.
void TdbImageDataBase::hideToolBarIfPointerLeft()
{
    if (m_toolBar && !rect().contains(mapFromGlobal(QCursor::pos())))
        m_toolBar->hide();
}

void TdbImageDataBase::ToolButtonOpenClick()
{
    const QString chosen = interaction().openFileName(dialogOwner(), kPictureFilter);
    if (chosen.isEmpty() || !QFileInfo(chosen).isFile())
        return;
    if (!Picture::formatForExtension(fileExtension(chosen)).isEmpty()) {
        QFile file(chosen);
        if (!file.open(QIODevice::ReadOnly))
            throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(chosen, file.errorString()));
        LoadPictureFromStream(file.readAll(), chosen);
    }
    m_dbFileName = chosen;
    m_dbImageIsChanged = true;
}

void TdbImageDataBase::ToolButtonSaveClick()
{
    if (m_dbFileName.isEmpty())
        return;
    const QString suffix = fileExtension(m_dbFileName).mid(1);
    const QString chosen = interaction().saveFileName(dialogOwner(), fileNamePart(m_dbFileName), kPictureFilter,
                                                      suffix);
    if (!chosen.isEmpty())
        writeFile(chosen, pictureBytes());
}

void TdbImageDataBase::ToolButtonDeleteClick()
{
    if (m_dbFileName.isEmpty())
        return;
    const Message question{QStringLiteral("Are you sure you want to delete the image from the database?"),
                           QStringLiteral("Confirm"), MessageIcon::Information, MessageButtons::YesNo};
    if (interaction().showMessage(dialogOwner(), question) != MessageAnswer::Yes)
        return;
    Clear();
    m_dbImageIsChanged = true;
}

void TdbImageDataBase::resizeEvent(QResizeEvent *event)
{
    TImage::resizeEvent(event);
    guarded([this] { DrawPlaceholder(); });
}

void TdbImageDataBase::enterEvent(QEnterEvent *event)
{
    TImage::enterEvent(event);
    guarded([this] { showToolBar(); });
}

void TdbImageDataBase::leaveEvent(QEvent *event)
{
    TImage::leaveEvent(event);
    guarded([this] { leaveAt(mapFromGlobal(QCursor::pos())); });
}

void TdbImageDataBase::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    TImage::mousePressEvent(event);
}

void TdbImageDataBase::mouseReleaseEvent(QMouseEvent *event)
{
    TImage::mouseReleaseEvent(event);
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (!click)
        return;
    guarded([this] {
        if (!m_dbFileName.isEmpty())
            if (TfrmTarvoImageViewer *viewer = TfrmTarvoImageViewer::instance())
                viewer->ShowImageViewer(picture());
    });
}

} // namespace tarvo

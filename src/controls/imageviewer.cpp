#include "controls/imageviewer.h"

#include "controls/dbimage.h"
#include "platform/errorhandler.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace tarvo {

namespace {
TfrmTarvoImageViewer *g_instance = nullptr;
}

TfrmTarvoImageViewer::TfrmTarvoImageViewer(QWidget *parent)
    : QDialog(parent), FormBase(this), m_imgView(new TImage(this))
{
    setObjectName(QStringLiteral("frmTarvoImageViewer"));
    setWindowTitle(QStringLiteral("Просмотр изображений"));
    setModal(false);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    m_imgView->setObjectName(QStringLiteral("imgView"));
    m_imgView->setCenter(true);
    m_imgView->setProportional(true);
    addComponent(m_imgView);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_imgView);
    connect(m_imgView, &TImage::doubleClicked, this, [this] { guarded([this] { close(); }); });

    resize(664, 481);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    g_instance = this;
}

TfrmTarvoImageViewer::~TfrmTarvoImageViewer()
{
    if (g_instance == this)
        g_instance = nullptr;
}

TfrmTarvoImageViewer *TfrmTarvoImageViewer::instance()
{
    return g_instance;
}

QSize TfrmTarvoImageViewer::screenSize() const
{
    if (m_screenSize.isValid())
        return m_screenSize;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

void TfrmTarvoImageViewer::attachToModalForm()
{
    // Opened from a modal form, the viewer has to be that form's own window: otherwise the form's
    // modality blocks it, and Escape meant for the viewer reaches the form and cancels it.
    QWidget *modal = QApplication::activeModalWidget();
    QWidget *owner = modal != this ? modal : nullptr;
    if (parentWidget() != owner)
        setParent(owner, windowFlags());
}

void TfrmTarvoImageViewer::ShowImageViewer(const Picture &Pic)
{
    attachToModalForm();
    const bool wasVisible = isVisible();
    m_imgView->setPicture(Pic);
    const QSize screen = screenSize();
    if (Pic.width() - 20 > screen.width() || Pic.height() - 20 > screen.height()) {
        m_imgView->setStretch(true);
        showMaximized();
    } else {
        m_imgView->setStretch(false);
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        resize(Pic.width(), Pic.height());
        showNormal();
    }
    // Showing brings a hidden window forward; one already open is raised over the application.
    if (wasVisible)
        raise();
    activateWindow(); // its keys (Escape) must reach it, not the form it was opened from
}

void TfrmTarvoImageViewer::keyPressEvent(QKeyEvent *event)
{
    // Escape closes on release; QDialog would otherwise reject on the press already.
    if (event->key() == Qt::Key_Escape)
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void TfrmTarvoImageViewer::keyReleaseEvent(QKeyEvent *event)
{
    guarded([&] {
        if (event->key() == Qt::Key_Escape)
            close();
        else
            QDialog::keyReleaseEvent(event);
    });
}

void TfrmTarvoImageViewer::hideEvent(QHideEvent *event)
{
    m_imgView->clearPicture();
    QDialog::hideEvent(event);
}

void TfrmTarvoImageViewer::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    // Back to a window of its own: the form it was lent to must never own (and delete) it.
    if (parentWidget())
        setParent(nullptr, windowFlags());
}

} // namespace tarvo

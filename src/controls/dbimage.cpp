#include "controls/dbimage.h"

#include "platform/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace tarvo {

TImage::TImage(QWidget *parent) : QWidget(parent) {}

void TImage::setPicture(const Picture &picture)
{
    m_picture = picture;
    rebuildDrawn();
}

void TImage::setCenter(bool on)
{
    m_center = on;
    update();
}
void TImage::setStretch(bool on)
{
    m_stretch = on;
    update();
}
void TImage::setProportional(bool on)
{
    m_proportional = on;
    update();
}

void TImage::setTransparent(bool on)
{
    m_transparent = on;
    rebuildDrawn();
}

void TImage::rebuildDrawn()
{
    m_drawn = m_picture.image();
    // A bitmap without alpha is made transparent by its bottom-left colour. Photos are left
    // alone: their bottom-left colour recurs in single pixels all over and would speckle them;
    // PNG and GIF bring their own transparency.
    if (m_transparent && m_picture.format() == "bmp" && !m_drawn.isNull() && !m_drawn.hasAlphaChannel()) {
        const QRgb key = m_drawn.pixel(0, m_drawn.height() - 1);
        m_drawn = m_drawn.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < m_drawn.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(m_drawn.scanLine(y));
            for (int x = 0; x < m_drawn.width(); ++x)
                if (line[x] == key)
                    line[x] = 0;
        }
    }
    update();
}

QRect TImage::pictureRect() const
{
    const int pw = m_picture.width(), ph = m_picture.height();
    int w = pw, h = ph;
    if (m_stretch || (m_proportional && (pw > width() || ph > height()))) {
        if (m_proportional && pw > 0 && ph > 0) {
            w = width();
            h = int(qint64(width()) * ph / pw);
            if (h > height()) {
                h = height();
                w = int(qint64(height()) * pw / ph);
            }
        } else {
            w = width();
            h = height();
        }
    }
    QRect rect(0, 0, w, h);
    if (m_center)
        rect.moveTo((width() - w) / 2, (height() - h) / 2);
    return rect;
}

void TImage::paintEvent(QPaintEvent *)
{
    if (m_drawn.isNull())
        return;
    QPainter painter(this);
    const QRect target = pictureRect();
    if (!m_transparent && m_drawn.hasAlphaChannel())
        painter.fillRect(target, palette().window());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.size() != m_drawn.size());
    painter.drawImage(target, m_drawn);
}

void TImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void TdbImage::LoadPicture(const QString &FileName)
{
    if (!QFileInfo(FileName).isFile())
        return;
    if (Picture::formatForExtension(fileExtension(FileName)).isEmpty())
        return;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, file.errorString()));
    if (const auto picture = Picture::decodeByName(file.readAll(), FileName))
        setPicture(*picture);
}

} // namespace tarvo

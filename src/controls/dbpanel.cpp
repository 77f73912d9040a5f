#include "controls/dbpanel.h"

#include <QPaintEvent>
#include <QPainter>

namespace tarvo {

TdbPanel::TdbPanel(QWidget *parent) : QFrame(parent), m_color(palette().color(QPalette::Button)) {}

void TdbPanel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void TdbPanel::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(event->rect(), m_color);
    QFrame::paintEvent(event);
}

} // namespace tarvo

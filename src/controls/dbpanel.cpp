#include "controls/dbpanel.h"

namespace tarvo {

TdbPanel::TdbPanel(QWidget *parent) : QFrame(parent)
{
    setAutoFillBackground(true);
}

QColor TdbPanel::color() const
{
    return palette().color(QPalette::Window);
}

void TdbPanel::setColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

} // namespace tarvo

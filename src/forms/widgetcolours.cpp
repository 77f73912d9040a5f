#include "forms/widgetcolours.h"

#include <QWidget>
#include <algorithm>

namespace tarvo {

void setPaletteColour(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &colour)
{
    const QPalette &current = widget->palette();
    if (std::all_of(roles.begin(), roles.end(), [&](QPalette::ColorRole role) { return current.color(role) == colour; }))
        return;
    QPalette palette = current;
    for (QPalette::ColorRole role : roles)
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace tarvo

#pragma once
// Fonts and colours from forms.xml applied to a control that was just built.
#include <QColor>
#include <QPalette>
#include <initializer_list>

class QFont;
class QWidget;

namespace tarvo {

// Gives `roles` the colour. The palette is changed only when one of them differs: most
// controls keep the designer's default colours, and each palette change resolves the whole
// palette against the parent's again.
void setPaletteColour(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &colour);

// Paints `colour` on the surface of a form (its client area) under its controls. Unlike a
// palette colour it is not passed on to the children: menus, grid headers and control frames
// keep their own colours.
void setSurfaceColour(QWidget *surface, const QColor &colour);

// Sets the font of a control that was just built. A combo box answers a font change by building
// its popup list to pass the font on, the dearest step of a whole form; a popup built later
// takes the box's font anyway, and a box just built has no size hint to invalidate yet.
void setNewControlFont(QWidget *control, const QFont &font);

} // namespace tarvo

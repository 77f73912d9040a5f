#pragma once
// Colours from forms.xml applied to a widget's palette.
#include <QColor>
#include <QPalette>
#include <initializer_list>

class QWidget;

namespace tarvo {

// Gives `roles` the colour. The palette is changed only when one of them differs: most
// controls keep the designer's default colours, and each palette change resolves the whole
// palette against the parent's again.
void setPaletteColour(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &colour);

} // namespace tarvo

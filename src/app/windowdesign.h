#pragma once
// Shared look of Tarvo's own windows: the design font and placement on the screen.
class QFont;
class QWidget;

namespace tarvo {

// Tahoma 8 pt (the desktop substitutes its nearest font where Tahoma is missing).
QFont designFont();
// Centres the window's frame on the screen's available area.
void centreOnScreen(QWidget *window);

} // namespace tarvo

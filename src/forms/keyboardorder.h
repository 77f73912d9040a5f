#pragma once
// Keyboard order of built forms: every container keeps an ordered tab sequence of its windowed
// children (tab stops or not); the whole form's order is applied to Qt's focus chain so that Tab
// follows it.
#include <QList>

class QWidget;

namespace tarvo {

// Appends a new windowed child at the end of its container's sequence.
void appendToTabSequence(QWidget *container, QWidget *child);
struct TabPosition {
    QWidget *child;
    int position;
};
// For each entry in turn, moves its child to its position, first clamped to 0 .. length - 1;
// a child not in the sequence stays where it is.
void setTabPositions(QWidget *container, const QList<TabPosition> &positions);
QList<QWidget *> tabSequence(const QWidget *container);
// Every child in sequence order, each followed by its own full order (depth first).
QList<QWidget *> fullKeyboardOrder(const QWidget *container);
// Chains Qt's focus order through the full order of `container`.
void applyKeyboardOrder(const QWidget *container);

// TabStop false keeps the control reachable by click and by program, not by Tab.
void setTabStop(QWidget *control, bool tabStop);
// The widget that takes the focus for `control` (its focus proxy when it has one).
QWidget *focusTarget(QWidget *control);
// Where Tab stops inside `control`, in order: its focus target, and after a date picker's
// check box its editor.
QList<QWidget *> focusStops(QWidget *control);

} // namespace tarvo

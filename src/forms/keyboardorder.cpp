#include "forms/keyboardorder.h"

#include "controls/dbdatetimepicker.h"

#include <QDateTimeEdit>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace tarvo {

namespace {

using Sequence = QList<QPointer<QWidget>>;
constexpr char sequenceProperty[] = "tarvoTabSequence";

Sequence storedSequence(const QWidget *container)
{
    return container->property(sequenceProperty).value<Sequence>();
}

void store(QWidget *container, const Sequence &sequence)
{
    container->setProperty(sequenceProperty, QVariant::fromValue(sequence));
}

void collect(const QWidget *container, QList<QWidget *> &order)
{
    for (QWidget *child : tabSequence(container)) {
        order.append(child);
        collect(child, order);
    }
}

} // namespace

void appendToTabSequence(QWidget *container, QWidget *child)
{
    Sequence sequence = storedSequence(container);
    sequence.append(child);
    store(container, sequence);
}

void setTabPositions(QWidget *container, const QList<TabPosition> &positions)
{
    if (positions.isEmpty())
        return;
    Sequence sequence = storedSequence(container);
    bool moved = false;
    for (const TabPosition &p : positions) {
        const qsizetype current = sequence.indexOf(p.child);
        if (current < 0)
            continue;
        const qsizetype target = std::clamp<qsizetype>(p.position, 0, sequence.size() - 1);
        sequence.move(current, target);
        moved = true;
    }
    if (moved)
        store(container, sequence);
}

QList<QWidget *> tabSequence(const QWidget *container)
{
    QList<QWidget *> alive;
    for (const QPointer<QWidget> &child : storedSequence(container))
        if (child)
            alive.append(child.data());
    return alive;
}

QList<QWidget *> fullKeyboardOrder(const QWidget *container)
{
    QList<QWidget *> order;
    collect(container, order);
    return order;
}

void applyKeyboardOrder(const QWidget *container)
{
    // Containers that cannot take the focus (panels, sheets) are left out of the chain; their
    // children follow in their place.
    QWidget *previous = nullptr;
    for (QWidget *control : fullKeyboardOrder(container)) {
        for (QWidget *target : focusStops(control)) {
            if (target->focusPolicy() == Qt::NoFocus)
                continue;
            if (previous)
                QWidget::setTabOrder(previous, target);
            previous = target;
        }
    }
}

void setTabStop(QWidget *control, bool tabStop)
{
    for (QWidget *target : focusStops(control)) {
        const Qt::FocusPolicy policy = target->focusPolicy();
        if (policy == Qt::NoFocus)
            continue;
        if (!tabStop)
            target->setFocusPolicy(Qt::ClickFocus);
        else if (!(policy & Qt::TabFocus))
            target->setFocusPolicy(Qt::StrongFocus);
    }
}

QList<QWidget *> focusStops(QWidget *control)
{
    QWidget *target = focusTarget(control);
    auto *picker = qobject_cast<TdbDateTimePicker *>(control);
    QWidget *editor = picker ? picker->editor() : nullptr;
    if (editor && target != editor)
        return {target, editor};
    return {target};
}

QWidget *focusTarget(QWidget *control)
{
    QWidget *target = control;
    while (target->focusProxy())
        target = target->focusProxy();
    return target;
}

} // namespace tarvo

#include "forms/widgetstyle.h"

#include <QComboBox>
#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace tarvo {

namespace {

class FontChangeBlocker : public QObject {
public:
    explicit FontChangeBlocker(QWidget *w) : m_widget(w) { w->installEventFilter(this); }
    ~FontChangeBlocker() override { m_widget->removeEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::FontChange; }

private:
    QWidget *m_widget;
};

} // namespace

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

void setNewControlFont(QWidget *control, const QFont &font)
{
    if (qobject_cast<QComboBox *>(control)) {
        FontChangeBlocker blocker(control);
        control->setFont(font);
    } else {
        control->setFont(font);
    }
}

} // namespace tarvo

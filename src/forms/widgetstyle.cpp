#include "forms/widgetstyle.h"

#include <QComboBox>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
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

class SurfacePainter : public QObject {
public:
    explicit SurfacePainter(QWidget *surface) : QObject(surface)
    {
        setObjectName(QStringLiteral("tarvoSurfacePainter"));
        surface->installEventFilter(this);
    }
    void setColour(const QColor &colour) { m_colour = colour; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Runs before the surface's own painting, which draws nothing over a plain surface.
        if (event->type() == QEvent::Paint && watched == parent()) {
            QPainter painter(static_cast<QWidget *>(watched));
            painter.fillRect(static_cast<QPaintEvent *>(event)->rect(), m_colour);
        }
        return false;
    }

private:
    QColor m_colour;
};

} // namespace

void setSurfaceColour(QWidget *surface, const QColor &colour)
{
    auto *painter = surface->findChild<SurfacePainter *>(QStringLiteral("tarvoSurfacePainter"),
                                                         Qt::FindDirectChildrenOnly);
    if (!painter)
        painter = new SurfacePainter(surface);
    painter->setColour(colour);
    surface->update();
}

void setPaletteColour(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &colour)
{
    const QPalette &current = widget->palette();
    if (std::all_of(roles.begin(), roles.end(),
                    [&](QPalette::ColorRole role) { return current.color(role) == colour; }))
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

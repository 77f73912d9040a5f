#pragma once
// TdbPanel: a plain container that paints its own background colour. The colour is painted, not
// set in the palette: a palette colour would pass into the controls on the panel (grid lines,
// grid titles), and a background role inherited from the form would paint over it.
#include <QColor>
#include <QFrame>

namespace tarvo {

class TdbPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit TdbPanel(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};

} // namespace tarvo

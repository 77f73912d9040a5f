#pragma once
// TdbPanel: a plain container that paints its own background colour.
#include <QColor>
#include <QFrame>

namespace tarvo {

class TdbPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit TdbPanel(QWidget *parent = nullptr);

    QColor color() const;
    void setColor(const QColor &color);
};

} // namespace tarvo

#include "controls/dbbutton.h"

#include "controls/sharedresources.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tarvo {

namespace {

struct IconName {
    const char *name;
    int index;
};

// Exact, case-sensitive names; the order of the shared button icon list.
constexpr IconName kIconNames[] = {
    {"none", -1},   {"New", 0},    {"Edit", 1}, {"Delete", 2}, {"OK", 3},     {"Cancel", 4},    {"Search", 5},
    {"Printer", 6}, {"Report", 7}, {"Save", 8}, {"Exit", 9},   {"Excel", 10}, {"Database", 11},
};

// The picture's distance from the left edge of the button's contents.
constexpr int kImageLeftMargin = 1;

} // namespace

TdbButton::TdbButton(QWidget *parent) : QPushButton(parent)
{
    setDbIconName(QStringLiteral("none"));
}

void TdbButton::setDbIconName(const QString &name)
{
    FIconName = name;
    for (const IconName &entry : kIconNames)
        if (name == QLatin1String(entry.name))
            setImageIndex(entry.index);
}

void TdbButton::setImageIndex(int index)
{
    m_imageIndex = index;
    const QList<QIcon> &icons = sharedResources().buttonIcons;
    setIcon(index >= 0 && index < icons.size() ? icons.at(index) : QIcon());
}

// The picture at the left margin and the caption centred in the room beside it, where Qt would
// centre both together.
void TdbButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    QStyleOptionButton label = option;
    label.rect = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (!option.icon.isNull()) {
        const QSize size = option.iconSize;
        const QRect place(label.rect.left() + kImageLeftMargin,
                          label.rect.top() + (label.rect.height() - size.height()) / 2, size.width(), size.height());
        option.icon.paint(&painter, place, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        label.rect.setLeft(place.right() + 1);
        label.icon = QIcon();
    }
    painter.drawControl(QStyle::CE_PushButtonLabel, label);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace tarvo

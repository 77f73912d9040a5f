#include "controls/dbbutton.h"

#include "controls/sharedresources.h"

namespace tarvo {

namespace {

struct IconName {
    const char *name;
    int index;
};

// Exact, case-sensitive names; the order of the shared button icon list.
constexpr IconName kIconNames[] = {
    {"none", -1}, {"New", 0},     {"Edit", 1},    {"Delete", 2}, {"OK", 3},
    {"Cancel", 4}, {"Search", 5}, {"Printer", 6}, {"Report", 7}, {"Save", 8},
    {"Exit", 9},  {"Excel", 10},  {"Database", 11},
};

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

} // namespace tarvo

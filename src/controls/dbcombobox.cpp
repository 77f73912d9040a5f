#include "controls/dbcombobox.h"

namespace tarvo {

TdbComboBox::TdbComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

int TdbComboBox::dbItemID() const
{
    const int index = currentIndex();
    if (index < 0 || index >= FItemIDString.size())
        return -1;
    bool ok = false;
    const int id = FItemIDString.at(index).toInt(&ok);
    return ok ? id : -1;
}

void TdbComboBox::setDbItemID(int id)
{
    const int index = FItemIDString.indexOf(QString::number(id));
    if (index >= 0)
        setCurrentIndex(index);
}

void TdbComboBox::AddRecord(int id, const QString &s)
{
    addItem(s);
    FItemIDString.append(QString::number(id));
}

void TdbComboBox::Clear()
{
    clear();
    FItemIDString.clear();
}

} // namespace tarvo

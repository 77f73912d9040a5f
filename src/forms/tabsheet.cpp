#include "forms/tabsheet.h"

#include <QTabWidget>

namespace tarvo {

namespace {

int tagOf(QWidget *page)
{
    const auto *sheet = qobject_cast<TTabSheet *>(page);
    return sheet ? sheet->Tag() : 0;
}

void movePage(QTabWidget *pages, int from, int to)
{
    QWidget *page = pages->widget(from);
    const QString text = pages->tabText(from);
    pages->removeTab(from);
    pages->insertTab(to, page, text);
}

} // namespace

void orderPages(QTabWidget *pages)
{
    const int last = pages->count() - 1;
    for (int i = last; i >= 0; --i) {
        const int tag = tagOf(pages->widget(i));
        if (tag >= 0 && tag <= last && tag != i)
            movePage(pages, i, tag);
    }
    if (pages->count() > 0)
        pages->setCurrentIndex(0);
}

} // namespace tarvo

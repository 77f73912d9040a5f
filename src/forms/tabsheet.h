#pragma once
// A page of a page control (QTabWidget) built from forms.xml. Tag keeps the page position the
// file asked for, which the page ordering reads.
#include <QWidget>

class QTabWidget;

namespace tarvo {

class TTabSheet : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
public:
    explicit TTabSheet(QWidget *parent = nullptr) : QWidget(parent) {}
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

private:
    int m_tag = 0;
};

// Run after each sheet is added: from the last page down to the first, the page standing at
// position i moves to position Tag when Tag is a valid position; then the first tab is made
// current. Deliberately not a full sort: sheets 1,3,0,2 end as 0,2,1,3.
void orderPages(QTabWidget *pages);

} // namespace tarvo

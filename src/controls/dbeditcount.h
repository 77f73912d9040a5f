#pragma once
// TdbEditCount: shows a record's record_count (the per-table running number). Read-only and
// empty after construction; the form loader decides whether it stays read-only.
#include <QLineEdit>

namespace tarvo {

class TdbEditCount : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(int dbBeginValue READ dbBeginValue WRITE setDbBeginValue)
public:
    explicit TdbEditCount(QWidget *parent = nullptr) : QLineEdit(parent)
    {
        setReadOnly(true);
        clear();
    }

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    // Kept from forms.xml only; the next number comes from the table definitions.
    int dbBeginValue() const { return m_beginValue; }
    void setDbBeginValue(int value) { m_beginValue = value; }

private:
    QString m_table;
    int m_beginValue = 0;
};

} // namespace tarvo

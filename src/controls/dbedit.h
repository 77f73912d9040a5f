#pragma once
// TdbEdit: a single-line edit bound to table.field; dbFilter makes it a text ("=") or numeric
// (">", ">=", "<", "<=") search condition.
#include <QLineEdit>

namespace tarvo {

class TdbEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(QString dbFilter READ dbFilter WRITE setDbFilter)
    Q_PROPERTY(QString dbDefaultValue READ dbDefaultValue WRITE setDbDefaultValue)
public:
    explicit TdbEdit(QWidget *parent = nullptr) : QLineEdit(parent) {}

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    QString dbField() const { return m_field; }
    void setDbField(const QString &value) { m_field = value; }
    QString dbFilter() const { return m_filter; }
    void setDbFilter(const QString &value) { m_filter = value; }
    QString dbDefaultValue() const { return m_defaultValue; }
    void setDbDefaultValue(const QString &value) { m_defaultValue = value; }

private:
    QString m_table;
    QString m_field;
    QString m_filter;
    QString m_defaultValue;
};

} // namespace tarvo

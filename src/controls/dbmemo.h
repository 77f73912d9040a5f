#pragma once
// TdbMemo: a multi-line edit bound to table.field; as a search condition it compares with LIKE.
#include <QPlainTextEdit>

namespace tarvo {

class TdbMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(QString dbDefaultValue READ dbDefaultValue WRITE setDbDefaultValue)
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    // Tab moves on to the next control; a tab character would only end up in the stored text.
    explicit TdbMemo(QWidget *parent = nullptr) : QPlainTextEdit(parent) { setTabChangesFocus(true); }

    QString text() const { return toPlainText(); }
    void setText(const QString &text) { setPlainText(text); }

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    QString dbField() const { return m_field; }
    void setDbField(const QString &value) { m_field = value; }
    QString dbDefaultValue() const { return m_defaultValue; }
    void setDbDefaultValue(const QString &value) { m_defaultValue = value; }

private:
    QString m_table;
    QString m_field;
    QString m_defaultValue;
};

} // namespace tarvo

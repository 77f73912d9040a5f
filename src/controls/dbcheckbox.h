#pragma once
// TdbCheckBox: a check box bound to table.field whose three states stand for 0, 1 and NULL.
// allowGrayed decides only whether the user can click into the grayed state; the program can
// always set it.
#include <QCheckBox>
#include <optional>

namespace tarvo {

class TdbCheckBox : public QCheckBox {
    Q_OBJECT
public:
    enum TCheckBoxState { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };
    Q_ENUM(TCheckBoxState)
private:
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(TCheckBoxState dbDefaultState READ dbDefaultState WRITE setDbDefaultState)
    Q_PROPERTY(TCheckBoxState state READ state WRITE setState)
    Q_PROPERTY(bool allowGrayed READ allowGrayed WRITE setAllowGrayed)
public:
    explicit TdbCheckBox(QWidget *parent = nullptr);

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    QString dbField() const { return m_field; }
    void setDbField(const QString &value) { m_field = value; }
    TCheckBoxState dbDefaultState() const { return m_defaultState; }
    void setDbDefaultState(TCheckBoxState value) { m_defaultState = value; }

    TCheckBoxState state() const;
    void setState(TCheckBoxState state);
    // The state as the database holds it: "1", "0", or "NULL" for grayed.
    QString sqlValue() const;
    // Shows a stored value: "1" checked, "0" unchecked, a null text grayed. Any other value is
    // shown grayed and kept (unshownStoredValue) until the state changes, so that saving a
    // record the user did not touch does not overwrite what the box could not show.
    void setStoredValue(const QString &value);
    const std::optional<QString> &unshownStoredValue() const { return m_unshown; }
    bool allowGrayed() const { return m_allowGrayed; }
    void setAllowGrayed(bool allow) { m_allowGrayed = allow; }

protected:
    void nextCheckState() override;

private:
    QString m_table;
    QString m_field;
    TCheckBoxState m_defaultState = cbUnchecked;
    bool m_allowGrayed = false;
    std::optional<QString> m_unshown;
};

using TCheckBoxState = TdbCheckBox::TCheckBoxState;

} // namespace tarvo

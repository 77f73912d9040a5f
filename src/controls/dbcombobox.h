#pragma once
// TdbComboBox: a drop-down list (no free text) of lookup rows. FItemIDString holds, at position
// i, the record id of item i; both lists grow only through AddRecord/AddRecords and shrink only
// through Clear. dbItemID is the selected item's record id, -1 for none.
#include <QComboBox>
#include <QStringList>

namespace tarvo {

class LookupItemModel;

class TdbComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(int dbDefaultID READ dbDefaultID WRITE setDbDefaultID)
    Q_PROPERTY(int dbItemID READ dbItemID WRITE setDbItemID)
    Q_PROPERTY(bool dbSort READ dbSort WRITE setDbSort)
    Q_PROPERTY(int dropDownCount READ dropDownCount WRITE setDropDownCount)
public:
    explicit TdbComboBox(QWidget *parent = nullptr);

    QString dbTable() const { return m_table; }
    void setDbTable(const QString &value) { m_table = value; }
    QString dbField() const { return m_field; }
    void setDbField(const QString &value) { m_field = value; }
    // An item position (not a record id), selected after filling and for a new record.
    int dbDefaultID() const { return m_defaultId; }
    void setDbDefaultID(int value) { m_defaultId = value; }
    bool dbSort() const { return m_sort; }
    void setDbSort(bool value) { m_sort = value; }

    // The selected item's id; while nothing is selected, a stored id the list could not show.
    int dbItemID() const;
    // Selects the first item with this id; an id not in the list changes nothing.
    void setDbItemID(int id);
    bool hasItemID(int id) const;
    // Shows a record's stored link: selects its item, the empty entry for -1, or, for an id the
    // list lacks, nothing while dbItemID keeps reporting the id until the user picks an entry.
    void setStoredItemID(int id);

    void AddRecord(int id, const QString &s);
    // AddRecord for each pair (ids[i], texts[i]) in one insertion: a lookup list of thousands
    // of rows added item by item costs a model signal and a combo box update per row.
    void AddRecords(const QList<int> &ids, const QStringList &texts);
    void Clear(); // items and ids together
    const QStringList &itemIdStrings() const { return FItemIDString; }

    int dropDownCount() const { return maxVisibleItems(); }
    void setDropDownCount(int count) { setMaxVisibleItems(count); }

private:
    QString m_table;
    QString m_field;
    int m_defaultId = 0;
    bool m_sort = false;
    QStringList FItemIDString;
    int m_unlistedId = -1;
    LookupItemModel *m_items = nullptr;
};

} // namespace tarvo

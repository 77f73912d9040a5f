#include "controls/dbcombobox.h"

#include <QAbstractListModel>
#include <charconv>

namespace tarvo {

namespace {

// An id as FItemIDString keeps it. QString::number takes the long way through the number
// formatting; long lists convert thousands of ids per fill.
QString idText(int id)
{
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, id).ptr;
    return QString::fromLatin1(digits, end - digits);
}

} // namespace

// The items of a lookup box are plain texts; this model takes a whole list in one insertion.
// It still supports the row insertion, removal and setData that QComboBox's own item calls use.
class LookupItemModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_texts.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_texts.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_texts.at(index.row());
        return {};
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid() || index.row() >= m_texts.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return false;
        m_texts[index.row()] = value.toString();
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
    }

    bool insertRows(int row, int count, const QModelIndex &parent = {}) override
    {
        if (parent.isValid() || count < 1 || row < 0 || row > m_texts.size())
            return false;
        beginInsertRows({}, row, row + count - 1);
        m_texts.insert(row, count, QString());
        endInsertRows();
        return true;
    }

    bool removeRows(int row, int count, const QModelIndex &parent = {}) override
    {
        if (parent.isValid() || count < 1 || row < 0 || row + count > m_texts.size())
            return false;
        beginRemoveRows({}, row, row + count - 1);
        m_texts.remove(row, count);
        endRemoveRows();
        return true;
    }

    void append(const QStringList &texts)
    {
        if (texts.isEmpty())
            return;
        const int first = int(m_texts.size());
        beginInsertRows({}, first, first + int(texts.size()) - 1);
        if (m_texts.isEmpty())
            m_texts = texts; // shared, not copied item by item
        else
            m_texts += texts;
        endInsertRows();
    }

private:
    QStringList m_texts;
};

TdbComboBox::TdbComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this] { m_unlistedId = -1; });
}

int TdbComboBox::dbItemID() const
{
    const int index = currentIndex();
    if (index < 0)
        return m_unlistedId;
    if (index >= FItemIDString.size())
        return -1;
    bool ok = false;
    const int id = FItemIDString.at(index).toInt(&ok);
    return ok ? id : -1;
}

void TdbComboBox::setDbItemID(int id)
{
    const int index = FItemIDString.indexOf(idText(id));
    if (index >= 0)
        setCurrentIndex(index);
}

void TdbComboBox::setStoredItemID(int id)
{
    m_unlistedId = -1;
    const int index = FItemIDString.indexOf(idText(id));
    setCurrentIndex(index);
    if (index < 0)
        m_unlistedId = id;
}

void TdbComboBox::AddRecord(int id, const QString &s)
{
    addItem(s);
    FItemIDString.append(idText(id));
}

void TdbComboBox::AddRecords(const QList<int> &ids, const QStringList &texts)
{
    Q_ASSERT(ids.size() == texts.size());
    const qsizetype n = qMin(ids.size(), texts.size());
    FItemIDString.reserve(FItemIDString.size() + n);
    for (qsizetype i = 0; i < n; ++i)
        FItemIDString.append(idText(ids.at(i)));
    if (!m_items) {
        // Installed at the first batch, not in the constructor: replacing the model costs a
        // form with many boxes noticeably at load time. Items added singly so far move along.
        m_items = new LookupItemModel(this);
        QStringList existing;
        for (int i = 0; i < count(); ++i)
            existing << itemText(i);
        const int current = currentIndex();
        m_items->append(existing);
        setModel(m_items);
        setCurrentIndex(current);
    }
    m_items->append(n == texts.size() ? texts : texts.first(n));
}

bool TdbComboBox::hasItemID(int id) const
{
    return FItemIDString.contains(idText(id));
}

void TdbComboBox::Clear()
{
    clear();
    FItemIDString.clear();
    m_unlistedId = -1;
}

} // namespace tarvo

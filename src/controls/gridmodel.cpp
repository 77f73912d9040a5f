#include "controls/gridmodel.h"

namespace tarvo {

void PackedCells::appendEmpty(qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i)
        m_ends.append(quint32(m_text.size()));
}

QString PackedCells::at(qsizetype index) const
{
    if (!m_edited.isEmpty()) {
        const auto edited = m_edited.constFind(index);
        if (edited != m_edited.cend())
            return *edited;
    }
    const quint32 start = index > 0 ? m_ends.at(index - 1) : 0;
    return QString(m_text.constData() + start, m_ends.at(index) - start);
}

void PackedCells::reserveLike(const PackedCells &other)
{
    m_ends.reserve(other.m_ends.size());
    m_text.reserve(other.m_text.size());
}

void PackedCells::squeeze()
{
    m_text.squeeze();
    m_ends.squeeze();
}

qsizetype PackedCells::bytesHeld() const
{
    qsizetype bytes = sizeof(*this) + m_text.capacity() * qsizetype(sizeof(QChar))
                      + m_ends.capacity() * qsizetype(sizeof(quint32));
    for (const QString &text : m_edited)
        bytes += qsizetype(sizeof(qsizetype) + sizeof(QString)) + text.capacity() * 2;
    return bytes;
}

GridModel::GridModel(int columns, int dataRows, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns), m_dataRows(dataRows)
{
    m_titles.resize(columns);
    m_cells.appendEmpty(qsizetype(columns) * dataRows);
}

void GridModel::setTitle(int column, const QString &title)
{
    if (column < 0 || column >= m_columns)
        return;
    m_titles[column] = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString GridModel::cell(int column, int dataRow) const
{
    if (column < 0 || column >= m_columns || dataRow < 0 || dataRow >= m_dataRows)
        return {};
    return m_cells.at(qsizetype(dataRow) * m_columns + column);
}

void GridModel::setCell(int column, int dataRow, const QString &text)
{
    if (column < 0 || column >= m_columns || dataRow < 0 || dataRow >= m_dataRows)
        return;
    m_cells.set(qsizetype(dataRow) * m_columns + column, text);
    const QModelIndex changed = index(dataRow, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void GridModel::setShape(int columns, int dataRows)
{
    if (columns == m_columns && dataRows == m_dataRows)
        return;
    PackedCells cells;
    for (int r = 0; r < dataRows; ++r)
        for (int c = 0; c < columns; ++c)
            cells.append(cell(c, r));
    fill(columns, dataRows, std::move(cells));
}

void GridModel::fill(int columns, int dataRows, PackedCells &&cells)
{
    Q_ASSERT(cells.size() == qsizetype(columns) * dataRows);
    cells.squeeze();
    beginResetModel();
    m_titles.resize(columns);
    m_columns = columns;
    m_dataRows = dataRows;
    m_cells = std::move(cells);
    endResetModel();
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_dataRows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.column(), index.row());
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return title(section);
}

} // namespace tarvo

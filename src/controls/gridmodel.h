#pragma once
// The result grid's table model: column titles (the horizontal header) and the data cells of a
// fill packed into one flat text buffer with one end offset per cell, row after row, so a cell
// costs its characters plus four bytes. Cells written one by one after a fill are kept beside
// the buffer. Every change of shape or content is one model reset.
#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tarvo {

// Cells of a grid, row-major, in one buffer.
class PackedCells {
public:
    void append(QStringView text)
    {
        m_text.append(text);
        m_ends.append(quint32(m_text.size()));
    }
    // Latin-1 bytes (ASCII UTF-8 among them), widened straight into the buffer.
    void append(QLatin1StringView text)
    {
        m_text.append(text);
        m_ends.append(quint32(m_text.size()));
    }
    void appendEmpty(qsizetype count);
    qsizetype size() const { return m_ends.size(); }
    QString at(qsizetype index) const;
    void set(qsizetype index, const QString &text) { m_edited.insert(index, text); }
    // Room for as many cells and characters as `other` holds.
    void reserveLike(const PackedCells &other);
    void squeeze();
    qsizetype bytesHeld() const;

private:
    QString m_text;
    QList<quint32> m_ends;
    QHash<qsizetype, QString> m_edited;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(int columns, int dataRows, QObject *parent = nullptr);

    int columns() const { return m_columns; }
    int dataRows() const { return m_dataRows; }
    QString title(int column) const { return m_titles.value(column); }
    void setTitle(int column, const QString &title);
    QString cell(int column, int dataRow) const;
    void setCell(int column, int dataRow, const QString &text);

    // Keeps the titles and the cells that stay inside the new shape; new cells are empty.
    void setShape(int columns, int dataRows);
    // Replaces every cell by `cells` (columns * dataRows of them, row after row).
    void fill(int columns, int dataRows, PackedCells &&cells);
    qsizetype bytesHeld() const { return m_cells.bytesHeld(); }
    const PackedCells &cells() const { return m_cells; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    int m_columns;
    int m_dataRows;
    QStringList m_titles;
    PackedCells m_cells;
};

} // namespace tarvo

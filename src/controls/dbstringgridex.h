#pragma once
// TdbStringGridEx: the result grid. A table view over a GridModel that reads like a string grid
// (row 0 is the title row shown as the header, data rows are 1 and following). dbExecute builds
// and runs the search of its properties and the filter controls of its form; dbSQLExecute runs
// dbSQL. Both read the whole result before the grid changes; a fill that takes long shows a
// progress window, and Cancel there leaves the grid as it was. They raise DatabaseError with
// SQLite's text, leaving the grid cleared. dbListId holds the id of each data row; dbItemID is
// the current row's id or -1.
#include "controls/searchstatement.h"

#include <QStringList>
#include <QTableView>
#include <functional>
#include <optional>

class QAction;
class QMenu;

namespace tarvo {

class GridModel;
class SqlConnection;

class TdbStringGridEx : public QTableView {
    Q_OBJECT
public:
    enum TGridDrawingStyle { gdsClassic, gdsThemed, gdsGradient };
    Q_ENUM(TGridDrawingStyle)
private:
    Q_PROPERTY(QString dbGeneralTable READ dbGeneralTable WRITE setDbGeneralTable)
    Q_PROPERTY(QStringList dbListId READ dbListId)
    Q_PROPERTY(int dbItemID READ dbItemID WRITE setDbItemID)
    Q_PROPERTY(QString dbParentTable READ dbParentTable WRITE setDbParentTable)
    Q_PROPERTY(int dbParentTableId READ dbParentTableId WRITE setDbParentTableId)
    Q_PROPERTY(QString dbListFields READ dbListFields WRITE setDbListFields)
    Q_PROPERTY(QString dbListFieldsNames READ dbListFieldsNames WRITE setDbListFieldsNames)
    Q_PROPERTY(bool dbAutoExecute READ dbAutoExecute WRITE setDbAutoExecute)
    Q_PROPERTY(QString dbListControls READ dbListControls WRITE setDbListControls)
    Q_PROPERTY(QString dbSortField READ dbSortField WRITE setDbSortField)
    Q_PROPERTY(bool dbSortAsc READ dbSortAsc WRITE setDbSortAsc)
    Q_PROPERTY(bool dbIfUsed READ dbIfUsed WRITE setDbIfUsed)
    Q_PROPERTY(QString dbSQL READ dbSQL WRITE setDbSQL)
    Q_PROPERTY(TGridDrawingStyle drawingStyle READ drawingStyle WRITE setDrawingStyle)
    Q_PROPERTY(int defaultColWidth READ defaultColWidth WRITE setDefaultColWidth)
    Q_PROPERTY(int defaultRowHeight READ defaultRowHeight WRITE setDefaultRowHeight)
public:
    explicit TdbStringGridEx(QWidget *parent = nullptr);
    ~TdbStringGridEx() override;

    // String-grid view of the cells; rowCount counts the title row (at least 2, one data row).
    int colCount() const;
    void setColCount(int count);
    int rowCount() const;
    void setRowCount(int count);
    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);
    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int defaultColWidth() const;
    void setDefaultColWidth(int width);
    int defaultRowHeight() const;
    void setDefaultRowHeight(int height);
    int row() const; // the current data row (1 and following), -1 for none
    void setRow(int row);

    QString dbGeneralTable() const { return FGeneralTable; }
    void setDbGeneralTable(const QString &value) { FGeneralTable = value; }
    const QStringList &dbListId() const { return FListId; }
    int dbItemID() const;
    void setDbItemID(int id); // the first row with this id becomes current; none: unchanged
    QString dbParentTable() const { return FParentTable; }
    void setDbParentTable(const QString &value) { FParentTable = value; }
    int dbParentTableId() const { return FParentTableId; }
    void setDbParentTableId(int value) { FParentTableId = value; }
    QString dbListFields() const { return FListFields; }
    void setDbListFields(const QString &value) { FListFields = value; }
    QString dbListFieldsNames() const { return FListFieldsNames; }
    void setDbListFieldsNames(const QString &value) { FListFieldsNames = value; }
    bool dbAutoExecute() const { return FAutoExecute; }
    void setDbAutoExecute(bool value) { FAutoExecute = value; }
    // Not owned; when never set, the connection shared by the main window is used.
    void setDbSQLConnection(SqlConnection *connection) { FSQLConnection = connection; }
    QString dbListControls() const { return FListControls; }
    void setDbListControls(const QString &value) { FListControls = value; }
    QString dbSortField() const { return FSortField; }
    void setDbSortField(const QString &value) { FSortField = value; }
    bool dbSortAsc() const { return FSortAsc; }
    void setDbSortAsc(bool value) { FSortAsc = value; }
    bool dbIfUsed() const { return FIsUsed; }
    void setDbIfUsed(bool value) { FIsUsed = value; }
    QString dbSQL() const { return FSQL; }
    void setDbSQL(const QString &value) { FSQL = value; }
    TGridDrawingStyle drawingStyle() const { return m_drawingStyle; }
    void setDrawingStyle(TGridDrawingStyle style);

    void dbClear();           // two rows, row 1 empty, no ids; columns and titles stay
    void dbFillColumnsName(); // dbClear, then the titles of dbListFieldsNames
    void dbUnSelect();
    void dbExecute();
    void dbSQLExecute();
    // Runs again what the grid last ran (the same search, not one built from the filters as they
    // are now) and keeps the current record; a grid that never ran stays as it is.
    void dbRefresh();
    // The statement that the last dbExecute ran (or tried to run; a cancelled one leaves the
    // statement the rows on show were read by).
    const SqlStatement &lastSearch() const { return m_lastSearch; }

    void ShowRecord();                 // clicks the show-record buttons of the form that name this grid
    QString currentRecordText() const; // "title: cell" lines of the current row; empty for none
    QString allRowsText() const;

    GridModel *gridModel() const { return m_model; }
    QMenu *popupMenu() const { return FPopupMenu; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPopupMenu();
    void copyCurrentRecord();
    void copyAll();
    SqlConnection &connection() const;
    SearchParameters searchParameters() const;
    void setTitles(const QStringList &titles);
    void keepCurrentRowAcross(const std::function<void()> &change);
    void restoreColumnWidths();

    QStringList FListId;
    QString FGeneralTable;
    QString FParentTable;
    int FParentTableId = -1;
    QString FListFields;
    QString FListFieldsNames;
    bool FAutoExecute = false;
    SqlConnection *FSQLConnection = nullptr;
    QString FListControls;
    QString FSortField;
    bool FSortAsc = true;
    QString FSQL;
    bool FIsUsed = false;
    QMenu *FPopupMenu = nullptr;

    GridModel *m_model;
    TGridDrawingStyle m_drawingStyle = gdsGradient;
    QList<int> m_colWidths; // per column position; survives fills and column count changes
    bool m_restoringWidths = false;
    SqlStatement m_lastSearch;
    void runLastSearch();

    struct GridFill;
    void fillFrom(const std::function<void(GridFill &)> &read);
    bool m_filling = false;
    // What the rows on show were read by: put back when a fill is cancelled, so that the rows,
    // the properties and a refresh agree again.
    struct FillSource {
        QString sql;
        SqlStatement search;
        QString generalTable;
        QString listFields;
        QString listFieldsNames;
    };
    FillSource fillSource() const { return {FSQL, m_lastSearch, FGeneralTable, FListFields, FListFieldsNames}; }
    std::optional<FillSource> m_filledBy;
};

} // namespace tarvo

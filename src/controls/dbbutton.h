#pragma once
// TdbButton: the push button that carries one action and its parameters; the button performs
// nothing itself (the dispatcher reads it on click). dbIconName selects the shown picture of the
// shared button icons by exact name; an unlisted name keeps the current one.
#include <QPushButton>

namespace tarvo {

class TdbButton : public QPushButton {
    Q_OBJECT
public:
    enum TActionDbType {
        adbNone,
        adbSearch,
        adbNewRecord,
        adbSaveRecord,
        adbShowRecord,
        adbDelete,
        adbSQL,
        adbReport,
        adbShowForm,
        adbCloseForm,
        adbGridToExcel
    };
    Q_ENUM(TActionDbType)
private:
    Q_PROPERTY(TActionDbType dbActionType READ dbActionType WRITE setDbActionType)
    Q_PROPERTY(QString dbListControls READ dbListControls WRITE setDbListControls)
    Q_PROPERTY(QString dbListFields READ dbListFields WRITE setDbListFields)
    Q_PROPERTY(QString dbListFieldsNames READ dbListFieldsNames WRITE setDbListFieldsNames)
    Q_PROPERTY(QString dbResultControl READ dbResultControl WRITE setDbResultControl)
    Q_PROPERTY(QString dbGeneralTable READ dbGeneralTable WRITE setDbGeneralTable)
    Q_PROPERTY(QString dbFormName READ dbFormName WRITE setDbFormName)
    Q_PROPERTY(int dbGeneralTableId READ dbGeneralTableId WRITE setDbGeneralTableId)
    Q_PROPERTY(QString dbSortField READ dbSortField WRITE setDbSortField)
    Q_PROPERTY(bool dbSortAsc READ dbSortAsc WRITE setDbSortAsc)
    Q_PROPERTY(QString dbParentTable READ dbParentTable WRITE setDbParentTable)
    Q_PROPERTY(int dbParentTableId READ dbParentTableId WRITE setDbParentTableId)
    Q_PROPERTY(bool dbDoCloseForm READ dbDoCloseForm WRITE setDbDoCloseForm)
    Q_PROPERTY(bool dbConfirmDelete READ dbConfirmDelete WRITE setDbConfirmDelete)
    Q_PROPERTY(QString dbSQL READ dbSQL WRITE setDbSQL)
    Q_PROPERTY(QString dbReportFile READ dbReportFile WRITE setDbReportFile)
    Q_PROPERTY(QString dbIconName READ dbIconName WRITE setDbIconName)
    Q_PROPERTY(int imageIndex READ imageIndex WRITE setImageIndex)
public:
    explicit TdbButton(QWidget *parent = nullptr);

    TActionDbType dbActionType() const { return FActionType; }
    void setDbActionType(TActionDbType value) { FActionType = value; }
    QString dbListControls() const { return FListControls; }
    void setDbListControls(const QString &value) { FListControls = value; }
    QString dbListFields() const { return FListFields; }
    void setDbListFields(const QString &value) { FListFields = value; }
    QString dbListFieldsNames() const { return FListFieldsNames; }
    void setDbListFieldsNames(const QString &value) { FListFieldsNames = value; }
    QString dbResultControl() const { return FResultControl; }
    void setDbResultControl(const QString &value) { FResultControl = value; }
    QString dbGeneralTable() const { return FGeneralTable; }
    void setDbGeneralTable(const QString &value) { FGeneralTable = value; }
    QString dbFormName() const { return FFormName; }
    void setDbFormName(const QString &value) { FFormName = value; }
    // Run-time state kept by the actions: the row acted on (-1 none) and the parent link.
    int dbGeneralTableId() const { return FGeneralTableId; }
    void setDbGeneralTableId(int value) { FGeneralTableId = value; }
    QString dbSortField() const { return FSortField; }
    void setDbSortField(const QString &value) { FSortField = value; }
    bool dbSortAsc() const { return FSortAsc; }
    void setDbSortAsc(bool value) { FSortAsc = value; }
    QString dbParentTable() const { return FParentTable; }
    void setDbParentTable(const QString &value) { FParentTable = value; }
    int dbParentTableId() const { return FParentTableId; }
    void setDbParentTableId(int value) { FParentTableId = value; }
    bool dbDoCloseForm() const { return FDoCloseForm; }
    void setDbDoCloseForm(bool value) { FDoCloseForm = value; }
    bool dbConfirmDelete() const { return FConfirmDelete; }
    void setDbConfirmDelete(bool value) { FConfirmDelete = value; }
    QString dbSQL() const { return FSQL; }
    void setDbSQL(const QString &value) { FSQL = value; }
    QString dbReportFile() const { return FReportFile; }
    void setDbReportFile(const QString &value) { FReportFile = value; }
    QString dbIconName() const { return FIconName; }
    void setDbIconName(const QString &name);

    // Index into sharedResources().buttonIcons; -1 (or any index outside it) shows no icon.
    int imageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // A new button's state, in this one place.
    TActionDbType FActionType = adbSearch;
    QString FListControls;
    QString FListFields;
    QString FListFieldsNames;
    QString FResultControl;
    QString FGeneralTable;
    QString FFormName;
    int FGeneralTableId = 0;
    bool FDoCloseForm = true;
    QString FParentTable;
    int FParentTableId = -1;
    QString FSQL;
    QString FReportFile;
    QString FSortField;
    bool FSortAsc = true;
    QString FIconName;
    bool FConfirmDelete = false;
    int m_imageIndex = -1;
};

using TActionDbType = TdbButton::TActionDbType;

} // namespace tarvo

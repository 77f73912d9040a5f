#pragma once
// The report designer: the page with its bands (designscene.h), a palette, the field list of the
// data set and the system values, a property panel, bands, page setup, new / open / save /
// save as, and a preview with the current data. Edits the template and file name it is given in
// place; callers show it modally through interaction().
#include "report/designscene.h"
#include "report/reporttemplate.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGraphicsView;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;

namespace tarvo {

class ReportDataSet;

class ReportDesigner : public QDialog {
    Q_OBJECT
public:
    ReportDesigner(ReportTemplate &tpl, QString &fileName, const ReportDataSet &dataSet, QWidget *parent = nullptr);
    ~ReportDesigner() override;

    void setFolders(const QString &openFolder, const QString &saveFolder);
    DesignScene *scene() const { return m_scene; }
    QAction *action(const QString &objectName) const;
    QListWidget *fieldList() const { return m_fields; }
    QPlainTextEdit *textEditor() const { return m_text; }

    // The commands of the toolbar, for keyboard, mouse and tests alike.
    void newReport();
    void open();
    void save();
    void saveAs();
    void pageSetup();
    void preview();
    void addItem(ItemKind kind);
    void removeSelected();
    void addBand(BandType type);
    void removeBand(BandType type);
    void insertField(QListWidgetItem *entry);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *command(const QString &name, const QString &text, const QKeySequence &key, std::function<void()> run);
    QWidget *buildLeftPanel();
    QWidget *buildPropertyPanel();
    void loadProperties();
    void storeProperties();
    void refreshBandPanel();
    void updateTitle();

    ReportTemplate &m_tpl;
    QString &m_fileName;
    const ReportDataSet &m_data;
    QString m_openFolder;
    QString m_saveFolder;
    DesignScene *m_scene = nullptr;
    QGraphicsView *m_view = nullptr;
    QListWidget *m_fields = nullptr;
    QComboBox *m_bandType = nullptr;
    QDoubleSpinBox *m_bandHeight = nullptr;
    QWidget *m_properties = nullptr;
    QDoubleSpinBox *m_geometry[4] = {};
    QPlainTextEdit *m_text = nullptr;
    QLineEdit *m_font = nullptr;
    QDoubleSpinBox *m_size = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    QCheckBox *m_underline = nullptr;
    QCheckBox *m_grow = nullptr;
    QCheckBox *m_wrap = nullptr;
    QComboBox *m_align = nullptr;
    QComboBox *m_valign = nullptr;
    QLineEdit *m_colour = nullptr;
    QLineEdit *m_fill = nullptr;
    QDoubleSpinBox *m_lineWidth = nullptr;
    QLineEdit *m_imageField = nullptr;
    std::optional<ItemRef> m_shown; // the item the property panel shows
    bool m_loading = false;
};

} // namespace tarvo

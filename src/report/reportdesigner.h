#pragma once
// The report designer: the page with its bands (designscene.h), a menu bar and toolbar, the field
// list of the data set and the system values, the property panel (designproperties.h), bands,
// groups, page setup, new / open / save / save as, and a preview with the current data. Every edit can be
// undone; closing with unsaved edits asks whether to save them. Edits the template and file name
// it is given in place; callers show it modally through interaction().
#include "report/designscene.h"
#include "report/reporttemplate.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QFormLayout;
class QGraphicsView;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QSpinBox;
class QUndoStack;

namespace tarvo {

class ReportDataSet;
struct ItemProperty;

class ReportDesigner : public QDialog {
    Q_OBJECT
public:
    ReportDesigner(ReportTemplate &tpl, QString &fileName, const ReportDataSet &dataSet, QWidget *parent = nullptr);
    ~ReportDesigner() override;

    void setFolders(const QString &openFolder, const QString &saveFolder);
    DesignScene *scene() const { return m_scene; }
    QAction *action(const QString &objectName) const;
    QListWidget *fieldList() const { return m_fields; }
    QPlainTextEdit *textEditor() const;
    // The panel's editor of the property named `name` (designproperties.cpp).
    QWidget *propertyEditor(const QString &name) const;
    QUndoStack *undoStack() const { return m_undo; }
    // Whether there are edits since the template was opened, made or saved.
    bool isModified() const;
    double zoom() const { return m_zoom; } // 1 shows the page at its printed size

    // The commands of the menus and toolbar, for keyboard, mouse and tests alike. save() and
    // saveAs() return false when the user cancels the file dialog.
    void newReport();
    void open();
    bool save();
    bool saveAs();
    void pageSetup();
    void preview();
    void addItem(ItemKind kind, const QString &text = QString());
    void removeSelected();
    void copy();
    void cut();
    void paste();
    // Lines up the selected items' left, right, top or bottom edges with the outermost one.
    void align(Qt::Alignment edge);
    // Gives the selected items the width (Horizontal) or height of the selection's current item.
    void sameSize(Qt::Orientation orientation);
    void setZoom(double zoom);
    void addBand(const BandRef &band);
    void removeBand(const BandRef &band);
    void insertField(QListWidgetItem *entry);
    // Groups: a new innermost group, with a header showing its value and a footer, on the field
    // chosen in the field list (else the data's first column).
    void addGroup();
    void removeGroup();
    // Moves the chosen group `step` levels inwards (positive) or outwards.
    void moveGroup(int step);
    QListWidget *groupList() const { return m_groups; }

public slots:
    // Closing (Escape, the window's close button, Close) asks first when there are unsaved edits.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *command(const QString &name, const QString &text, const QKeySequence &key, std::function<void()> run);
    void buildMenus();
    QWidget *buildLeftPanel();
    QWidget *buildBandPanel();
    QWidget *buildGroupPanel();
    QWidget *buildPropertyPanel();
    void loadProperties();
    void storeProperty(const ItemProperty &property, const QVariant &value);
    void refreshBandPanel();
    // Shows the groups, with the one at `choose` chosen (-1: the one chosen before, if still there).
    void refreshGroupPanel(int choose = -1);
    BandRef chosenBand() const;
    int chosenGroup() const; // -1: none
    // Applies `change` to the chosen group and records it as an edit.
    void editGroup(const QString &text, const std::function<void(ReportGroup &)> &change);
    // The name and condition the user typed into the group panel, when they make sense.
    void storeGroupName();
    void storeGroupCondition();
    // Rebuilds the page and the panels after an edit of the template, and records the edit;
    // `chooseGroup` as for refreshGroupPanel.
    void showAndRecord(const QString &text, int chooseGroup = -1);
    // Stores what was typed into `edit` in `stored` (null: nothing to store into), unless
    // `problemOf` finds a problem with it: then the edit shows the stored text again and the
    // problem is raised.
    void storeTyped(QLineEdit *edit, QString *stored, const QString &undoText,
                    const std::function<QString(const QString &)> &problemOf);
    void storeBandPrintIf();
    // What is wrong with a condition or a group's expression for this template and data; empty: nothing.
    QString conditionProblem(const QString &condition) const;
    bool groupNameTaken(const QString &name) const; // whatever the case
    void updateTitle();
    // Puts the edit just made to the template on the undo stack. Successive edits with the same
    // non-empty `mergeKey` (typing into one property of one item) undo as one.
    void recordEdit(const QString &text, const QString &mergeKey = QString());
    // Shows `state` as the template (undo, redo, discarding).
    void restore(const ReportTemplate &state);
    // Starts over from what was opened or saved: the undo history goes.
    void startHistory();
    // Asks whether to save unsaved edits; false when the user cancels (or saving fails).
    bool confirmDiscard();

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
    QLineEdit *m_bandPrintIf = nullptr;
    QCheckBox *m_bandPageBreak = nullptr;
    QSpinBox *m_bandColumns = nullptr;
    QListWidget *m_groups = nullptr;
    QWidget *m_groupFields = nullptr; // the chosen group's settings
    QLineEdit *m_groupName = nullptr;
    QLineEdit *m_groupCondition = nullptr;
    QList<std::pair<QCheckBox *, bool ReportGroup::*>> m_groupFlags;
    QWidget *m_properties = nullptr;
    QFormLayout *m_propertyForm = nullptr;
    QList<QWidget *> m_editors; // one for each of itemProperties(), in its order
    QUndoStack *m_undo = nullptr;
    ReportTemplate m_recorded; // the template as the last recorded edit left it
    ReportTemplate m_saved;    // as opened, made or saved: what "do not save" returns to
    QList<std::pair<BandRef, ReportItem>> m_clipboard;
    double m_zoom = 1;
    bool m_loading = false;
};

} // namespace tarvo

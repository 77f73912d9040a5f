#include "report/reportdesigner.h"

#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "report/designproperties.h"
#include "report/expressioneditor.h"
#include "report/reportdataset.h"
#include "report/reportengine.h"
#include "report/reportexpression.h"
#include "report/reportpreview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>

namespace tarvo {

namespace {

const QString templateFilter = QObject::tr("Tarvo reports (*.trp);;All files (*)");
constexpr double zoomStep = 1.25;
constexpr double pasteOffset = 2; // mm: a copy pasted into its own band lies beside the original

// One edit of the template: the whole template before and after, which keeps every kind of edit
// (moves, properties, bands, page setup, pastes) undoable in one way.
class TemplateEdit : public QUndoCommand {
public:
    TemplateEdit(const QString &text, ReportTemplate before, ReportTemplate after, QString mergeKey,
                 std::function<void(const ReportTemplate &)> restore)
        : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)), m_mergeKey(std::move(mergeKey)),
          m_restore(std::move(restore))
    {
    }

    void undo() override { m_restore(m_before); }
    void redo() override
    {
        // Pushing the edit, which the template already holds.
        if (std::exchange(m_done, false))
            return;
        m_restore(m_after);
    }
    int id() const override { return m_mergeKey.isEmpty() ? -1 : 1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const TemplateEdit *>(other);
        if (next->m_mergeKey != m_mergeKey)
            return false;
        m_after = next->m_after;
        return true;
    }

private:
    ReportTemplate m_before;
    ReportTemplate m_after;
    QString m_mergeKey;
    std::function<void(const ReportTemplate &)> m_restore;
    bool m_done = true;
};

// A copy for the history that shares nothing with `tpl`: were the two to share, the next edit of
// the live template would move its bands and items away from where callers point.
ReportTemplate snapshotOf(const ReportTemplate &tpl)
{
    ReportTemplate copy = tpl;
    copy.detach();
    return copy;
}

// A part of the left side: a title over what goes into the layout returned.
QVBoxLayout *sidePanel(QWidget *panel, const QString &title)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(title));
    return layout;
}

struct PanelButton {
    const char *name; // the object name
    const char *text;
    std::function<void()> run;
};

QHBoxLayout *buttonRow(std::initializer_list<PanelButton> buttons)
{
    auto *row = new QHBoxLayout;
    for (const PanelButton &b : buttons) {
        auto *button = new QPushButton(ReportDesigner::tr(b.text));
        button->setObjectName(QLatin1String(b.name));
        QObject::connect(button, &QPushButton::clicked, button, [run = b.run] { guarded(run); });
        row->addWidget(button);
    }
    return row;
}

QString refsKey(const QList<ItemRef> &refs)
{
    QStringList parts;
    for (const ItemRef &ref : refs)
        parts << QStringLiteral("%1.%2.%3").arg(int(ref.band.type)).arg(ref.band.group).arg(ref.index);
    return parts.join(QLatin1Char(','));
}

} // namespace

ReportDesigner::ReportDesigner(ReportTemplate &tpl, QString &fileName, const ReportDataSet &dataSet, QWidget *parent)
    : QDialog(parent), m_tpl(tpl), m_fileName(fileName), m_data(dataSet)
{
    setObjectName(QStringLiteral("ReportDesigner"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    if (m_tpl.bands().isEmpty())
        m_tpl.addBand(BandType::MasterData);
    m_undo = new QUndoStack(this);
    m_scene = new DesignScene(m_tpl, m_data, this);
    m_view = new QGraphicsView(m_scene);
    m_view->setObjectName(QStringLiteral("page"));
    m_view->setBackgroundBrush(QColor(160, 160, 160));
    m_view->setDragMode(QGraphicsView::RubberBandDrag);
    setZoom(1);

    auto *split = new QSplitter;
    split->addWidget(buildLeftPanel());
    split->addWidget(m_view);
    split->addWidget(buildPropertyPanel());
    split->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenus();
    layout->addWidget(split, 1);

    connect(m_scene, &QGraphicsScene::selectionChanged, this, [this] { guarded([&] { loadProperties(); }); });
    connect(m_scene, &DesignScene::geometryEdited, this, [this] {
        guarded([&] {
            recordEdit(tr("Move"));
            loadProperties();
        });
    });
    connect(m_scene, &DesignScene::bandResized, this, [this] {
        guarded([&] {
            recordEdit(tr("Band height"));
            refreshBandPanel();
        });
    });
    connect(m_undo, &QUndoStack::cleanChanged, this, [this] { updateTitle(); });
    startHistory();
    refreshBandPanel();
    refreshGroupPanel();
    loadProperties();
    resize(1200, 800);
}

void ReportDesigner::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The page's left edge and the first band in view, once laid out at the final size.
    QTimer::singleShot(0, this, [this] { scrollToTopLeft(m_view); });
}

ReportDesigner::~ReportDesigner()
{
    // The children outlive this part of the object: the scene, clearing its items, would report
    // a selection change to a designer that is no longer one.
    disconnectChildren(this);
}

QAction *ReportDesigner::command(const QString &name, const QString &text, const QKeySequence &key,
                                 std::function<void()> run)
{
    auto *a = new QAction(text, this);
    a->setObjectName(name);
    a->setShortcut(key);
    if (!key.isEmpty())
        a->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    connect(a, &QAction::triggered, this, [run] { guarded(run); });
    addAction(a);
    return a;
}

QAction *ReportDesigner::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void ReportDesigner::buildMenus()
{
    auto *menus = new QMenuBar;
    layout()->setMenuBar(menus);
    QMenu *file = menus->addMenu(tr("&File"));
    file->addAction(command(QStringLiteral("new"), tr("New"), QKeySequence::New, [this] { newReport(); }));
    file->addAction(command(QStringLiteral("open"), tr("Open..."), QKeySequence::Open, [this] { open(); }));
    file->addAction(command(QStringLiteral("save"), tr("Save"), QKeySequence::Save, [this] { save(); }));
    file->addAction(command(QStringLiteral("saveAs"), tr("Save as..."), QKeySequence::SaveAs, [this] { saveAs(); }));
    file->addSeparator();
    file->addAction(command(QStringLiteral("pageSetup"), tr("Page setup..."), {}, [this] { pageSetup(); }));
    file->addAction(
        command(QStringLiteral("preview"), tr("Preview"), QKeySequence(Qt::CTRL | Qt::Key_R), [this] { preview(); }));
    file->addSeparator();
    file->addAction(command(QStringLiteral("close"), tr("Close"), {}, [this] { close(); }));

    QMenu *edit = menus->addMenu(tr("&Edit"));
    QAction *undo = command(QStringLiteral("undo"), tr("Undo"), QKeySequence::Undo, [this] { m_undo->undo(); });
    QAction *redo = command(QStringLiteral("redo"), tr("Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                            [this] { m_undo->redo(); });
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(m_undo, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addAction(command(QStringLiteral("cut"), tr("Cut"), QKeySequence::Cut, [this] { cut(); }));
    edit->addAction(command(QStringLiteral("copy"), tr("Copy"), QKeySequence::Copy, [this] { copy(); }));
    edit->addAction(command(QStringLiteral("paste"), tr("Paste"), QKeySequence::Paste, [this] { paste(); }));
    edit->addAction(
        command(QStringLiteral("delete"), tr("Delete"), QKeySequence::Delete, [this] { removeSelected(); }));
    edit->addAction(command(QStringLiteral("selectAll"), tr("Select all"), QKeySequence::SelectAll, [this] {
        for (QGraphicsItem *item : m_scene->items())
            item->setSelected(item->flags() & QGraphicsItem::ItemIsSelectable);
    }));

    QMenu *insert = menus->addMenu(tr("&Insert"));
    const std::pair<const char *, ItemKind> palette[] = {{"Text", ItemKind::Text},
                                                         {"Line", ItemKind::Line},
                                                         {"Rectangle", ItemKind::Rect},
                                                         {"Image", ItemKind::Image}};
    for (const auto &[name, kind] : palette) {
        const ItemKind k = kind;
        insert->addAction(
            command(QStringLiteral("add") + QLatin1String(name), tr(name), {}, [this, k] { addItem(k); }));
    }

    QMenu *arrange = menus->addMenu(tr("&Arrange"));
    const std::tuple<const char *, const char *, Qt::Alignment> edges[] = {
        {"alignLeft", "Align left edges", Qt::AlignLeft},
        {"alignRight", "Align right edges", Qt::AlignRight},
        {"alignTop", "Align top edges", Qt::AlignTop},
        {"alignBottom", "Align bottom edges", Qt::AlignBottom}};
    for (const auto &[name, text, edge] : edges) {
        const Qt::Alignment e = edge;
        arrange->addAction(command(QLatin1String(name), tr(text), {}, [this, e] { align(e); }));
    }
    arrange->addSeparator();
    arrange->addAction(
        command(QStringLiteral("sameWidth"), tr("Same width"), {}, [this] { sameSize(Qt::Horizontal); }));
    arrange->addAction(
        command(QStringLiteral("sameHeight"), tr("Same height"), {}, [this] { sameSize(Qt::Vertical); }));

    QMenu *view = menus->addMenu(tr("&View"));
    view->addAction(
        command(QStringLiteral("zoomIn"), tr("Zoom in"), QKeySequence::ZoomIn, [this] { setZoom(m_zoom * zoomStep); }));
    view->addAction(command(QStringLiteral("zoomOut"), tr("Zoom out"), QKeySequence::ZoomOut,
                            [this] { setZoom(m_zoom / zoomStep); }));
    view->addAction(
        command(QStringLiteral("actualSize"), tr("100 %"), QKeySequence(Qt::CTRL | Qt::Key_0), [this] { setZoom(1); }));

    auto *bar = new QToolBar;
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char *name : {"new", "open", "save", "preview", "", "undo", "redo", "", "addText", "addLine",
                             "addRectangle", "addImage", "delete", "", "zoomIn", "zoomOut", "", "close"}) {
        if (*name)
            bar->addAction(action(QLatin1String(name)));
        else
            bar->addSeparator();
    }
    static_cast<QVBoxLayout *>(layout())->insertWidget(0, bar);
}

QWidget *ReportDesigner::buildLeftPanel()
{
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel(tr("Fields (double click inserts)")));
    m_fields = new QListWidget;
    m_fields->setObjectName(QStringLiteral("fields"));
    for (const QString &column : m_data.columns())
        m_fields->addItem(ReportExpression::fieldReference(m_data.name(), column));
    for (const QString &value : expressionSystemValues())
        m_fields->addItem(QLatin1Char('[') + value + QLatin1Char(']'));
    connect(m_fields, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *entry) { guarded([&] { insertField(entry); }); });
    layout->addWidget(m_fields, 1);
    layout->addWidget(buildBandPanel());
    layout->addWidget(buildGroupPanel());
    return panel;
}

QWidget *ReportDesigner::buildBandPanel()
{
    auto *panel = new QWidget;
    QVBoxLayout *layout = sidePanel(panel, tr("Bands"));
    m_bandType = new QComboBox;
    m_bandType->setObjectName(QStringLiteral("bandType"));
    layout->addWidget(m_bandType);
    layout->addLayout(buttonRow({{"addBand", "Add", [this] { addBand(chosenBand()); }},
                                 {"removeBand", "Remove", [this] { removeBand(chosenBand()); }}}));
    m_bandHeight = new QDoubleSpinBox;
    m_bandHeight->setRange(0, 2000);
    m_bandHeight->setDecimals(1);
    m_bandHeight->setSuffix(QStringLiteral(" mm"));
    m_bandHeight->setObjectName(QStringLiteral("bandHeight"));
    m_bandPrintIf = createExpressionLine(this, ExpressionMode::Bare, m_data, m_tpl,
                                         [this](const QString &) { guarded([&] { storeBandPrintIf(); }); });
    m_bandPrintIf->setObjectName(QStringLiteral("bandPrintIf"));
    m_bandPrintIf->setPlaceholderText(tr("always"));
    m_bandColumns = new QSpinBox;
    m_bandColumns->setRange(1, 20);
    m_bandColumns->setObjectName(QStringLiteral("bandColumns"));
    m_bandColumns->setToolTip(tr("Master data: rows side by side, like labels"));
    connect(m_bandColumns, &QSpinBox::valueChanged, this, [this](int columns) {
        if (ReportBand *band = m_tpl.bandAt(chosenBand()); band && !m_loading) {
            band->columns = columns;
            guarded([&] { showAndRecord(tr("Columns")); });
        }
    });
    auto *form = new QFormLayout;
    form->addRow(tr("Height"), m_bandHeight);
    form->addRow(tr("Columns"), m_bandColumns);
    form->addRow(tr("Print if"), m_bandPrintIf);
    layout->addLayout(form);
    m_bandPageBreak = new QCheckBox(tr("New page after the band"));
    m_bandPageBreak->setObjectName(QStringLiteral("bandPageBreak"));
    layout->addWidget(m_bandPageBreak);
    connect(m_bandPageBreak, &QCheckBox::toggled, this, [this](bool on) {
        if (ReportBand *band = m_tpl.bandAt(chosenBand()); band && !m_loading) {
            band->pageBreakAfter = on;
            guarded([&] { recordEdit(tr("New page after the band")); });
        }
    });
    connect(m_bandType, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading)
            guarded([&] { refreshBandPanel(); });
    });
    connect(m_bandHeight, &QDoubleSpinBox::valueChanged, this, [this](double height) {
        guarded([&] {
            const BandRef chosen = chosenBand();
            if (ReportBand *band = m_tpl.bandAt(chosen); band && !m_loading) {
                band->height = height;
                m_scene->rebuild();
                recordEdit(tr("Band height"),
                           QStringLiteral("bandHeight %1 %2").arg(bandTypeName(chosen.type)).arg(chosen.group));
            }
        });
    });
    return panel;
}

QWidget *ReportDesigner::buildGroupPanel()
{
    auto *panel = new QWidget;
    QVBoxLayout *layout = sidePanel(panel, tr("Groups (outermost first)"));
    m_groups = new QListWidget;
    m_groups->setObjectName(QStringLiteral("groups"));
    m_groups->setMaximumHeight(90);
    layout->addWidget(m_groups);
    layout->addLayout(buttonRow({{"addGroup", "Add", [this] { addGroup(); }},
                                 {"removeGroup", "Remove", [this] { removeGroup(); }},
                                 {"groupOut", "Out", [this] { moveGroup(-1); }},
                                 {"groupIn", "In", [this] { moveGroup(1); }}}));

    m_groupFields = new QWidget;
    auto *form = new QFormLayout(m_groupFields);
    form->setContentsMargins(0, 0, 0, 0);
    m_groupName = new QLineEdit;
    m_groupName->setObjectName(QStringLiteral("groupName"));
    m_groupCondition = createExpressionLine(this, ExpressionMode::Bare, m_data, m_tpl,
                                            [this](const QString &) { guarded([&] { storeGroupCondition(); }); });
    m_groupCondition->setObjectName(QStringLiteral("groupCondition"));
    form->addRow(tr("Name"), m_groupName);
    form->addRow(tr("Group on"), m_groupCondition);
    connect(m_groupName, &QLineEdit::editingFinished, this, [this] { guarded([&] { storeGroupName(); }); });
    const std::tuple<const char *, const char *, bool ReportGroup::*> flags[] = {
        {"keepTogether", "Keep together", &ReportGroup::keepTogether},
        {"newPage", "New page for each", &ReportGroup::newPage},
        {"repeatHeader", "Repeat header on each page", &ReportGroup::repeatHeader}};
    for (const auto &[name, text, member] : flags) {
        auto *box = new QCheckBox(tr(text));
        box->setObjectName(QLatin1String(name));
        const auto flag = member;
        connect(box, &QCheckBox::toggled, this, [this, flag, box](bool on) {
            if (!m_loading)
                guarded([&] { editGroup(box->text(), [&](ReportGroup &g) { g.*flag = on; }); });
        });
        form->addRow(box);
        m_groupFlags.append({box, member});
    }
    layout->addWidget(m_groupFields);
    connect(m_groups, &QListWidget::currentRowChanged, this, [this] {
        if (!m_loading)
            guarded([&] { refreshGroupPanel(); });
    });
    return panel;
}

QWidget *ReportDesigner::buildPropertyPanel()
{
    m_properties = new QWidget;
    m_propertyForm = new QFormLayout(m_properties);
    for (const ItemProperty &property : itemProperties()) {
        QWidget *editor = createPropertyEditor(property, this, m_openFolder, m_tpl, m_data,
                                               [this, &property](const QVariant &value) {
                                                   guarded([&] { storeProperty(property, value); });
                                               });
        m_propertyForm->addRow(property.editor == EditorKind::Check ? QString() : property.label, editor);
        m_editors << editor;
    }
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("properties"));
    scroll->setWidget(m_properties);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return scroll;
}

QPlainTextEdit *ReportDesigner::textEditor() const
{
    return qobject_cast<QPlainTextEdit *>(propertyEditor(QStringLiteral("text")));
}

QWidget *ReportDesigner::propertyEditor(const QString &name) const
{
    const QList<ItemProperty> &properties = itemProperties();
    for (qsizetype i = 0; i < properties.size(); ++i) {
        if (properties[i].name == name)
            return m_editors[i];
    }
    return nullptr;
}

void ReportDesigner::loadProperties()
{
    const ReportItem *item = m_scene->selectedItem();
    const ReportItem blank;
    const ReportItem &shown = item ? *item : blank;
    m_properties->setEnabled(item != nullptr);
    const QList<ItemProperty> &properties = itemProperties();
    for (qsizetype i = 0; i < properties.size(); ++i) {
        const bool applies = properties[i].appliesTo(shown.kind);
        m_propertyForm->setRowVisible(m_editors[i], applies);
        if (applies)
            showPropertyValue(m_editors[i], properties[i], properties[i].get(shown));
    }
}

void ReportDesigner::storeProperty(const ItemProperty &property, const QVariant &value)
{
    const QList<ItemRef> refs = m_scene->selectedRefs();
    if (refs.isEmpty())
        return;
    // A condition is stored when typing ends, so it is checked then; a text is stored as typed
    // and only framed in red while it has a problem.
    if (property.expression == ExpressionMode::Bare) {
        if (const QString problem = conditionProblem(value.toString()); !problem.isEmpty()) {
            loadProperties(); // the stored condition again
            throw Error(problem);
        }
    }
    for (const ItemRef &ref : refs) {
        if (ReportItem &item = m_scene->item(ref); property.appliesTo(item.kind))
            property.set(item, value);
    }
    m_scene->rebuild();
    recordEdit(tr("Change %1").arg(property.label.toLower()), property.name + QLatin1Char(' ') + refsKey(refs));
    loadProperties(); // a font also sets size and style; a setter may have bounded the value
}

BandRef ReportDesigner::chosenBand() const
{
    const QPoint ref = m_bandType->currentData().toPoint();
    return BandRef(BandType(ref.x()), ref.y());
}

void ReportDesigner::refreshBandPanel()
{
    // The list follows the groups and the detail; the chosen band stays chosen while it has a place.
    const BandRef chosen = m_bandType->count() ? chosenBand() : BandRef();
    m_loading = true;
    m_bandType->clear();
    for (const BandRef &ref : m_tpl.bandSlots())
        m_bandType->addItem(bandSlotCaption(m_tpl, ref), QPoint(int(ref.type), ref.group));
    m_bandType->setCurrentIndex(std::max(0, m_bandType->findData(QPoint(int(chosen.type), chosen.group))));
    const ReportBand *band = m_tpl.bandAt(chosenBand());
    for (QWidget *editor : std::initializer_list<QWidget *>{m_bandHeight, m_bandPrintIf, m_bandPageBreak})
        editor->setEnabled(band != nullptr);
    m_bandHeight->setValue(band ? band->height : 0);
    m_bandPrintIf->setText(band ? band->printIf : QString());
    m_bandColumns->setEnabled(band && band->type == BandType::MasterData);
    m_bandColumns->setValue(band ? band->columns : 1);
    m_bandPageBreak->setChecked(band && band->pageBreakAfter);
    m_loading = false;
}

int ReportDesigner::chosenGroup() const
{
    const int row = m_groups->currentRow();
    return row >= 0 && row < m_tpl.groups.size() ? row : -1;
}

void ReportDesigner::refreshGroupPanel(int choose)
{
    const int wanted = choose >= 0 ? choose : std::max(0, chosenGroup());
    const int chosen = std::min(wanted, int(m_tpl.groups.size()) - 1);
    m_loading = true;
    m_groups->clear();
    for (const ReportGroup &g : m_tpl.groups)
        m_groups->addItem(QStringLiteral("%1: %2").arg(g.name, g.condition));
    m_groups->setCurrentRow(chosen);
    const ReportGroup *group = chosen >= 0 ? &m_tpl.groups[chosen] : nullptr;
    m_groupFields->setEnabled(group != nullptr);
    m_groupName->setText(group ? group->name : QString());
    m_groupCondition->setText(group ? group->condition : QString());
    for (const auto &[box, member] : m_groupFlags)
        box->setChecked(group && group->*member);
    m_loading = false;
}

void ReportDesigner::showAndRecord(const QString &text, int chooseGroup)
{
    m_scene->rebuild();
    refreshBandPanel();
    refreshGroupPanel(chooseGroup);
    recordEdit(text);
}

void ReportDesigner::editGroup(const QString &text, const std::function<void(ReportGroup &)> &change)
{
    const int chosen = chosenGroup();
    if (chosen < 0)
        return;
    change(m_tpl.groups[chosen]);
    showAndRecord(text);
}

bool ReportDesigner::groupNameTaken(const QString &name) const
{
    return std::any_of(m_tpl.groups.begin(), m_tpl.groups.end(),
                       [&](const ReportGroup &g) { return g.name.compare(name, Qt::CaseInsensitive) == 0; });
}

void ReportDesigner::storeTyped(QLineEdit *edit, QString *stored, const QString &undoText,
                                const std::function<QString(const QString &)> &problemOf)
{
    if (!stored || m_loading)
        return;
    const QString typed = edit->text().trimmed();
    if (typed == *stored)
        return;
    if (const QString problem = problemOf(typed); !problem.isEmpty()) {
        edit->setText(*stored);
        throw Error(problem);
    }
    *stored = typed;
    showAndRecord(undoText);
}

void ReportDesigner::storeGroupName()
{
    QString *name = chosenGroup() < 0 ? nullptr : &m_tpl.groups[chosenGroup()].name;
    storeTyped(m_groupName, name, tr("Group name"), [this](const QString &typed) {
        if (typed.isEmpty())
            return tr("A group needs a name.");
        return groupNameTaken(typed) ? tr("There is already a group named \"%1\".").arg(typed) : QString();
    });
}

void ReportDesigner::storeGroupCondition()
{
    QString *condition = chosenGroup() < 0 ? nullptr : &m_tpl.groups[chosenGroup()].condition;
    storeTyped(m_groupCondition, condition, tr("Group expression"), [this](const QString &typed) {
        if (typed.isEmpty())
            return tr("A group needs an expression to group on.");
        return conditionProblem(typed);
    });
}

void ReportDesigner::storeBandPrintIf()
{
    ReportBand *band = m_tpl.bandAt(chosenBand());
    storeTyped(m_bandPrintIf, band ? &band->printIf : nullptr, tr("Band print if"),
               [this](const QString &typed) { return conditionProblem(typed); });
}

QString ReportDesigner::conditionProblem(const QString &condition) const
{
    return expressionProblem(ExpressionMode::Bare, condition, m_data, m_tpl);
}

void ReportDesigner::recordEdit(const QString &text, const QString &mergeKey)
{
    m_undo->push(new TemplateEdit(text, m_recorded, snapshotOf(m_tpl), mergeKey,
                                  [this](const ReportTemplate &state) { guarded([&] { restore(state); }); }));
    m_recorded = snapshotOf(m_tpl);
}

void ReportDesigner::restore(const ReportTemplate &state)
{
    m_tpl = snapshotOf(state);
    m_recorded = snapshotOf(state);
    m_scene->rebuild();
    refreshBandPanel();
    refreshGroupPanel();
    loadProperties();
}

void ReportDesigner::startHistory()
{
    m_undo->clear();
    m_recorded = snapshotOf(m_tpl);
    m_saved = snapshotOf(m_tpl);
    updateTitle();
}

bool ReportDesigner::isModified() const
{
    return !m_undo->isClean();
}

bool ReportDesigner::confirmDiscard()
{
    if (!isModified())
        return true;
    const QString name = m_fileName.isEmpty() ? tr("the new report") : QFileInfo(m_fileName).fileName();
    const MessageAnswer answer = interaction().showMessage(this, {tr("Save the changes to %1?").arg(name),
                                                                  tr("Report designer"), MessageIcon::Question,
                                                                  MessageButtons::YesNoCancel});
    switch (answer) {
    case MessageAnswer::Yes:
        return save();
    case MessageAnswer::No:
        // The template is edited in place: whoever shows the report next gets it as it was.
        restore(m_saved);
        m_undo->setClean();
        return true;
    default:
        return false;
    }
}

void ReportDesigner::reject()
{
    bool leave = false;
    guarded([&] { leave = confirmDiscard(); });
    if (leave)
        QDialog::reject();
}

void ReportDesigner::updateTitle()
{
    const QString name = m_fileName.isEmpty() ? tr("(new report)") : QFileInfo(m_fileName).fileName();
    setWindowTitle(tr("Report designer - %1%2").arg(name, isModified() ? QStringLiteral(" *") : QString()));
}

void ReportDesigner::setFolders(const QString &openFolder, const QString &saveFolder)
{
    m_openFolder = openFolder;
    m_saveFolder = saveFolder;
}

void ReportDesigner::newReport()
{
    if (!confirmDiscard())
        return;
    m_tpl = m_data.columns().isEmpty() ? ReportTemplate() : ReportTemplate::tableLayout(m_data, tr("Report"));
    if (m_tpl.bands().isEmpty())
        m_tpl.addBand(BandType::MasterData);
    m_fileName.clear();
    restore(m_tpl);
    startHistory();
}

void ReportDesigner::open()
{
    if (!confirmDiscard())
        return;
    const QString path = interaction().openFileName(this, templateFilter, m_openFolder);
    if (path.isEmpty())
        return;
    m_tpl = ReportTemplate::load(path);
    m_fileName = path;
    restore(m_tpl);
    startHistory();
}

bool ReportDesigner::save()
{
    if (m_fileName.isEmpty())
        return saveAs();
    m_tpl.save(m_fileName);
    m_saved = snapshotOf(m_tpl);
    m_undo->setClean();
    return true;
}

bool ReportDesigner::saveAs()
{
    const QString base = m_fileName.isEmpty() ? tr("report") : QFileInfo(m_fileName).completeBaseName();
    const QString suggested = m_saveFolder.isEmpty() ? base + QLatin1Char('.') + ReportEngine::templateSuffix()
                                                     : m_saveFolder + QLatin1Char('/') + base + QLatin1Char('.')
                                                           + ReportEngine::templateSuffix();
    const QString path = interaction().saveFileName(this, suggested, templateFilter, ReportEngine::templateSuffix());
    if (path.isEmpty())
        return false;
    m_tpl.save(path);
    m_fileName = path;
    m_saved = snapshotOf(m_tpl);
    m_undo->setClean();
    updateTitle();
    return true;
}

void ReportDesigner::pageSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_tpl.page.layout());
    if (!interaction().pageSetup(printer, this))
        return;
    m_tpl.page.setLayout(printer.pageLayout());
    m_scene->rebuild();
    recordEdit(tr("Page setup"));
}

void ReportDesigner::preview()
{
    // The designer previews whatever it has: fields the data lack print empty here.
    const ReportTemplate &tpl = m_tpl;
    const ReportDataSet &rows = m_data;
    ReportPreview view(
        prepareReport(tpl, rows),
        [&tpl, &rows](std::optional<QPageLayout> layout) { return prepareReport(tpl, rows, layout); }, {}, this);
    view.setWindowState(view.windowState() | Qt::WindowMaximized);
    interaction().showModal(&view);
}

void ReportDesigner::addItem(ItemKind kind, const QString &text)
{
    const BandRef type = m_scene->currentBand();
    ReportBand &band = *m_tpl.addBandAt(type);
    ReportItem item;
    item.kind = kind;
    const double height = std::clamp(band.height, 1.0, 6.0);
    item.rect = kind == ItemKind::Line ? QRectF(0, 0, 40, 0) : QRectF(0, 0, 40, kind == ItemKind::Text ? height : 20);
    // Beside what the band holds, not over it, while the page is wide enough.
    double right = 0;
    for (const ReportItem &other : band.items)
        right = std::max(right, std::ceil(other.rect.normalized().right()) + 1);
    if (right + item.rect.width() <= m_tpl.page.layout().paintRect(QPageLayout::Millimeter).width())
        item.rect.moveLeft(right);
    if (kind == ItemKind::Text)
        item.text = text.isEmpty() ? tr("Text") : text;
    band.items << item;
    m_scene->rebuild();
    refreshBandPanel();
    m_scene->select({ItemRef{type, int(band.items.size()) - 1}});
    recordEdit(tr("Add"));
}

void ReportDesigner::removeSelected()
{
    const QList<ItemRef> refs = m_scene->selectedRefs();
    if (refs.isEmpty())
        return;
    m_scene->clearSelection();
    // From the last: removing an item moves those after it in its band.
    for (auto ref = refs.rbegin(); ref != refs.rend(); ++ref)
        m_tpl.bandAt(ref->band)->items.removeAt(ref->index);
    m_scene->rebuild();
    recordEdit(tr("Delete"));
}

void ReportDesigner::copy()
{
    const QList<ItemRef> refs = m_scene->selectedRefs();
    if (refs.isEmpty())
        return;
    m_clipboard.clear();
    for (const ItemRef &ref : refs)
        m_clipboard.append({ref.band, m_scene->item(ref)});
}

void ReportDesigner::cut()
{
    copy();
    removeSelected();
}

void ReportDesigner::paste()
{
    if (m_clipboard.isEmpty())
        return;
    const BandRef target = m_scene->currentBand();
    ReportBand &band = *m_tpl.addBandAt(target);
    QList<ItemRef> pasted;
    for (auto &[from, item] : m_clipboard) {
        // Pasting again into the same band goes on down the diagonal.
        if (from == target)
            item.rect.translate(pasteOffset, pasteOffset);
        band.items << item;
        band.items.last().line = 0;
        pasted << ItemRef{target, int(band.items.size()) - 1};
    }
    m_scene->rebuild();
    refreshBandPanel();
    m_scene->select(pasted);
    recordEdit(tr("Paste"));
}

void ReportDesigner::align(Qt::Alignment edge)
{
    const QList<ItemRef> refs = m_scene->selectedRefs();
    if (refs.size() < 2)
        return;
    // Edges within the band: items in different bands line up as they would on their rows.
    auto edgeOf = [edge](const QRectF &r) {
        const QRectF n = r.normalized();
        return edge == Qt::AlignLeft    ? n.left()
               : edge == Qt::AlignRight ? n.right()
               : edge == Qt::AlignTop   ? n.top()
                                        : n.bottom();
    };
    const bool lowest = edge == Qt::AlignLeft || edge == Qt::AlignTop;
    double target = edgeOf(m_scene->item(refs.first()).rect);
    for (const ItemRef &ref : refs) {
        const double e = edgeOf(m_scene->item(ref).rect);
        target = lowest ? std::min(target, e) : std::max(target, e);
    }
    for (const ItemRef &ref : refs) {
        QRectF &r = m_scene->item(ref).rect;
        const double shift = target - edgeOf(r);
        r.translate(edge & (Qt::AlignLeft | Qt::AlignRight) ? QPointF(shift, 0) : QPointF(0, shift));
    }
    m_scene->rebuild();
    recordEdit(tr("Align"));
    loadProperties();
}

void ReportDesigner::sameSize(Qt::Orientation orientation)
{
    const QList<ItemRef> refs = m_scene->selectedRefs();
    const std::optional<ItemRef> current = m_scene->currentRef();
    if (refs.size() < 2 || !current)
        return;
    const QRectF model = m_scene->item(*current).rect;
    for (const ItemRef &ref : refs) {
        QRectF &r = m_scene->item(ref).rect;
        if (orientation == Qt::Horizontal)
            r.setWidth(model.width());
        else
            r.setHeight(model.height());
    }
    m_scene->rebuild();
    recordEdit(orientation == Qt::Horizontal ? tr("Same width") : tr("Same height"));
    loadProperties();
}

void ReportDesigner::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.25, 8.0);
    const double pixelsPerMm = logicalDpiX() / 25.4;
    m_view->setTransform(QTransform::fromScale(m_zoom * pixelsPerMm, m_zoom * pixelsPerMm));
}

void ReportDesigner::addBand(const BandRef &band)
{
    const bool exists = m_tpl.bandAt(band) != nullptr;
    if (!m_tpl.addBandAt(band))
        return;
    m_scene->setCurrentBand(band);
    if (exists)
        return;
    showAndRecord(tr("Add band"));
}

void ReportDesigner::removeBand(const BandRef &band)
{
    if (!m_tpl.bandAt(band))
        return;
    m_scene->clearSelection();
    m_tpl.removeBandAt(band);
    showAndRecord(tr("Remove band"));
}

void ReportDesigner::addGroup()
{
    const QListWidgetItem *chosen = m_fields->currentItem();
    const int column = chosen && m_fields->row(chosen) < m_data.columns().size() ? m_fields->row(chosen) : 0;
    if (m_data.columns().isEmpty())
        throw Error(tr("The report's data has no fields to group on."));
    const QString field = m_data.columns()[column];
    ReportGroup group;
    group.condition = ReportExpression::fieldExpression(m_data.name(), field);
    group.name = field;
    for (int n = 2; groupNameTaken(group.name); ++n)
        group.name = field + QString::number(n);
    ReportBand header;
    header.type = BandType::GroupHeader;
    header.height = 8;
    ReportItem value;
    value.rect = QRectF(0, 1, 80, 6);
    value.text = ReportExpression::fieldReference(m_data.name(), field);
    value.bold = true;
    header.items << value;
    group.header = header;
    ReportBand footer;
    footer.type = BandType::GroupFooter;
    footer.height = 8;
    group.footer = footer;
    m_tpl.groups << group;
    showAndRecord(tr("Add group"), int(m_tpl.groups.size()) - 1);
}

void ReportDesigner::removeGroup()
{
    const int chosen = chosenGroup();
    if (chosen < 0)
        return;
    m_scene->clearSelection();
    m_tpl.groups.removeAt(chosen);
    showAndRecord(tr("Remove group"));
}

void ReportDesigner::moveGroup(int step)
{
    const int chosen = chosenGroup();
    const int to = chosen + step;
    if (chosen < 0 || to < 0 || to >= m_tpl.groups.size())
        return;
    // Items keep their places in the bands; the selection would name other groups' items.
    m_scene->clearSelection();
    m_tpl.groups.move(chosen, to);
    showAndRecord(tr("Group order"), to);
}

void ReportDesigner::insertField(QListWidgetItem *entry)
{
    const ReportItem *item = m_scene->selectedItem();
    if (item && item->kind == ItemKind::Text && m_scene->selectedRefs().size() == 1)
        textEditor()->insertPlainText(entry->text());
    else
        addItem(ItemKind::Text, entry->text());
}

} // namespace tarvo

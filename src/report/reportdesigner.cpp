#include "report/reportdesigner.h"

#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"
#include "report/reportdataset.h"
#include "report/reportengine.h"
#include "report/reportexpression.h"
#include "report/reportpreview.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace tarvo {

namespace {

const QString templateFilter = QObject::tr("Tarvo reports (*.trp);;All files (*)");
const QStringList systemValues{QStringLiteral("[Page#]"), QStringLiteral("[TotalPages#]"), QStringLiteral("[Line#]"),
                               QStringLiteral("[Date]"), QStringLiteral("[Time]")};
const std::pair<const char *, Qt::Alignment> horizontalChoices[] = {{"Left", Qt::AlignLeft},
                                                                    {"Center", Qt::AlignHCenter},
                                                                    {"Right", Qt::AlignRight},
                                                                    {"Justify", Qt::AlignJustify}};
const std::pair<const char *, Qt::Alignment> verticalChoices[] = {{"Top", Qt::AlignTop},
                                                                  {"Center", Qt::AlignVCenter},
                                                                  {"Bottom", Qt::AlignBottom}};

QDoubleSpinBox *lengthBox(double min, double max)
{
    auto *box = new QDoubleSpinBox;
    box->setRange(min, max);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

QColor colourOf(const QLineEdit *edit)
{
    const QColor c = QColor::fromString(edit->text().trimmed());
    return edit->text().trimmed().isEmpty() || !c.isValid() ? QColor() : c;
}

} // namespace

ReportDesigner::ReportDesigner(ReportTemplate &tpl, QString &fileName, const ReportDataSet &dataSet, QWidget *parent)
    : QDialog(parent), m_tpl(tpl), m_fileName(fileName), m_data(dataSet)
{
    setObjectName(QStringLiteral("ReportDesigner"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    if (m_tpl.bands().isEmpty())
        m_tpl.addBand(BandType::MasterData);
    m_scene = new DesignScene(m_tpl, m_data, this);
    m_view = new QGraphicsView(m_scene);
    m_view->setObjectName(QStringLiteral("page"));
    m_view->setBackgroundBrush(QColor(160, 160, 160));
    m_view->scale(4, 4);
    m_view->setDragMode(QGraphicsView::RubberBandDrag);

    auto *bar = new QToolBar;
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(command(QStringLiteral("new"), tr("New"), QKeySequence::New, [this] { newReport(); }));
    bar->addAction(command(QStringLiteral("open"), tr("Open"), QKeySequence::Open, [this] { open(); }));
    bar->addAction(command(QStringLiteral("save"), tr("Save"), QKeySequence::Save, [this] { save(); }));
    bar->addAction(command(QStringLiteral("saveAs"), tr("Save as"), QKeySequence::SaveAs, [this] { saveAs(); }));
    bar->addAction(command(QStringLiteral("pageSetup"), tr("Page setup"), {}, [this] { pageSetup(); }));
    bar->addAction(
        command(QStringLiteral("preview"), tr("Preview"), QKeySequence(Qt::CTRL | Qt::Key_R), [this] { preview(); }));
    bar->addSeparator();
    const std::pair<const char *, ItemKind> palette[] = {{"Text", ItemKind::Text},
                                                         {"Line", ItemKind::Line},
                                                         {"Rectangle", ItemKind::Rect},
                                                         {"Image", ItemKind::Image}};
    for (const auto &[name, kind] : palette) {
        const ItemKind k = kind;
        bar->addAction(command(QStringLiteral("add") + QLatin1String(name), tr(name), {}, [this, k] { addItem(k); }));
    }
    bar->addAction(command(QStringLiteral("delete"), tr("Delete"), QKeySequence::Delete, [this] { removeSelected(); }));
    bar->addSeparator();
    bar->addAction(command(QStringLiteral("close"), tr("Close"), {}, [this] { close(); }));

    auto *split = new QSplitter;
    split->addWidget(buildLeftPanel());
    split->addWidget(m_view);
    split->addWidget(buildPropertyPanel());
    split->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(split, 1);

    connect(m_scene, &QGraphicsScene::selectionChanged, this, [this] { guarded([&] { loadProperties(); }); });
    connect(m_scene, &DesignScene::geometryEdited, this, [this] {
        guarded([&] {
            m_shown.reset();
            loadProperties();
        });
    });
    connect(m_scene, &DesignScene::bandResized, this, [this] { guarded([&] { refreshBandPanel(); }); });
    refreshBandPanel();
    loadProperties();
    updateTitle();
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

QWidget *ReportDesigner::buildLeftPanel()
{
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel(tr("Fields (double click inserts)")));
    m_fields = new QListWidget;
    m_fields->setObjectName(QStringLiteral("fields"));
    for (const QString &column : m_data.columns())
        m_fields->addItem(ReportExpression::fieldReference(m_data.name(), column));
    m_fields->addItems(systemValues);
    connect(m_fields, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *entry) { guarded([&] { insertField(entry); }); });
    layout->addWidget(m_fields, 1);

    layout->addWidget(new QLabel(tr("Bands")));
    m_bandType = new QComboBox;
    m_bandType->setObjectName(QStringLiteral("bandType"));
    for (BandType type : allBandTypes())
        m_bandType->addItem(bandTypeName(type), int(type));
    layout->addWidget(m_bandType);
    auto *row = new QHBoxLayout;
    auto *add = new QPushButton(tr("Add"));
    auto *remove = new QPushButton(tr("Remove"));
    row->addWidget(add);
    row->addWidget(remove);
    layout->addLayout(row);
    m_bandHeight = lengthBox(0, 2000);
    m_bandHeight->setObjectName(QStringLiteral("bandHeight"));
    layout->addWidget(m_bandHeight);
    auto chosenBand = [this] { return BandType(m_bandType->currentData().toInt()); };
    connect(add, &QPushButton::clicked, this, [this, chosenBand] { guarded([&] { addBand(chosenBand()); }); });
    connect(remove, &QPushButton::clicked, this, [this, chosenBand] { guarded([&] { removeBand(chosenBand()); }); });
    connect(m_bandType, &QComboBox::currentIndexChanged, this, [this] { guarded([&] { refreshBandPanel(); }); });
    connect(m_bandHeight, &QDoubleSpinBox::valueChanged, this, [this, chosenBand](double height) {
        guarded([&] {
            if (ReportBand *band = m_tpl.band(chosenBand()); band && !m_loading) {
                band->height = height;
                m_scene->rebuild();
            }
        });
    });
    return panel;
}

QWidget *ReportDesigner::buildPropertyPanel()
{
    m_properties = new QWidget;
    auto *form = new QFormLayout(m_properties);
    const char *names[] = {"X", "Y", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        m_geometry[i] = lengthBox(i < 2 ? -2000 : -2000, 2000);
        form->addRow(tr(names[i]), m_geometry[i]);
        connect(m_geometry[i], &QDoubleSpinBox::valueChanged, this, [this] {
            guarded([&] {
                if (m_loading)
                    return;
                storeProperties();
                m_scene->rebuild();
            });
        });
    }
    m_text = new QPlainTextEdit;
    m_text->setObjectName(QStringLiteral("text"));
    form->addRow(tr("Text"), m_text);
    m_font = new QLineEdit;
    form->addRow(tr("Font"), m_font);
    m_size = new QDoubleSpinBox;
    m_size->setRange(1, 500);
    m_size->setSuffix(QStringLiteral(" pt"));
    form->addRow(tr("Size"), m_size);
    m_bold = new QCheckBox(tr("Bold"));
    m_italic = new QCheckBox(tr("Italic"));
    m_underline = new QCheckBox(tr("Underline"));
    m_wrap = new QCheckBox(tr("Word wrap"));
    m_grow = new QCheckBox(tr("Grow to fit"));
    for (QCheckBox *box : {m_bold, m_italic, m_underline, m_wrap, m_grow}) {
        form->addRow(QString(), box);
        connect(box, &QCheckBox::toggled, this, [this] { guarded([&] { storeProperties(); }); });
    }
    m_align = new QComboBox;
    for (const auto &[name, value] : horizontalChoices)
        m_align->addItem(tr(name), int(value));
    m_valign = new QComboBox;
    for (const auto &[name, value] : verticalChoices)
        m_valign->addItem(tr(name), int(value));
    form->addRow(tr("Align"), m_align);
    form->addRow(tr("Vertical"), m_valign);
    m_colour = new QLineEdit;
    m_colour->setPlaceholderText(QStringLiteral("#000000"));
    form->addRow(tr("Colour"), m_colour);
    m_fill = new QLineEdit;
    m_fill->setPlaceholderText(tr("none"));
    form->addRow(tr("Fill"), m_fill);
    m_lineWidth = lengthBox(0, 50);
    m_lineWidth->setDecimals(2);
    form->addRow(tr("Line width"), m_lineWidth);
    m_imageField = new QLineEdit;
    form->addRow(tr("Picture field"), m_imageField);
    auto *picture = new QPushButton(tr("Load picture..."));
    form->addRow(QString(), picture);

    auto store = [this] { guarded([&] { storeProperties(); }); };
    connect(m_text, &QPlainTextEdit::textChanged, this, store);
    for (QLineEdit *edit : {m_font, m_colour, m_fill, m_imageField})
        connect(edit, &QLineEdit::editingFinished, this, store);
    for (QDoubleSpinBox *box : {m_size, m_lineWidth})
        connect(box, &QDoubleSpinBox::valueChanged, this, store);
    for (QComboBox *box : {m_align, m_valign})
        connect(box, &QComboBox::currentIndexChanged, this, store);
    connect(picture, &QPushButton::clicked, this, [this] {
        guarded([&] {
            ReportItem *item = m_scene->selectedItem();
            if (!item || item->kind != ItemKind::Image)
                return;
            const QString path = interaction().openFileName(this, tr("Pictures (*.png *.jpg *.bmp *.gif)"),
                                                            m_openFolder);
            if (path.isEmpty())
                return;
            QImage image(path);
            if (image.isNull())
                throw FileError(tr("Cannot read the picture %1").arg(path));
            item->image = image;
            item->png.clear();
            QBuffer buffer(&item->png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            m_scene->updateSelected();
        });
    });
    return m_properties;
}

void ReportDesigner::loadProperties()
{
    const std::optional<ItemRef> ref = m_scene->selectedRef();
    if (ref && m_shown && ref->band == m_shown->band && ref->index == m_shown->index)
        return; // the panel is already editing it; reloading would move the text cursor
    m_shown = ref;
    const ReportItem *item = m_scene->selectedItem();
    m_properties->setEnabled(item != nullptr);
    const ReportItem blank;
    const ReportItem &m = item ? *item : blank;
    m_loading = true;
    const double geometry[] = {m.rect.x(), m.rect.y(), m.rect.width(), m.rect.height()};
    for (int i = 0; i < 4; ++i)
        m_geometry[i]->setValue(geometry[i]);
    m_text->setPlainText(m.text);
    m_font->setText(m.font);
    m_size->setValue(m.size);
    m_bold->setChecked(m.bold);
    m_italic->setChecked(m.italic);
    m_underline->setChecked(m.underline);
    m_wrap->setChecked(m.wrap);
    m_grow->setChecked(m.grow);
    m_align->setCurrentIndex(m_align->findData(int(m.align & Qt::AlignHorizontal_Mask)));
    m_valign->setCurrentIndex(m_valign->findData(int(m.align & Qt::AlignVertical_Mask)));
    m_colour->setText(m.colour.name());
    m_fill->setText(m.fill.isValid() ? m.fill.name() : QString());
    m_lineWidth->setValue(m.lineWidth);
    m_imageField->setText(m.field);
    m_text->setEnabled(m.kind == ItemKind::Text);
    m_imageField->setEnabled(m.kind == ItemKind::Image);
    m_loading = false;
}

void ReportDesigner::storeProperties()
{
    ReportItem *item = m_scene->selectedItem();
    if (m_loading || !item)
        return;
    item->rect = QRectF(m_geometry[0]->value(), m_geometry[1]->value(), m_geometry[2]->value(), m_geometry[3]->value());
    if (item->kind != ItemKind::Line)
        item->rect = QRectF(item->rect.topLeft(), item->rect.size().expandedTo(QSizeF(0, 0)));
    item->text = m_text->toPlainText();
    item->font = m_font->text().trimmed().isEmpty() ? item->font : m_font->text().trimmed();
    item->size = m_size->value();
    item->bold = m_bold->isChecked();
    item->italic = m_italic->isChecked();
    item->underline = m_underline->isChecked();
    item->wrap = m_wrap->isChecked();
    item->grow = m_grow->isChecked();
    item->align = Qt::Alignment(m_align->currentData().toInt() | m_valign->currentData().toInt());
    if (const QColor c = colourOf(m_colour); c.isValid())
        item->colour = c;
    item->fill = colourOf(m_fill);
    item->lineWidth = m_lineWidth->value();
    item->field = m_imageField->text().trimmed();
    m_scene->updateSelected();
}

void ReportDesigner::refreshBandPanel()
{
    const ReportBand *band = m_tpl.band(BandType(m_bandType->currentData().toInt()));
    m_loading = true;
    m_bandHeight->setEnabled(band != nullptr);
    m_bandHeight->setValue(band ? band->height : 0);
    m_loading = false;
}

void ReportDesigner::updateTitle()
{
    setWindowTitle(
        tr("Report designer - %1").arg(m_fileName.isEmpty() ? tr("(new report)") : QFileInfo(m_fileName).fileName()));
}

void ReportDesigner::setFolders(const QString &openFolder, const QString &saveFolder)
{
    m_openFolder = openFolder;
    m_saveFolder = saveFolder;
}

void ReportDesigner::newReport()
{
    m_tpl = m_data.columns().isEmpty() ? ReportTemplate() : ReportTemplate::tableLayout(m_data, tr("Report"));
    if (m_tpl.bands().isEmpty())
        m_tpl.addBand(BandType::MasterData);
    m_fileName.clear();
    m_shown.reset();
    m_scene->rebuild();
    refreshBandPanel();
    updateTitle();
}

void ReportDesigner::open()
{
    const QString path = interaction().openFileName(this, templateFilter, m_openFolder);
    if (path.isEmpty())
        return;
    m_tpl = ReportTemplate::load(path);
    m_fileName = path;
    m_shown.reset();
    m_scene->rebuild();
    refreshBandPanel();
    updateTitle();
}

void ReportDesigner::save()
{
    if (m_fileName.isEmpty())
        return saveAs();
    m_tpl.save(m_fileName);
}

void ReportDesigner::saveAs()
{
    const QString base = m_fileName.isEmpty() ? tr("report") : QFileInfo(m_fileName).completeBaseName();
    const QString suggested = m_saveFolder.isEmpty() ? base + QLatin1Char('.') + ReportEngine::templateSuffix()
                                                     : m_saveFolder + QLatin1Char('/') + base + QLatin1Char('.')
                                                           + ReportEngine::templateSuffix();
    const QString path = interaction().saveFileName(this, suggested, templateFilter, ReportEngine::templateSuffix());
    if (path.isEmpty())
        return;
    m_tpl.save(path);
    m_fileName = path;
    updateTitle();
}

void ReportDesigner::pageSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_tpl.page.layout());
    if (!interaction().pageSetup(printer, this))
        return;
    m_tpl.page.setLayout(printer.pageLayout());
    m_scene->rebuild();
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

void ReportDesigner::addItem(ItemKind kind)
{
    const BandType type = m_scene->currentBand();
    ReportBand &band = m_tpl.addBand(type);
    ReportItem item;
    item.kind = kind;
    const double height = std::clamp(band.height, 1.0, 6.0);
    item.rect = kind == ItemKind::Line ? QRectF(0, 0, 40, 0) : QRectF(0, 0, 40, kind == ItemKind::Text ? height : 20);
    if (kind == ItemKind::Text)
        item.text = tr("Text");
    band.items << item;
    m_scene->rebuild();
    refreshBandPanel();
    m_scene->select(ItemRef{type, int(band.items.size()) - 1});
}

void ReportDesigner::removeSelected()
{
    const std::optional<ItemRef> ref = m_scene->selectedRef();
    if (!ref)
        return;
    m_tpl.band(ref->band)->items.removeAt(ref->index);
    m_scene->clearSelection();
    m_shown.reset();
    m_scene->rebuild();
}

void ReportDesigner::addBand(BandType type)
{
    m_tpl.addBand(type);
    m_scene->setCurrentBand(type);
    m_scene->rebuild();
    refreshBandPanel();
}

void ReportDesigner::removeBand(BandType type)
{
    m_scene->clearSelection();
    m_tpl.removeBand(type);
    m_shown.reset();
    m_scene->rebuild();
    refreshBandPanel();
}

void ReportDesigner::insertField(QListWidgetItem *entry)
{
    const ReportItem *item = m_scene->selectedItem();
    if (item && item->kind == ItemKind::Text) {
        m_text->insertPlainText(entry->text());
        return;
    }
    addItem(ItemKind::Text);
    m_text->setPlainText(entry->text());
}

} // namespace tarvo

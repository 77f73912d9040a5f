#include "controls/dbstringgridex.h"

#include "controls/dbbutton.h"
#include "controls/form.h"
#include "controls/gridmodel.h"
#include "controls/sharedresources.h"
#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <qdrawutil.h>

namespace tarvo {

namespace {
constexpr int kNewGridColumns = 5;
constexpr int kNewGridRows = 5; // the title row and four empty data rows

// The title row in the grid's drawing style: themed is the desktop's own header; classic a flat
// raised button face; gradient a face shaded from light at the top to darker at the bottom.
class TitleRow : public QHeaderView {
public:
    explicit TitleRow(TdbStringGridEx *grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid) {}

protected:
    void paintSection(QPainter *painter, const QRect &rect, int section) const override
    {
        const TdbStringGridEx::TGridDrawingStyle style = m_grid->drawingStyle();
        if (style == TdbStringGridEx::gdsThemed) {
            QHeaderView::paintSection(painter, rect, section);
            return;
        }
        const QPalette &pal = palette();
        painter->save();
        if (style == TdbStringGridEx::gdsGradient) {
            QLinearGradient shade(rect.topLeft(), rect.bottomLeft());
            shade.setColorAt(0, pal.color(QPalette::Button).lighter(125));
            shade.setColorAt(1, pal.color(QPalette::Button).darker(125));
            painter->fillRect(rect, shade);
            painter->setPen(pal.color(QPalette::Dark));
            painter->drawLine(rect.topRight(), rect.bottomRight());
            painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        } else {
            qDrawShadePanel(painter, rect, pal, false, 1, &pal.brush(QPalette::Button));
        }
        painter->setPen(pal.color(QPalette::ButtonText));
        painter->drawText(rect.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          model()->headerData(section, orientation()).toString());
        painter->restore();
    }

private:
    TdbStringGridEx *m_grid;
};
} // namespace

TdbStringGridEx::TdbStringGridEx(QWidget *parent)
    : QTableView(parent), m_model(new GridModel(kNewGridColumns, kNewGridRows - 1, this))
{
    setHorizontalHeader(new TitleRow(this));
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the next control of the form, as in every other control.
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->viewport()->installEventFilter(this);

    // A model reset drops the header's section sizes; the user's widths stay per position.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_restoringWidths = true; });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { restoreColumnWidths(); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (m_restoringWidths)
            return;
        if (m_colWidths.size() <= column)
            m_colWidths.resize(column + 1, -1);
        m_colWidths[column] = width;
    });

    buildPopupMenu();
    setRow(1);
}

TdbStringGridEx::~TdbStringGridEx() = default;

void TdbStringGridEx::buildPopupMenu()
{
    FPopupMenu = new QMenu(this);
    QAction *show = FPopupMenu->addAction(QStringLiteral("Show record"));
    show->setObjectName(QStringLiteral("mniShowRecord"));
    QFont bold = show->font();
    bold.setBold(true);
    show->setFont(bold);
    FPopupMenu->setDefaultAction(show);
    FPopupMenu->addSeparator()->setObjectName(QStringLiteral("mniSep22"));
    QAction *copy = FPopupMenu->addAction(QStringLiteral("Copy"));
    copy->setObjectName(QStringLiteral("mniCopy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction *copyAllAction = FPopupMenu->addAction(QStringLiteral("Copy all"));
    copyAllAction->setObjectName(QStringLiteral("mniCopyAll"));
    copyAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    for (QAction *action : {copy, copyAllAction}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        addAction(action); // the shortcuts act while the grid has the focus
    }
    connect(show, &QAction::triggered, this, [this] { guarded([this] { ShowRecord(); }); });
    connect(copy, &QAction::triggered, this, [this] { guarded([this] { copyCurrentRecord(); }); });
    connect(copyAllAction, &QAction::triggered, this, [this] { guarded([this] { copyAll(); }); });

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { FPopupMenu->popup(viewport()->mapToGlobal(pos)); });
}

void TdbStringGridEx::setDrawingStyle(TGridDrawingStyle style)
{
    m_drawingStyle = style;
    horizontalHeader()->viewport()->update();
}

int TdbStringGridEx::colCount() const
{
    return m_model->columns();
}

void TdbStringGridEx::setColCount(int count)
{
    keepCurrentRowAcross([&] { m_model->setShape(qMax(count, 1), m_model->dataRows()); });
}

int TdbStringGridEx::rowCount() const
{
    return m_model->dataRows() + 1;
}

void TdbStringGridEx::setRowCount(int count)
{
    keepCurrentRowAcross([&] { m_model->setShape(m_model->columns(), qMax(count, 2) - 1); });
}

QString TdbStringGridEx::cell(int col, int row) const
{
    return row == 0 ? m_model->title(col) : m_model->cell(col, row - 1);
}

void TdbStringGridEx::setCell(int col, int row, const QString &text)
{
    if (row == 0)
        m_model->setTitle(col, text);
    else
        m_model->setCell(col, row - 1, text);
}

int TdbStringGridEx::colWidth(int col) const
{
    if (col >= 0 && col < colCount())
        return horizontalHeader()->sectionSize(col);
    const int kept = m_colWidths.value(col, -1);
    return kept >= 0 ? kept : defaultColWidth();
}

void TdbStringGridEx::setColWidth(int col, int width)
{
    if (col < 0)
        return;
    if (m_colWidths.size() <= col)
        m_colWidths.resize(col + 1, -1);
    m_colWidths[col] = width;
    if (col < colCount())
        horizontalHeader()->resizeSection(col, width);
}

int TdbStringGridEx::defaultColWidth() const
{
    return horizontalHeader()->defaultSectionSize();
}

// Like the string grid it stands for, a new default width applies to every column.
void TdbStringGridEx::setDefaultColWidth(int width)
{
    m_colWidths.clear();
    horizontalHeader()->setDefaultSectionSize(width);
    restoreColumnWidths();
}

int TdbStringGridEx::defaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void TdbStringGridEx::setDefaultRowHeight(int height)
{
    verticalHeader()->setDefaultSectionSize(height);
}

int TdbStringGridEx::row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : -1;
}

void TdbStringGridEx::setRow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    const int column = qMax(currentIndex().column(), 0);
    setCurrentIndex(m_model->index(row - 1, column));
}

void TdbStringGridEx::restoreColumnWidths()
{
    m_restoringWidths = true;
    for (int c = 0; c < colCount(); ++c)
        horizontalHeader()->resizeSection(c, m_colWidths.value(c, -1) >= 0 ? m_colWidths.at(c)
                                                                           : horizontalHeader()->defaultSectionSize());
    m_restoringWidths = false;
}

// A model reset forgets the current row; the grid keeps it, as far as the rows reach.
void TdbStringGridEx::keepCurrentRowAcross(const std::function<void()> &change)
{
    const int before = row();
    change();
    if (before >= 1)
        setRow(qMin(before, rowCount() - 1));
}

int TdbStringGridEx::dbItemID() const
{
    const int current = row();
    if (current < 1 || current - 1 >= FListId.size())
        return -1;
    bool ok = false;
    const int id = FListId.at(current - 1).toInt(&ok);
    return ok ? id : -1;
}

void TdbStringGridEx::setDbItemID(int id)
{
    const int rows = qMin<qsizetype>(FListId.size(), rowCount() - 1);
    for (int i = 0; i < rows; ++i) {
        bool ok = false;
        const int rowId = FListId.at(i).toInt(&ok);
        if ((ok ? rowId : -1) == id) {
            setRow(i + 1);
            return;
        }
    }
}

void TdbStringGridEx::dbClear()
{
    PackedCells empty;
    empty.appendEmpty(colCount());
    keepCurrentRowAcross([&] { m_model->fill(colCount(), 1, std::move(empty)); });
    FListId.clear();
}

void TdbStringGridEx::dbFillColumnsName()
{
    dbClear();
    if (FListFieldsNames.isEmpty())
        return;
    QStringList names = FListFieldsNames.split(QLatin1Char(','));
    if (names.size() > 1 && names.last().isEmpty())
        names.removeLast(); // a trailing comma adds no column
    setColCount(int(names.size()));
    setTitles(names);
}

void TdbStringGridEx::setTitles(const QStringList &titles)
{
    for (int c = 0; c < colCount() && c < titles.size(); ++c)
        m_model->setTitle(c, titles.at(c));
}

void TdbStringGridEx::dbUnSelect()
{
    selectionModel()->clear();
}

SqlConnection &TdbStringGridEx::connection() const
{
    SqlConnection *connection = FSQLConnection ? FSQLConnection : sharedResources().connection;
    if (!connection)
        throw DatabaseError(QStringLiteral("No database connection"));
    return *connection;
}

SearchParameters TdbStringGridEx::searchParameters() const
{
    return {FGeneralTable, FListFields, FListControls, FParentTable, FParentTableId, FSortField, FSortAsc};
}

void TdbStringGridEx::ShowRecord()
{
    const FormBase *form = formOf(this);
    if (!form)
        return;
    QList<QPointer<TdbButton>> buttons;
    for (TdbButton *button : form->componentsOf<TdbButton>())
        if (button->dbActionType() == TdbButton::adbShowRecord && button->dbResultControl() == objectName())
            buttons << button;
    // A click may open a modal form; a button destroyed meanwhile is skipped.
    for (const QPointer<TdbButton> &button : buttons)
        if (button)
            button->click();
}

QString TdbStringGridEx::currentRecordText() const
{
    const int current = row();
    if (current < 1)
        return {};
    QStringList lines;
    for (int c = 0; c < colCount(); ++c)
        lines << cell(c, 0) + QStringLiteral(": ") + cell(c, current);
    return lines.join(QStringLiteral("\r\n"));
}

QString TdbStringGridEx::allRowsText() const
{
    QString text;
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < colCount(); ++c) {
            if (c > 0)
                text += QLatin1Char('\t');
            text += cell(c, r);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void TdbStringGridEx::copyCurrentRecord()
{
    if (row() >= 1)
        interaction().setClipboardText(currentRecordText());
}

void TdbStringGridEx::copyAll()
{
    interaction().setClipboardText(allRowsText());
}

void TdbStringGridEx::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        guarded([this] { ShowRecord(); });
        return;
    }
    // The view's own copy would bypass the desktop layer and copy a single cell.
    if (event->matches(QKeySequence::Copy)) {
        guarded([this] { copyCurrentRecord(); });
        return;
    }
    QTableView::keyPressEvent(event);
}

void TdbStringGridEx::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    guarded([this] { ShowRecord(); });
}

void TdbStringGridEx::mousePressEvent(QMouseEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QTableView::mousePressEvent(event);
        return;
    }
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid())
        guarded([&] { interaction().setClipboardText(m_model->cell(under.column(), under.row())); });
    // Ctrl would toggle the row's selection off; the click selects as a plain click does.
    QMouseEvent plain(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
                      event->button(), event->buttons(), event->modifiers() & ~Qt::ControlModifier,
                      event->pointingDevice());
    QTableView::mousePressEvent(&plain);
}

bool TdbStringGridEx::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->modifiers() & Qt::ControlModifier) {
            const int column = horizontalHeader()->logicalIndexAt(mouse->position().toPoint());
            if (column >= 0)
                guarded([&] { interaction().setClipboardText(m_model->title(column)); });
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace tarvo

#include "report/reportpreview.h"

#include "platform/errorhandler.h"
#include "platform/interaction.h"
#include "platform/waitcursor.h"
#include "report/reportexport.h"
#include "report/reportfile.h"
#include "report/reportpainter.h"

#include <QAction>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvo {

namespace {

QString titleFor(const PreparedReport &report)
{
    return report.title.isEmpty() ? ReportPreview::tr("Preview") : ReportPreview::tr("Preview - %1").arg(report.title);
}

} // namespace

ReportPreview::ReportPreview(PreparedReport report, Prepare prepare, std::function<void()> edit, QWidget *parent)
    : QDialog(parent), m_report(std::move(report)), m_prepare(std::move(prepare)), m_edit(std::move(edit)),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(titleFor(m_report));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_printer->setPageLayout(m_report.layout);
    m_view = new QPrintPreviewWidget(m_printer.get(), this);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { guarded([&] { paintRequested(printer); }); });
    connect(m_view, &QPrintPreviewWidget::previewChanged, this, [this] {
        guarded([&] {
            m_pageBox->setRange(1, std::max(1, m_view->pageCount()));
            m_pageBox->setValue(m_view->currentPage());
            m_pageCount->setText(tr(" of %1 ").arg(m_view->pageCount()));
        });
    });
    m_outline = new QTreeWidget(this);
    m_outline->setObjectName(QStringLiteral("outline"));
    m_outline->setHeaderHidden(true);
    // Enter on the keyboard's entry activates it; a click jumps at once.
    connect(m_outline, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { guarded([&] { showEntry(item); }); });
    connect(m_outline, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { guarded([&] { showEntry(item); }); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    auto *split = new QSplitter(this);
    split->addWidget(m_outline);
    split->addWidget(m_view);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 800});
    layout->addWidget(split, 1);
    fillOutline();
    m_view->fitToWidth();
    m_view->updatePreview();
}

void ReportPreview::fillOutline()
{
    m_outline->clear();
    // The entries come in report order with their levels: the last item seen at each level is
    // the parent of the next entry one level deeper.
    QList<QTreeWidgetItem *> parents;
    for (qsizetype i = 0; i < m_report.outline.size(); ++i) {
        const OutlineEntry &entry = m_report.outline[i];
        const int level = std::min(entry.level, int(parents.size()));
        parents.resize(level);
        auto *item = level == 0 ? new QTreeWidgetItem(m_outline) : new QTreeWidgetItem(parents.last());
        item->setText(0, entry.text);
        item->setToolTip(0, entry.text);
        item->setData(0, Qt::UserRole, qlonglong(i));
        parents << item;
    }
    m_outline->expandToDepth(0);
    const bool any = !m_report.outline.isEmpty();
    m_outline->setVisible(any);
    QAction *toggle = action(QStringLiteral("outline"));
    toggle->setEnabled(any);
    toggle->setChecked(any);
}

void ReportPreview::showEntry(QTreeWidgetItem *item)
{
    const qsizetype index = item->data(0, Qt::UserRole).toLongLong();
    if (index >= 0 && index < m_report.outline.size())
        showPosition(m_report.outline[index].page, m_report.outline[index].y);
}

void ReportPreview::showPosition(int page, double y)
{
    goTo(page + 1);
    auto *view = m_view->findChild<QGraphicsView *>();
    if (!view || !view->scene())
        return;
    // The preview's pages are the scene's top-level items, laid out in reading order.
    QList<QGraphicsItem *> pages;
    for (QGraphicsItem *item : view->scene()->items()) {
        if (!item->parentItem())
            pages << item;
    }
    std::sort(pages.begin(), pages.end(), [](const QGraphicsItem *a, const QGraphicsItem *b) {
        return std::pair(a->pos().y(), a->pos().x()) < std::pair(b->pos().y(), b->pos().x());
    });
    if (page < 0 || page >= pages.size())
        return;
    // A page item's paper starts at its origin; its bounding box adds the same border on all
    // sides, so the paper's height is twice the box's centre.
    const QGraphicsItem *paper = pages[page];
    const double paperHeight = 2 * paper->boundingRect().center().y();
    const double fromTop = m_report.layout.margins(QPageLayout::Millimeter).top() + y;
    const double pageHeight = m_report.layout.fullRect(QPageLayout::Millimeter).height();
    const QPoint at = view->mapFromScene(paper->mapToScene(0, paperHeight * fromTop / pageHeight));
    QScrollBar *bar = view->verticalScrollBar();
    constexpr int room = 8; // pixels above the position, so that it does not stick to the edge
    bar->setValue(bar->value() + at.y() - room);
}

void ReportPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Once laid out at its final size, the preview starts at the first page's top-left corner.
    QTimer::singleShot(0, this, [this] {
        if (auto *view = m_view->findChild<QAbstractScrollArea *>())
            scrollToTopLeft(view);
    });
}

void scrollToTopLeft(QAbstractScrollArea *view)
{
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->minimum());
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->minimum());
}

void disconnectChildren(QObject *owner)
{
    for (QObject *child : owner->findChildren<QObject *>())
        QObject::disconnect(child, nullptr, owner, nullptr);
}

ReportPreview::~ReportPreview()
{
    // The preview widget outlives this part of the object and may still report changes.
    disconnectChildren(this);
}

QAction *ReportPreview::addCommand(const QString &name, const QString &text, const QKeySequence &key,
                                   std::function<void()> command)
{
    auto *a = new QAction(text, this);
    a->setObjectName(name);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    a->setToolTip(key.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    connect(a, &QAction::triggered, this, [command] { guarded(command); });
    return a;
}

void ReportPreview::buildToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout()->addWidget(bar);
    bar->addAction(addCommand(QStringLiteral("print"), tr("Print"), QKeySequence::Print, [this] { print(); }));
    bar->addAction(addCommand(QStringLiteral("pageSetup"), tr("Page setup"), {}, [this] { pageSetup(); }));
    bar->addSeparator();
    // Zooms and exports are menus, which keeps the whole bar within 1024 pixels.
    addMenuButton(
        bar, QStringLiteral("zoom"), tr("Zoom"),
        {addCommand(QStringLiteral("zoomIn"), tr("Zoom in"), QKeySequence::ZoomIn, [this] { m_view->zoomIn(); }),
         addCommand(QStringLiteral("zoomOut"), tr("Zoom out"), QKeySequence::ZoomOut, [this] { m_view->zoomOut(); }),
         addCommand(QStringLiteral("fitWidth"), tr("Fit width"), {}, [this] { m_view->fitToWidth(); }),
         addCommand(QStringLiteral("fitPage"), tr("Fit page"), {}, [this] { m_view->fitInView(); }),
         addCommand(QStringLiteral("actualSize"), tr("100 %"), QKeySequence(Qt::CTRL | Qt::Key_0), [this] {
             m_view->setZoomMode(QPrintPreviewWidget::CustomZoom);
             m_view->setZoomFactor(1.0);
         })});
    bar->addSeparator();
    bar->addAction(
        addCommand(QStringLiteral("first"), tr("First"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { goTo(1); }));
    bar->addAction(addCommand(QStringLiteral("previous"), tr("Previous"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                              [this] { goTo(currentPage() - 1); }));
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("pageNumber"));
    m_pageBox->setKeyboardTracking(false);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { guarded([&] { goTo(page); }); });
    bar->addWidget(m_pageBox);
    m_pageCount = new QLabel(bar);
    bar->addWidget(m_pageCount);
    bar->addAction(addCommand(QStringLiteral("next"), tr("Next"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                              [this] { goTo(currentPage() + 1); }));
    bar->addAction(addCommand(QStringLiteral("last"), tr("Last"), QKeySequence(Qt::CTRL | Qt::Key_End),
                              [this] { goTo(m_view->pageCount()); }));
    bar->addSeparator();
    m_findBox = new QLineEdit(bar);
    m_findBox->setObjectName(QStringLiteral("findText"));
    m_findBox->setPlaceholderText(tr("Find"));
    m_findBox->setMaximumWidth(120);
    bar->addWidget(m_findBox);
    QAction *findAction = addCommand(QStringLiteral("find"), tr("Find"), QKeySequence(Qt::Key_F3),
                                     [this] { find(m_findBox->text()); });
    bar->addAction(findAction);
    connect(m_findBox, &QLineEdit::returnPressed, findAction, &QAction::trigger);
    addAction(addCommand(QStringLiteral("focusFind"), tr("Find"), QKeySequence::Find, [this] {
        m_findBox->setFocus();
        m_findBox->selectAll();
    }));
    m_findStatus = new QLabel(bar);
    bar->addWidget(m_findStatus);
    bar->addSeparator();
    QAction *toggle = addCommand(QStringLiteral("outline"), tr("Outline"), {},
                                 [this] { m_outline->setVisible(action(QStringLiteral("outline"))->isChecked()); });
    toggle->setCheckable(true);
    bar->addAction(toggle);
    bar->addAction(addCommand(QStringLiteral("open"), tr("Open"), QKeySequence::Open, [this] { open(); }));
    bar->addAction(addCommand(QStringLiteral("save"), tr("Save"), QKeySequence::Save, [this] { save(); }));
    addMenuButton(bar, QStringLiteral("export"), tr("Export"),
                  {addCommand(QStringLiteral("exportPdf"), tr("PDF"), {},
                              [this] { exportAs(tr("PDF files (*.pdf)"), QStringLiteral("pdf"), &exportPdf); }),
                   addCommand(QStringLiteral("exportHtml"), tr("HTML"), {},
                              [this] {
                                  exportAs(tr("HTML files (*.html *.htm)"), QStringLiteral("html"), &exportHtml);
                              }),
                   addCommand(QStringLiteral("exportXml"), tr("XML spreadsheet"), {}, [this] {
                       exportAs(tr("XML spreadsheets (*.xml)"), QStringLiteral("xml"), &exportSpreadsheetXml);
                   })});
    if (m_edit) {
        bar->addSeparator();
        bar->addAction(addCommand(QStringLiteral("edit"), tr("Edit"), {}, [this] { edit(); }));
    }
    bar->addSeparator();
    bar->addAction(addCommand(QStringLiteral("close"), tr("Close"), {}, [this] { close(); }));
}

void ReportPreview::addMenuButton(QToolBar *bar, const QString &name, const QString &text,
                                  const QList<QAction *> &commands)
{
    auto *menu = new QMenu(bar);
    menu->addActions(commands);
    // The dialog holds them too, so that their shortcuts work while the menu is closed.
    addActions(commands);
    QAction *menuAction = menu->menuAction();
    menuAction->setObjectName(name);
    menuAction->setText(text);
    bar->addAction(menuAction);
    if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(menuAction)))
        button->setPopupMode(QToolButton::InstantPopup);
}

QAction *ReportPreview::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

int ReportPreview::currentPage() const
{
    return m_view->currentPage();
}

void ReportPreview::goTo(int page)
{
    const int count = m_view->pageCount();
    if (count == 0)
        return;
    m_view->setCurrentPage(std::clamp(page, 1, count));
    m_pageBox->setValue(m_view->currentPage());
}

void ReportPreview::paintRequested(QPrinter *printer)
{
    QPainter painter(printer);
    const PaintOptions options{m_highlight};
    for (qsizetype i = 0; i < m_report.pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        paintPage(painter, m_report.pages[i], options);
    }
}

void ReportPreview::relayout(std::optional<QPageLayout> layout)
{
    setReport(m_prepare(layout));
}

void ReportPreview::setReport(PreparedReport report)
{
    m_report = std::move(report);
    m_printer->setPageLayout(m_report.layout);
    fillOutline();
    refresh();
}

void ReportPreview::save()
{
    const QString base = m_report.title.isEmpty() ? QStringLiteral("report") : m_report.title;
    const QString suffix = preparedReportSuffix();
    const QString path = interaction().saveFileName(this, base + QLatin1Char('.') + suffix,
                                                    tr("Saved reports (*.%1)").arg(suffix), suffix);
    if (path.isEmpty())
        return;
    const WaitCursor busy;
    savePreparedReport(m_report, path);
}

void ReportPreview::open()
{
    const QString path =
        interaction().openFileName(this, tr("Saved reports (*.%1);;All files (*)").arg(preparedReportSuffix()));
    if (path.isEmpty())
        return;
    PreparedReport report = [&] {
        const WaitCursor busy;
        return loadPreparedReport(path);
    }();
    // The pages now come from the file, not from a template and data: nothing to lay out again.
    m_prepare = {};
    m_edit = {};
    for (const char *name : {"pageSetup", "edit"}) {
        if (QAction *a = action(QLatin1String(name)))
            a->setEnabled(false);
    }
    m_foundPage = -1;
    setWindowTitle(titleFor(report));
    setReport(std::move(report));
    goTo(1);
}

void ReportPreview::refresh()
{
    const int page = currentPage();
    m_view->updatePreview();
    goTo(page);
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_report.layout);
    printer.setDocName(m_report.title);
    printer.setFromTo(1, int(m_report.pages.size()));
    if (!interaction().choosePrinter(printer, this))
        return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    // A printer may enlarge the margins or change the paper: lay out for what it prints on.
    const QPageLayout chosen = printer.pageLayout();
    const PreparedReport report = chosen.isEquivalentTo(m_report.layout) || !m_prepare ? m_report : m_prepare(chosen);
    const WaitCursor busy;
    printReport(report, printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

void ReportPreview::pageSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_report.layout);
    if (interaction().pageSetup(printer, this))
        relayout(printer.pageLayout());
}

void ReportPreview::exportAs(const QString &filter, const QString &suffix,
                             void (*write)(const PreparedReport &, const QString &))
{
    const QString base = m_report.title.isEmpty() ? QStringLiteral("report") : m_report.title;
    const QString path = interaction().saveFileName(this, base + QLatin1Char('.') + suffix, filter, suffix);
    if (path.isEmpty())
        return;
    const WaitCursor busy;
    write(m_report, path);
}

void ReportPreview::edit()
{
    m_edit();
    relayout(std::nullopt);
}

bool ReportPreview::find(const QString &text)
{
    if (text.isEmpty())
        return false;
    const int count = int(m_report.pages.size());
    const int start = text.compare(m_highlight, Qt::CaseInsensitive) == 0 && m_foundPage >= 0 ? m_foundPage + 1
                                                                                              : currentPage() - 1;
    for (int n = 0; n < count; ++n) {
        const int page = (start + n) % count;
        for (const PreparedItem &item : m_report.pages[page].items) {
            if (item.text.contains(text, Qt::CaseInsensitive)) {
                m_highlight = text;
                m_foundPage = page;
                m_findStatus->clear();
                refresh();
                goTo(page + 1);
                return true;
            }
        }
    }
    m_highlight.clear();
    m_foundPage = -1;
    m_findStatus->setText(tr("Not found"));
    refresh();
    return false;
}

} // namespace tarvo

#include "report/reportpreview.h"

#include "platform/errorhandler.h"
#include "platform/interaction.h"
#include "platform/waitcursor.h"
#include "report/reportexport.h"
#include "report/reportpainter.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarvo {

ReportPreview::ReportPreview(PreparedReport report, Prepare prepare, std::function<void()> edit, QWidget *parent)
    : QDialog(parent), m_report(std::move(report)), m_prepare(std::move(prepare)), m_edit(std::move(edit)),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(m_report.title.isEmpty() ? tr("Preview") : tr("Preview - %1").arg(m_report.title));
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
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(m_view, 1);
    m_view->fitToWidth();
    m_view->updatePreview();
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
    bar->addAction(
        addCommand(QStringLiteral("zoomIn"), tr("Zoom in"), QKeySequence::ZoomIn, [this] { m_view->zoomIn(); }));
    bar->addAction(
        addCommand(QStringLiteral("zoomOut"), tr("Zoom out"), QKeySequence::ZoomOut, [this] { m_view->zoomOut(); }));
    bar->addAction(addCommand(QStringLiteral("fitWidth"), tr("Fit width"), {}, [this] { m_view->fitToWidth(); }));
    bar->addAction(addCommand(QStringLiteral("fitPage"), tr("Fit page"), {}, [this] { m_view->fitInView(); }));
    bar->addAction(addCommand(QStringLiteral("actualSize"), tr("100 %"), QKeySequence(Qt::CTRL | Qt::Key_0), [this] {
        m_view->setZoomMode(QPrintPreviewWidget::CustomZoom);
        m_view->setZoomFactor(1.0);
    }));
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
    // One button with a menu for the exports keeps the whole bar within 1024 pixels.
    auto *exports = new QMenu(bar);
    exports->addAction(addCommand(QStringLiteral("exportPdf"), tr("PDF"), {},
                                  [this] { exportAs(tr("PDF files (*.pdf)"), QStringLiteral("pdf"), &exportPdf); }));
    exports->addAction(addCommand(QStringLiteral("exportHtml"), tr("HTML"), {}, [this] {
        exportAs(tr("HTML files (*.html *.htm)"), QStringLiteral("html"), &exportHtml);
    }));
    exports->addAction(addCommand(QStringLiteral("exportXml"), tr("XML spreadsheet"), {}, [this] {
        exportAs(tr("XML spreadsheets (*.xml)"), QStringLiteral("xml"), &exportSpreadsheetXml);
    }));
    QAction *exportMenu = exports->menuAction();
    exportMenu->setObjectName(QStringLiteral("export"));
    exportMenu->setText(tr("Export"));
    bar->addAction(exportMenu);
    if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(exportMenu)))
        button->setPopupMode(QToolButton::InstantPopup);
    if (m_edit) {
        bar->addSeparator();
        bar->addAction(addCommand(QStringLiteral("edit"), tr("Edit"), {}, [this] { edit(); }));
    }
    bar->addSeparator();
    bar->addAction(addCommand(QStringLiteral("close"), tr("Close"), {}, [this] { close(); }));
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
    m_report = m_prepare(layout);
    m_printer->setPageLayout(m_report.layout);
    refresh();
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
    const PreparedReport report = chosen.isEquivalentTo(m_report.layout) ? m_report : m_prepare(chosen);
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

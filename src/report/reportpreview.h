#pragma once
// The report preview: a dialog with a toolbar over QPrintPreviewWidget (print, page setup, zoom,
// page navigation, find, export to PDF, HTML and SpreadsheetML, edit). Callers show it modally
// through interaction(); every toolbar command runs guarded, so errors reach the error handler.
#include "report/reportlayout.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QPageLayout>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QPrintPreviewWidget;
class QPrinter;
class QSpinBox;

namespace tarvo {

// Cuts the connections from `owner`'s descendants to `owner`. For destructors of windows whose
// children, destroyed after the window's own part, may still emit signals into it.
void disconnectChildren(QObject *owner);
// Scrolls a view to the top-left corner of what it shows.
void scrollToTopLeft(QAbstractScrollArea *view);

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    // Lays the report out again: on another page layout (after page setup, for a printer) or,
    // given none, on the template's own page (after editing).
    using Prepare = std::function<PreparedReport(std::optional<QPageLayout>)>;
    // `edit`, when set, opens the designer.
    ReportPreview(PreparedReport report, Prepare prepare, std::function<void()> edit = {}, QWidget *parent = nullptr);
    ~ReportPreview() override;

    const PreparedReport &report() const { return m_report; }
    QPrintPreviewWidget *view() const { return m_view; }
    int currentPage() const;
    QAction *action(const QString &objectName) const; // e.g. "print", "exportPdf", "next"

    // Finds `text` on the pages after the current match (wrapping), shows and marks it.
    bool find(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildToolBar();
    QAction *addCommand(const QString &name, const QString &text, const QKeySequence &key,
                        std::function<void()> command);
    void paintRequested(QPrinter *printer);
    void relayout(std::optional<QPageLayout> layout);
    void refresh();
    void print();
    void pageSetup();
    void exportAs(const QString &filter, const QString &suffix, void (*write)(const PreparedReport &, const QString &));
    void edit();
    void goTo(int page);

    PreparedReport m_report;
    Prepare m_prepare;
    std::function<void()> m_edit;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_view = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QLineEdit *m_findBox = nullptr;
    QLabel *m_findStatus = nullptr;
    QString m_highlight;
    int m_foundPage = -1;
};

} // namespace tarvo

#pragma once
// The designer's expression editor: the expression in a text box, beside it the data set's fields,
// the system values, the template's variables and the functions, each inserted at the cursor by a
// double click or Enter, and under it a line that checks the expression as it is typed. OK is
// refused while that line shows a problem.
#include "report/reporttemplate.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvo {

class ReportDataSet;

enum class ExpressionMode {
    Text, // a text item's text: literal pieces and [expressions]
    Bare, // one expression without brackets (a condition, a group's value); empty clears it
};

// The first thing in `text` that would not print as the user means it: a syntax error, an unknown
// function, a wrong argument count, a field the data set lacks, a bracket that prints as written.
// Empty when there is none. Besides the fields of `data`, the expression may name the variables of
// `tpl` and the fields of its detail (whose columns are known only once its query runs).
QString expressionProblem(ExpressionMode mode, const QString &text, const ReportDataSet &data,
                          const ReportTemplate &tpl = ReportTemplate());

class ExpressionEditor : public QDialog {
    Q_OBJECT
public:
    // `tpl`, whose variables and detail the expression may name, must outlive the editor.
    ExpressionEditor(ExpressionMode mode, const QString &initial, const ReportDataSet &dataSet,
                     const ReportTemplate &tpl, QWidget *parent = nullptr);

    QString text() const;
    QPlainTextEdit *textEdit() const { return m_text; }
    QTreeWidget *entries() const { return m_entries; }
    QLabel *checkLine() const { return m_check; }
    // Puts a field, system value, variable or function at the cursor; in a text, outside a
    // bracket, it comes in brackets of its own. A function leaves the cursor in its parentheses.
    void insertEntry(const QTreeWidgetItem *entry);

public slots:
    void accept() override; // refused while the check line shows a problem

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillEntries();
    bool check(); // shows the check line; true when it finds no problem

    ExpressionMode m_mode;
    const ReportDataSet &m_data;
    const ReportTemplate &m_tpl;
    QPlainTextEdit *m_text = nullptr;
    QTreeWidget *m_entries = nullptr;
    QLabel *m_check = nullptr;
};

// Shows the editor through interaction(); the edited text on OK, nullopt on Cancel.
std::optional<QString> editExpression(QWidget *owner, ExpressionMode mode, const QString &initial,
                                      const ReportDataSet &data, const ReportTemplate &tpl = ReportTemplate());

// Editors of an expression with a "..." button (object name "expressionButton") that opens the
// expression editor, owned by `owner`, on their text; `data` and `tpl`, whose variables it
// offers, must outlive them. A line, for one expression such as a group's value or a condition,
// calls `changed` when editing finishes; a multi-line box, for a text, as the user types. Both
// call it when the expression editor is accepted, and show its text.
QLineEdit *createExpressionLine(QWidget *owner, ExpressionMode mode, const ReportDataSet &data,
                                const ReportTemplate &tpl, std::function<void(const QString &)> changed);
QPlainTextEdit *createExpressionBox(QWidget *owner, ExpressionMode mode, const ReportDataSet &data,
                                    const ReportTemplate &tpl, std::function<void(const QString &)> changed);

} // namespace tarvo

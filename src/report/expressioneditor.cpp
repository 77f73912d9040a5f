#include "report/expressioneditor.h"

#include "platform/errorhandler.h"
#include "platform/interaction.h"
#include "report/reportdataset.h"
#include "report/reportexpression.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvo {

using namespace Qt::StringLiterals;

namespace {

constexpr int insertRole = Qt::UserRole;         // the entry's text as written inside a bracket
constexpr int cursorBackRole = Qt::UserRole + 1; // where the cursor goes, counted back from its end
const QColor problemColour(0xC0, 0, 0);

// Why `written`, a bracket of a text or a whole bare expression, would print as written: it is not
// closed, is no expression, or names a variable or data set the report lacks.
QString unknownReason(ExpressionMode mode, const QString &written, const QList<ReportVariable> &variables)
{
    QString expression = written;
    if (mode == ExpressionMode::Text) {
        if (!written.endsWith(u']'))
            return QObject::tr("the \"]\" closing it is missing");
        expression = written.mid(1, written.size() - 2);
    }
    const ReportExpression e = ReportExpression::parseExpression(expression);
    if (!e.errors().isEmpty())
        return e.errors().first();
    for (const QString &name : e.variableNames()) {
        if (std::none_of(variables.begin(), variables.end(),
                         [&](const ReportVariable &v) { return v.name.compare(name, Qt::CaseInsensitive) == 0; }))
            return QObject::tr("unknown name %1").arg(name);
    }
    return QObject::tr("it names a data set the report lacks");
}

// Whether `pos` of a text with [expressions] lies inside a bracket, where an entry needs no
// brackets of its own.
bool insideBracket(const QString &text, qsizetype pos)
{
    bool inside = false;
    QChar quote;
    for (qsizetype i = 0; i < pos && i < text.size(); ++i) {
        const QChar c = text[i];
        if (!inside) {
            if (c == u'[' && i + 1 < text.size() && text[i + 1] == u'[')
                ++i; // a literal "["
            else
                inside = c == u'[';
        } else if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u']') {
            inside = false;
        }
    }
    return inside;
}

void addEntry(QTreeWidgetItem *group, const QString &shown, const QString &inserted, int cursorBack = 0)
{
    auto *entry = new QTreeWidgetItem(group, {shown});
    entry->setData(0, insertRole, inserted);
    entry->setData(0, cursorBackRole, cursorBack);
}

} // namespace

QString expressionProblem(ExpressionMode mode, const QString &text, const ReportDataSet &data,
                          const ReportTemplate &tpl)
{
    const QList<ReportVariable> &variables = tpl.variables;
    ReportExpression e = mode == ExpressionMode::Text ? ReportExpression::parse(text)
                                                      : ReportExpression::parseExpression(text);
    if (!e.errors().isEmpty())
        return e.errors().first();
    // Binding needs only to know which variables exist, not their values.
    const ReportExpression anyValue = ReportExpression::parseExpression(u"0"_s);
    ExpressionNames names;
    names.detail = tpl.detail ? tpl.detail->name : QString();
    for (const ReportVariable &v : variables)
        names.variables.insert(v.name.toLower(), anyValue.root());
    e.bind(data, names);
    if (const QStringList unknown = e.unknownExpressions(); !unknown.isEmpty()) {
        const QString reason = unknownReason(mode, unknown.first(), variables);
        return mode == ExpressionMode::Text ? QObject::tr("%1 prints as written: %2").arg(unknown.first(), reason)
                                            : reason;
    }
    // Without columns (the designer opened before any query ran) no field can be checked.
    for (const QString &field : data.columns().isEmpty() ? QStringList() : e.fieldNames(data.name())) {
        if (data.columnIndex(field) < 0)
            return QObject::tr("unknown field %1").arg(ReportExpression::fieldExpression(data.name(), field));
    }
    return {};
}

ExpressionEditor::ExpressionEditor(ExpressionMode mode, const QString &initial, const ReportDataSet &dataSet,
                                   const ReportTemplate &tpl, QWidget *parent)
    : QDialog(parent), m_mode(mode), m_data(dataSet), m_tpl(tpl)
{
    setObjectName(u"expressionEditor"_s);
    setWindowTitle(mode == ExpressionMode::Text ? tr("Text with expressions") : tr("Expression"));

    m_text = new QPlainTextEdit(initial);
    m_text->setObjectName(u"expression"_s);
    m_text->setTabChangesFocus(true);
    m_text->installEventFilter(this);
    m_check = new QLabel;
    m_check->setObjectName(u"check"_s);
    m_check->setWordWrap(true);
    m_check->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(mode == ExpressionMode::Text ? tr("Text ([expressions] print their values)")
                                                            : tr("Expression (empty: none)")));
    left->addWidget(m_text, 1);
    left->addWidget(m_check);

    m_entries = new QTreeWidget;
    m_entries->setObjectName(u"entries"_s);
    m_entries->setHeaderHidden(true);
    m_entries->setRootIsDecorated(false);
    m_entries->installEventFilter(this);
    fillEntries();
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(tr("Insert (double click or Enter)")));
    right->addWidget(m_entries, 1);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ExpressionEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExpressionEditor::reject);
    connect(m_entries, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *entry) { guarded([&] { insertEntry(entry); }); });
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] { guarded([&] { check(); }); });
    check();
    m_text->moveCursor(QTextCursor::End);
    m_text->setFocus();
    resize(760, mode == ExpressionMode::Text ? 420 : 360);
}

void ExpressionEditor::fillEntries()
{
    const bool text = m_mode == ExpressionMode::Text;
    auto group = [this](const QString &title) {
        auto *item = new QTreeWidgetItem(m_entries, {title});
        item->setFlags(Qt::ItemIsEnabled);
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        return item;
    };
    // As the designer's field list spells them: a text shows the brackets they come in.
    auto shown = [text](const QString &inserted) { return text ? u'[' + inserted + u']' : inserted; };

    QTreeWidgetItem *fields = group(tr("Fields of %1").arg(m_data.name()));
    for (const QString &column : m_data.columns()) {
        const QString field = ReportExpression::fieldExpression(m_data.name(), column);
        addEntry(fields, shown(field), field);
    }
    QTreeWidgetItem *system = group(tr("System values"));
    for (const QString &value : expressionSystemValues())
        addEntry(system, shown(value), value);
    if (!m_tpl.variables.isEmpty()) {
        QTreeWidgetItem *variables = group(tr("Variables"));
        for (const ReportVariable &v : m_tpl.variables)
            addEntry(variables, shown(v.name), v.name);
    }
    QTreeWidgetItem *functions = group(tr("Functions"));
    for (const ExpressionFunction &f : expressionFunctions())
        addEntry(functions, f.hint, f.name + u"()"_s, 1);
    m_entries->expandAll();
}

QString ExpressionEditor::text() const
{
    QString text = m_text->toPlainText();
    if (m_mode == ExpressionMode::Bare)
        text.replace(u'\n', u' '); // pasted line breaks: one line, as line edits and attributes keep it
    return text;
}

void ExpressionEditor::insertEntry(const QTreeWidgetItem *entry)
{
    QString inserted = entry ? entry->data(0, insertRole).toString() : QString();
    if (inserted.isEmpty())
        return; // a group's title
    int back = entry->data(0, cursorBackRole).toInt();
    QTextCursor cursor = m_text->textCursor();
    if (m_mode == ExpressionMode::Text && !insideBracket(text(), cursor.selectionStart())) {
        inserted = u'[' + inserted + u']';
        if (back > 0) // inside a function's parentheses, so inside its bracket too
            ++back;
    }
    cursor.insertText(inserted);
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::MoveAnchor, back);
    m_text->setTextCursor(cursor);
    m_text->setFocus();
}

void ExpressionEditor::accept()
{
    if (!check()) {
        m_text->setFocus();
        return;
    }
    QDialog::accept();
}

bool ExpressionEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    // Enter on an entry inserts it; the list would pass it on to the dialog, which would press OK.
    if (watched == m_entries) {
        guarded([&] { insertEntry(m_entries->currentItem()); });
        return true;
    }
    // One expression is one line, as in the editors it comes from: Enter is OK.
    if (watched == m_text && m_mode == ExpressionMode::Bare) {
        guarded([&] { accept(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool ExpressionEditor::check()
{
    const QString problem = expressionProblem(m_mode, text(), m_data, m_tpl);
    m_check->setText(problem.isEmpty() ? tr("No errors") : problem);
    QPalette palette = this->palette();
    if (!problem.isEmpty())
        palette.setColor(QPalette::WindowText, problemColour);
    m_check->setPalette(palette);
    return problem.isEmpty();
}

std::optional<QString> editExpression(QWidget *owner, ExpressionMode mode, const QString &initial,
                                      const ReportDataSet &data, const ReportTemplate &tpl)
{
    ExpressionEditor editor(mode, initial, data, tpl, owner);
    interaction().showModal(&editor);
    if (editor.result() != QDialog::Accepted)
        return std::nullopt;
    return editor.text();
}

namespace {

QToolButton *expressionButton(QWidget *editor)
{
    auto *button = new QToolButton(editor);
    button->setObjectName(u"expressionButton"_s);
    button->setText(u"..."_s);
    button->setToolTip(QObject::tr("Open the expression editor"));
    button->setCursor(Qt::ArrowCursor);
    return button;
}

// A multi-line box whose button keeps a strip of its own between the text and the scroll bar.
class ExpressionBox : public QPlainTextEdit {
public:
    ExpressionBox() : m_button(expressionButton(this)) { setViewportMargins(0, 0, m_button->sizeHint().width(), 0); }
    QToolButton *button() const { return m_button; }

protected:
    // Also called when the viewport changes size, as when the scroll bar comes or goes.
    void resizeEvent(QResizeEvent *event) override
    {
        QPlainTextEdit::resizeEvent(event);
        m_button->move(viewport()->geometry().topRight() + QPoint(1, 0));
    }

private:
    QToolButton *m_button;
};

// `button` opens the expression editor on the text of `editor`, a line or a box; an accepted edit
// is shown there without the editor's change signals, and passed to `changed`.
void openOnClick(QToolButton *button, QWidget *editor, QWidget *owner, ExpressionMode mode, const ReportDataSet &data,
                 const ReportTemplate &tpl, std::function<void(const QString &)> changed)
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    auto *box = qobject_cast<QPlainTextEdit *>(editor);
    QObject::connect(button, &QToolButton::clicked, editor, [=, &data, &tpl] {
        guarded([&] {
            const QString current = line ? line->text() : box->toPlainText();
            const std::optional<QString> edited = editExpression(owner, mode, current, data, tpl);
            if (!edited || *edited == current)
                return;
            {
                const QSignalBlocker quiet(editor);
                if (line)
                    line->setText(*edited);
                else
                    box->setPlainText(*edited);
            }
            changed(*edited);
        });
    });
}

} // namespace

QLineEdit *createExpressionLine(QWidget *owner, ExpressionMode mode, const ReportDataSet &data,
                                const ReportTemplate &tpl, std::function<void(const QString &)> changed)
{
    auto *edit = new QLineEdit;
    QToolButton *button = expressionButton(edit);
    auto *layout = new QHBoxLayout(edit);
    layout->setContentsMargins(0, 0, 1, 0);
    layout->addStretch();
    layout->addWidget(button);
    edit->setTextMargins(0, 0, button->sizeHint().width(), 0);
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit, changed] { changed(edit->text()); });
    openOnClick(button, edit, owner, mode, data, tpl, std::move(changed));
    return edit;
}

QPlainTextEdit *createExpressionBox(QWidget *owner, ExpressionMode mode, const ReportDataSet &data,
                                    const ReportTemplate &tpl, std::function<void(const QString &)> changed)
{
    auto *box = new ExpressionBox;
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, changed] { changed(box->toPlainText()); });
    openOnClick(box->button(), box, owner, mode, data, tpl, std::move(changed));
    return box;
}

} // namespace tarvo

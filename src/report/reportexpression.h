#pragma once
// Expressions of report templates. A text item's text is literal pieces and [expressions];
// "[[" is a literal "[". Inside the brackets:
//   fields        Report."column" (a doubled quote inside the name stands for one)
//   system values Page#, TotalPages#, Line#, Date, Time
//   variables     the name of a template <variable>
//   constants     12, 1.5, "text" or 'text'
//   operators     + - * / % (numbers; + also joins texts), & (joins texts), = <> < <= > >=,
//                 AND, OR, NOT, parentheses
//   functions     IIF, UPPER, LOWER, TRIM, LENGTH, SUBSTR, YEAR, MONTH, DAY, HOUR, MINUTE,
//                 ROUND, ABS, FORMAT, and the aggregates SUM, COUNT, AVG, MIN, MAX
// A bracket that is no expression, or names a data set or variable the report lacks, prints as
// written. Calls of unknown functions and wrong argument counts are errors().
#include "report/reportformat.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace tarvo {

class ReportDataSet;
struct ExpressionNode;
struct ExpressionContext;

enum class AggregateKind { Sum, Count, Avg, Min, Max };

struct AggregateCall {
    AggregateKind kind = AggregateKind::Sum;
    const ExpressionNode *argument = nullptr; // null: COUNT() counts rows
    QString scope;                            // "", "report", "page" or a group's name
    bool onDetail = false;                    // the argument reads the detail data set
};

// Supplied by the layout, which knows the rows of each group, page and detail.
class AggregateSource {
public:
    virtual ~AggregateSource() = default;
    virtual QVariant aggregate(const AggregateCall &call, const ExpressionContext &context) const = 0;
};

// Where an aggregate without a scope argument sums over: the band it is printed in decides.
enum class BandScope { Report, Page, Group, Detail };

struct ExpressionContext {
    const ReportDataSet *data = nullptr;
    int row = -1; // data row for fields; -1: fields print empty
    const ReportDataSet *detail = nullptr;
    int detailRow = -1;
    int page = 1;
    int totalPages = 1;
    int line = 0;
    QString date;
    QString time;
    const AggregateSource *aggregates = nullptr;
    BandScope scope = BandScope::Report;
    int group = -1;          // the group level of a group band
    bool wholeScope = false; // headers: aggregates over the whole scope, not the rows so far
};

// What names mean when an expression is bound: the master data set, the detail data set's
// name and the template's variables.
struct ExpressionNames {
    QString detail;
    QHash<QString, const ExpressionNode *> variables; // by lower-case name
};

class ReportExpression {
public:
    // A text with [expressions].
    static ReportExpression parse(const QString &text);
    // A bare expression (a condition, a group's value, a variable); syntax errors are errors().
    static ReportExpression parseExpression(const QString &expression);
    // A field as a text item shows it, "[Report."city"]", and as an expression names it,
    // "Report."city"".
    static QString fieldReference(const QString &dataSetName, const QString &column);
    static QString fieldExpression(const QString &dataSetName, const QString &column);

    // Resolves names. A missing column prints as empty text; a field of another data set or an
    // unknown variable prints as written.
    void bind(const ReportDataSet &data, const ExpressionNames &names = {});
    QString expand(const ExpressionContext &context) const;
    QVariant evaluate(const ExpressionContext &context) const; // bare expressions
    bool isTrue(const ExpressionContext &context) const;
    void setFormat(const DisplayFormat &format) { m_format = format; }

    bool isEmpty() const { return m_parts.isEmpty(); }
    bool usesTotalPages() const;
    bool usesPageAggregates() const; // aggregates whose value depends on the page's rows
    bool isConstant() const;         // no expression that changes from row to row or page to page
    int singleFieldColumn() const;   // the master column when the text is one field and nothing else; -1
    QStringList fieldNames(const QString &dataSetName) const;
    QStringList variableNames() const;
    QStringList unknownExpressions() const; // bracketed texts that print as written
    const QStringList &errors() const { return m_errors; }
    QList<const AggregateCall *> aggregates() const;
    const ExpressionNode *root() const; // bare expressions; null when empty

private:
    struct Part {
        QString text;                         // literal text, or the bracket as written
        std::shared_ptr<ExpressionNode> node; // null for literals
        bool invalid = false;                 // an unknown function or a wrong argument count
        bool unknown = false;                 // prints as written
    };
    void addLiteral(const QString &text, bool unknown = false);
    template <class Visit> void visitNodes(Visit visit) const;
    QList<Part> m_parts;
    QStringList m_errors;
    DisplayFormat m_format;
};

// A function of the expression language as the expression editor offers it; `hint` spells its
// arguments, optional ones in brackets: "SUBSTR(text, start[, length])".
struct ExpressionFunction {
    QString name;
    int minArgs = 0;
    int maxArgs = 0;
    QString hint;
};

// Every function the evaluator knows, in the order of its table.
const QList<ExpressionFunction> &expressionFunctions();
// The system values as written: "Page#", "TotalPages#", "Line#", "Date", "Time".
const QStringList &expressionSystemValues();

// The value of one node of a bound expression (an aggregate's argument, say).
QVariant evaluateExpression(const ExpressionNode &node, const ExpressionContext &context);

// Truth of a value: numbers other than 0, texts other than "" and "0".
bool reportTruth(const QVariant &value);

} // namespace tarvo

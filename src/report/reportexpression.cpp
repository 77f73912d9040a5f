#include "report/reportexpression.h"

#include "report/reportdataset.h"

#include <QtNumeric>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvo {

struct ExpressionNode {
    enum class SystemValue { Page, TotalPages, Line, Date, Time };
    enum class Function {
        Iif,
        Upper,
        Lower,
        Trim,
        Length,
        Substr,
        Year,
        Month,
        Day,
        Hour,
        Minute,
        Round,
        Abs,
        Format,
        Aggregate
    };
    enum class Operator {
        Add,
        Subtract,
        Multiply,
        Divide,
        Modulo,
        Join,
        Equal,
        NotEqual,
        Less,
        LessOrEqual,
        Greater,
        GreaterOrEqual,
        And,
        Or
    };

    enum Kind { Constant, Field, System, Variable, Not, Negate, Binary, Call } kind = Constant;
    QVariant value;  // constants
    QString name;    // column, variable or function name
    QString dataSet; // fields
    SystemValue system = SystemValue::Page;
    Operator op = Operator::Add;
    Function function = Function::Iif;
    QList<std::shared_ptr<ExpressionNode>> args;
    AggregateCall aggregate;
    DisplayFormat format;                            // FORMAT with a constant pattern
    bool onDetail = false;                           // fields of the detail data set
    bool unknown = false;                            // a field of another data set or an unknown variable
    int height = 1;                                  // of the tree below, whose walks recurse
    const ExpressionNode *target = nullptr;          // variables, once bound
    mutable const ReportDataSet *boundSet = nullptr; // fields: the column found in which set
    mutable int column = -1;
};

namespace {

using NodePtr = std::shared_ptr<ExpressionNode>;

struct FunctionInfo {
    const char *name;
    const char *arguments; // how the expression editor hints at them
    ExpressionNode::Function function;
    int minArgs, maxArgs;
    AggregateKind aggregate = AggregateKind::Sum;
};

const FunctionInfo functions[] = {
    {"IIF", "condition, then, else", ExpressionNode::Function::Iif, 3, 3},
    {"UPPER", "text", ExpressionNode::Function::Upper, 1, 1},
    {"LOWER", "text", ExpressionNode::Function::Lower, 1, 1},
    {"TRIM", "text", ExpressionNode::Function::Trim, 1, 1},
    {"LENGTH", "text", ExpressionNode::Function::Length, 1, 1},
    {"SUBSTR", "text, start[, length]", ExpressionNode::Function::Substr, 2, 3},
    {"YEAR", "date", ExpressionNode::Function::Year, 1, 1},
    {"MONTH", "date", ExpressionNode::Function::Month, 1, 1},
    {"DAY", "date", ExpressionNode::Function::Day, 1, 1},
    {"HOUR", "date", ExpressionNode::Function::Hour, 1, 1},
    {"MINUTE", "date", ExpressionNode::Function::Minute, 1, 1},
    {"ROUND", "number[, decimals]", ExpressionNode::Function::Round, 1, 2},
    {"ABS", "number", ExpressionNode::Function::Abs, 1, 1},
    {"FORMAT", "value, \"format\"", ExpressionNode::Function::Format, 2, 2},
    {"SUM", "value[, scope]", ExpressionNode::Function::Aggregate, 1, 2, AggregateKind::Sum},
    {"COUNT", "[value][, scope]", ExpressionNode::Function::Aggregate, 0, 2, AggregateKind::Count},
    {"AVG", "value[, scope]", ExpressionNode::Function::Aggregate, 1, 2, AggregateKind::Avg},
    {"MIN", "value[, scope]", ExpressionNode::Function::Aggregate, 1, 2, AggregateKind::Min},
    {"MAX", "value[, scope]", ExpressionNode::Function::Aggregate, 1, 2, AggregateKind::Max},
};

const std::pair<const char *, ExpressionNode::SystemValue> systemValues[] = {
    {"Page#", ExpressionNode::SystemValue::Page},
    {"TotalPages#", ExpressionNode::SystemValue::TotalPages},
    {"Line#", ExpressionNode::SystemValue::Line},
    {"Date", ExpressionNode::SystemValue::Date},
    {"Time", ExpressionNode::SystemValue::Time}};

struct SyntaxError {
    QString message;
};

// Recursive descent over one expression; throws SyntaxError for text that is no expression and
// collects unknown functions and wrong argument counts in `errors`. Its own recursion and the
// height of the tree are bounded, far beyond written expressions, so that no text exhausts the stack.
class Parser {
    static constexpr int maxNesting = 200;

    // Counts one level of the parser's recursion while it lives.
    class Nesting {
    public:
        explicit Nesting(Parser &parser) : m_parser(parser)
        {
            if (++m_parser.m_nesting > maxNesting)
                m_parser.fail(QStringLiteral("nested more than %1 deep").arg(maxNesting));
        }
        ~Nesting() { --m_parser.m_nesting; }
        Nesting(const Nesting &) = delete;
        Nesting &operator=(const Nesting &) = delete;

    private:
        Parser &m_parser;
    };

public:
    Parser(const QString &text, QStringList &errors) : m_text(text), m_errors(errors) {}

    NodePtr parseAll()
    {
        NodePtr node = parseOr();
        skipSpace();
        if (m_pos < m_text.size())
            fail(QStringLiteral("unexpected \"%1\"").arg(m_text.mid(m_pos)));
        return node;
    }

private:
    [[noreturn]] void fail(const QString &message) { throw SyntaxError{message}; }

    void skipSpace()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    bool accept(const char *token)
    {
        skipSpace();
        const QLatin1String t(token);
        if (!m_text.mid(m_pos, t.size()).startsWith(t, Qt::CaseInsensitive))
            return false;
        // Word operators need a word boundary: "ORDER" is no OR.
        if (QChar(t.front()).isLetter() && m_pos + t.size() < m_text.size()
            && (m_text[m_pos + t.size()].isLetterOrNumber() || m_text[m_pos + t.size()] == QLatin1Char('_')))
            return false;
        m_pos += t.size();
        return true;
    }

    NodePtr withArgs(NodePtr n, QList<NodePtr> args)
    {
        for (const NodePtr &arg : args)
            n->height = std::max(n->height, arg->height + 1);
        if (n->height > maxNesting)
            fail(QStringLiteral("nested more than %1 deep").arg(maxNesting));
        n->args = std::move(args);
        return n;
    }

    NodePtr binary(ExpressionNode::Operator op, NodePtr left, NodePtr right)
    {
        auto n = std::make_shared<ExpressionNode>();
        n->kind = ExpressionNode::Binary;
        n->op = op;
        return withArgs(n, {std::move(left), std::move(right)});
    }

    template <size_t N>
    NodePtr parseLevel(const std::pair<const char *, ExpressionNode::Operator> (&ops)[N], NodePtr (Parser::*next)(),
                       bool repeat = true)
    {
        NodePtr left = (this->*next)();
        for (bool found = true; found;) {
            found = false;
            for (const auto &[token, op] : ops) {
                if (accept(token)) {
                    left = binary(op, left, (this->*next)());
                    found = repeat;
                    break;
                }
            }
        }
        return left;
    }

    NodePtr parseOr()
    {
        const Nesting nesting(*this);
        static const std::pair<const char *, ExpressionNode::Operator> ops[] = {{"OR", ExpressionNode::Operator::Or}};
        return parseLevel(ops, &Parser::parseAnd);
    }
    NodePtr parseAnd()
    {
        static const std::pair<const char *, ExpressionNode::Operator> ops[] = {{"AND", ExpressionNode::Operator::And}};
        return parseLevel(ops, &Parser::parseNot);
    }
    NodePtr parseNot()
    {
        if (!accept("NOT"))
            return parseComparison();
        const Nesting nesting(*this);
        auto n = std::make_shared<ExpressionNode>();
        n->kind = ExpressionNode::Not;
        return withArgs(n, {parseNot()});
    }
    NodePtr parseComparison()
    {
        // Longer tokens first, so "<=" is not read as "<".
        static const std::pair<const char *, ExpressionNode::Operator> ops[] = {
            {"<=", ExpressionNode::Operator::LessOrEqual}, {">=", ExpressionNode::Operator::GreaterOrEqual},
            {"<>", ExpressionNode::Operator::NotEqual},    {"!=", ExpressionNode::Operator::NotEqual},
            {"==", ExpressionNode::Operator::Equal},       {"=", ExpressionNode::Operator::Equal},
            {"<", ExpressionNode::Operator::Less},         {">", ExpressionNode::Operator::Greater}};
        return parseLevel(ops, &Parser::parseSum, false);
    }
    NodePtr parseSum()
    {
        static const std::pair<const char *, ExpressionNode::Operator> ops[] = {{"+", ExpressionNode::Operator::Add},
                                                                                {"-",
                                                                                 ExpressionNode::Operator::Subtract},
                                                                                {"&", ExpressionNode::Operator::Join}};
        return parseLevel(ops, &Parser::parseProduct);
    }
    NodePtr parseProduct()
    {
        static const std::pair<const char *, ExpressionNode::Operator> ops[] = {{"*",
                                                                                 ExpressionNode::Operator::Multiply},
                                                                                {"/", ExpressionNode::Operator::Divide},
                                                                                {"%",
                                                                                 ExpressionNode::Operator::Modulo}};
        return parseLevel(ops, &Parser::parseUnary);
    }
    NodePtr parseUnary()
    {
        if (!accept("-"))
            return parsePrimary();
        const Nesting nesting(*this);
        auto n = std::make_shared<ExpressionNode>();
        n->kind = ExpressionNode::Negate;
        return withArgs(n, {parseUnary()});
    }

    QString readString()
    {
        const QChar quote = m_text[m_pos++];
        QString out;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c != quote) {
                out += c;
            } else if (m_pos < m_text.size() && m_text[m_pos] == quote) {
                out += c;
                ++m_pos;
            } else {
                return out;
            }
        }
        fail(QStringLiteral("a text is not closed"));
    }

    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#'); }

    NodePtr parsePrimary()
    {
        skipSpace();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("the expression ends too early"));
        auto n = std::make_shared<ExpressionNode>();
        const QChar c = m_text[m_pos];
        if (c == QLatin1Char('(')) {
            ++m_pos;
            NodePtr inner = parseOr();
            if (!accept(")"))
                fail(QStringLiteral("a \")\" is missing"));
            return inner;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            n->value = readString();
            return n;
        }
        if (c.isDigit()) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && (m_text[m_pos].isDigit() || m_text[m_pos] == QLatin1Char('.')))
                ++m_pos;
            const QString digits = m_text.mid(start, m_pos - start);
            bool ok = false;
            const qint64 whole = digits.toLongLong(&ok);
            n->value = ok ? QVariant(whole) : QVariant(digits.toDouble(&ok));
            if (!ok)
                fail(QStringLiteral("\"%1\" is no number").arg(digits));
            return n;
        }
        if (!c.isLetter() && c != QLatin1Char('_'))
            fail(QStringLiteral("unexpected \"%1\"").arg(c));
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isNameChar(m_text[m_pos]))
            ++m_pos;
        const QString name = m_text.mid(start, m_pos - start);
        if (m_pos + 1 < m_text.size() && m_text[m_pos] == QLatin1Char('.')
            && (m_text[m_pos + 1] == QLatin1Char('"') || m_text[m_pos + 1] == QLatin1Char('\''))) {
            ++m_pos;
            n->kind = ExpressionNode::Field;
            n->dataSet = name;
            n->name = readString();
            return n;
        }
        if (accept("("))
            return parseCall(name, n);
        for (const auto &[key, value] : systemValues) {
            if (name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
                n->kind = ExpressionNode::System;
                n->system = value;
                return n;
            }
        }
        n->kind = ExpressionNode::Variable;
        n->name = name;
        return n;
    }

    NodePtr parseCall(const QString &name, NodePtr n)
    {
        n->kind = ExpressionNode::Call;
        n->name = name.toUpper();
        QList<NodePtr> args;
        if (!accept(")")) {
            do
                args << parseOr();
            while (accept(","));
            if (!accept(")"))
                fail(QStringLiteral("a \")\" is missing after the arguments of %1").arg(name));
        }
        withArgs(n, std::move(args));
        const auto info = std::find_if(std::begin(functions), std::end(functions),
                                       [&](const FunctionInfo &f) { return n->name == QLatin1String(f.name); });
        if (info == std::end(functions)) {
            m_errors << QStringLiteral("unknown function %1").arg(name);
            return n;
        }
        n->function = info->function;
        if (n->args.size() < info->minArgs || n->args.size() > info->maxArgs) {
            m_errors << (info->minArgs == info->maxArgs
                             ? QStringLiteral("%1 takes %2 argument(s), not %3").arg(n->name).arg(info->minArgs)
                             : QStringLiteral("%1 takes %2 to %3 arguments, not %4")
                                   .arg(n->name)
                                   .arg(info->minArgs)
                                   .arg(info->maxArgs))
                            .arg(n->args.size());
            return n;
        }
        if (n->function == ExpressionNode::Function::Format)
            constantFormat(*n);
        if (n->function == ExpressionNode::Function::Aggregate)
            aggregateCall(*n, info->aggregate);
        return n;
    }

    void constantFormat(ExpressionNode &n)
    {
        const ExpressionNode &pattern = *n.args[1];
        if (pattern.kind != ExpressionNode::Constant) {
            m_errors << QStringLiteral("the format of FORMAT must be a text such as \"number:#,##0.00\"");
            return;
        }
        QString problem;
        n.format = DisplayFormat::parse(pattern.value.toString(), &problem);
        if (!problem.isEmpty())
            m_errors << problem;
    }

    void aggregateCall(ExpressionNode &n, AggregateKind kind)
    {
        n.aggregate.kind = kind;
        n.aggregate.argument = n.args.isEmpty() ? nullptr : n.args[0].get();
        if (n.args.size() < 2)
            return;
        const ExpressionNode &scope = *n.args[1];
        if (scope.kind != ExpressionNode::Constant || scope.value.typeId() != QMetaType::QString)
            m_errors
                << QStringLiteral("the scope of %1 must be a text: \"report\", \"page\" or a group's name").arg(n.name);
        else
            n.aggregate.scope = scope.value.toString();
    }

    const QString &m_text;
    QStringList &m_errors;
    qsizetype m_pos = 0;
    int m_nesting = 0;
};

// The index after the "]" closing the bracket that opens at `open`, quotes respected; -1 when
// there is none.
qsizetype closingBracket(const QString &text, qsizetype open)
{
    QChar quote;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(']')) {
            return i + 1;
        }
    }
    // An apostrophe in plain words ("[it's]") is no quote.
    const qsizetype plain = text.indexOf(QLatin1Char(']'), open);
    return plain < 0 ? -1 : plain + 1;
}

template <class Visit> void visit(const ExpressionNode &n, Visit &v)
{
    v(n);
    for (const NodePtr &arg : n.args)
        visit(*arg, v);
}

int compareValues(const QVariant &a, const QVariant &b)
{
    const auto x = reportNumber(a), y = reportNumber(b);
    if (x && y && (a.typeId() != QMetaType::QString || b.typeId() != QMetaType::QString))
        return *x < *y ? -1 : (*x > *y ? 1 : 0);
    return reportValueText(a).compare(reportValueText(b));
}

bool isWhole(const QVariant &v)
{
    return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Bool;
}

// Whole numbers stay whole while the result fits; a result that would overflow is left to the
// floating-point path, as are division and a zero divisor.
std::optional<qint64> wholeArithmetic(ExpressionNode::Operator op, qint64 i, qint64 j)
{
    qint64 result = 0;
    switch (op) {
    case ExpressionNode::Operator::Add:
        return qAddOverflow(i, j, &result) ? std::nullopt : std::optional(result);
    case ExpressionNode::Operator::Subtract:
        return qSubOverflow(i, j, &result) ? std::nullopt : std::optional(result);
    case ExpressionNode::Operator::Multiply:
        return qMulOverflow(i, j, &result) ? std::nullopt : std::optional(result);
    case ExpressionNode::Operator::Modulo:
        if (j == 0)
            return std::nullopt;
        return j == -1 ? 0 : i % j; // the smallest whole number % -1 overflows, though the remainder is 0
    default:
        return std::nullopt;
    }
}

QVariant arithmetic(ExpressionNode::Operator op, const QVariant &a, const QVariant &b)
{
    const auto x = reportNumber(a), y = reportNumber(b);
    if (op == ExpressionNode::Operator::Add && (!x || !y) && !a.isNull() && !b.isNull())
        return reportValueText(a) + reportValueText(b);
    if (!x || !y)
        return {};
    if (isWhole(a) && isWhole(b))
        if (const auto whole = wholeArithmetic(op, a.toLongLong(), b.toLongLong()))
            return *whole;
    switch (op) {
    case ExpressionNode::Operator::Add:
        return *x + *y;
    case ExpressionNode::Operator::Subtract:
        return *x - *y;
    case ExpressionNode::Operator::Multiply:
        return *x * *y;
    case ExpressionNode::Operator::Divide:
        return *y == 0 ? QVariant() : QVariant(*x / *y);
    case ExpressionNode::Operator::Modulo:
        return *y == 0 ? QVariant() : QVariant(std::fmod(*x, *y));
    default:
        return {};
    }
}

QVariant evaluateNode(const ExpressionNode &n, const ExpressionContext &c);

QVariant evaluateBinary(const ExpressionNode &n, const ExpressionContext &c)
{
    const QVariant a = evaluateNode(*n.args[0], c);
    if (n.op == ExpressionNode::Operator::And && !reportTruth(a))
        return false;
    if (n.op == ExpressionNode::Operator::Or && reportTruth(a))
        return true;
    const QVariant b = evaluateNode(*n.args[1], c);
    switch (n.op) {
    case ExpressionNode::Operator::And:
    case ExpressionNode::Operator::Or:
        return reportTruth(b);
    case ExpressionNode::Operator::Join:
        return reportValueText(a) + reportValueText(b);
    case ExpressionNode::Operator::Equal:
        return a.isNull() || b.isNull() ? a.isNull() && b.isNull() : compareValues(a, b) == 0;
    case ExpressionNode::Operator::NotEqual:
        return a.isNull() || b.isNull() ? a.isNull() != b.isNull() : compareValues(a, b) != 0;
    case ExpressionNode::Operator::Less:
        return !a.isNull() && !b.isNull() && compareValues(a, b) < 0;
    case ExpressionNode::Operator::LessOrEqual:
        return !a.isNull() && !b.isNull() && compareValues(a, b) <= 0;
    case ExpressionNode::Operator::Greater:
        return !a.isNull() && !b.isNull() && compareValues(a, b) > 0;
    case ExpressionNode::Operator::GreaterOrEqual:
        return !a.isNull() && !b.isNull() && compareValues(a, b) >= 0;
    default:
        return arithmetic(n.op, a, b);
    }
}

QVariant datePart(ExpressionNode::Function f, const QVariant &v)
{
    const QDateTime dt = reportDateTime(v);
    if (!dt.isValid())
        return {};
    switch (f) {
    case ExpressionNode::Function::Year:
        return qint64(dt.date().year());
    case ExpressionNode::Function::Month:
        return qint64(dt.date().month());
    case ExpressionNode::Function::Day:
        return qint64(dt.date().day());
    case ExpressionNode::Function::Hour:
        return qint64(dt.time().hour());
    default:
        return qint64(dt.time().minute());
    }
}

// A character position or count from any number: whole, and far inside qint64 so that the
// arithmetic on it cannot overflow; no number gives the fallback.
qint64 position(std::optional<double> number, qint64 fallback)
{
    if (!number || std::isnan(*number))
        return fallback;
    constexpr double limit = 1e18;
    return qint64(std::clamp(*number, -limit, limit));
}

QVariant evaluateCall(const ExpressionNode &n, const ExpressionContext &c)
{
    if (n.function == ExpressionNode::Function::Aggregate)
        return c.aggregates ? c.aggregates->aggregate(n.aggregate, c) : QVariant();
    if (n.function == ExpressionNode::Function::Iif)
        return evaluateNode(*n.args[reportTruth(evaluateNode(*n.args[0], c)) ? 1 : 2], c);
    const QVariant a = evaluateNode(*n.args[0], c);
    switch (n.function) {
    case ExpressionNode::Function::Upper:
        return reportValueText(a).toUpper();
    case ExpressionNode::Function::Lower:
        return reportValueText(a).toLower();
    case ExpressionNode::Function::Trim:
        return reportValueText(a).trimmed();
    case ExpressionNode::Function::Length:
        return qint64(reportValueText(a).size());
    case ExpressionNode::Function::Substr: {
        const qint64 start = position(reportNumber(evaluateNode(*n.args[1], c)), 1);
        const qint64 length = n.args.size() > 2 ? position(reportNumber(evaluateNode(*n.args[2], c)), 0) : -1;
        return reportValueText(a).mid(std::max<qint64>(0, start - 1), length < 0 ? -1 : length);
    }
    case ExpressionNode::Function::Year:
    case ExpressionNode::Function::Month:
    case ExpressionNode::Function::Day:
    case ExpressionNode::Function::Hour:
    case ExpressionNode::Function::Minute:
        return datePart(n.function, a);
    case ExpressionNode::Function::Round: {
        const auto x = reportNumber(a);
        if (!x)
            return {};
        const double scale = std::pow(10.0,
                                      n.args.size() > 1 ? reportNumber(evaluateNode(*n.args[1], c)).value_or(0) : 0);
        return std::round(*x * scale) / scale;
    }
    case ExpressionNode::Function::Abs: {
        if (isWhole(a) && a.toLongLong() != std::numeric_limits<qint64>::min()) // whose opposite does not fit
            return std::abs(a.toLongLong());
        const auto x = reportNumber(a);
        return x ? QVariant(std::abs(*x)) : QVariant();
    }
    case ExpressionNode::Function::Format:
        return n.format.apply(a).value_or(reportValueText(a));
    default:
        return {};
    }
}

QVariant evaluateField(const ExpressionNode &n, const ExpressionContext &c)
{
    const ReportDataSet *set = n.onDetail ? c.detail : c.data;
    const int row = n.onDetail ? c.detailRow : c.row;
    if (!set || row < 0 || row >= set->rowCount())
        return {};
    if (n.boundSet != set) {
        n.boundSet = set;
        n.column = set->columnIndex(n.name);
    }
    return n.column >= 0 ? set->value(row, n.column) : QVariant();
}

QVariant evaluateNode(const ExpressionNode &n, const ExpressionContext &c)
{
    switch (n.kind) {
    case ExpressionNode::Constant:
        return n.value;
    case ExpressionNode::Field:
        return evaluateField(n, c);
    case ExpressionNode::System:
        switch (n.system) {
        case ExpressionNode::SystemValue::Page:
            return qint64(c.page);
        case ExpressionNode::SystemValue::TotalPages:
            return qint64(c.totalPages);
        case ExpressionNode::SystemValue::Line:
            return qint64(c.line);
        case ExpressionNode::SystemValue::Date:
            return c.date;
        case ExpressionNode::SystemValue::Time:
            return c.time;
        }
        return {};
    case ExpressionNode::Variable:
        return n.target ? evaluateNode(*n.target, c) : QVariant();
    case ExpressionNode::Not:
        return !reportTruth(evaluateNode(*n.args[0], c));
    case ExpressionNode::Negate:
        return arithmetic(ExpressionNode::Operator::Subtract, qint64(0), evaluateNode(*n.args[0], c));
    case ExpressionNode::Binary:
        return evaluateBinary(n, c);
    case ExpressionNode::Call:
        return evaluateCall(n, c);
    }
    return {};
}

} // namespace

const QList<ExpressionFunction> &expressionFunctions()
{
    static const QList<ExpressionFunction> list = [] {
        QList<ExpressionFunction> made;
        for (const FunctionInfo &f : functions)
            made << ExpressionFunction{QLatin1String(f.name), f.minArgs, f.maxArgs,
                                       QStringLiteral("%1(%2)").arg(QLatin1String(f.name), QLatin1String(f.arguments))};
        return made;
    }();
    return list;
}

const QStringList &expressionSystemValues()
{
    static const QStringList list = [] {
        QStringList made;
        for (const auto &[name, value] : systemValues)
            made << QLatin1String(name);
        return made;
    }();
    return list;
}

QVariant evaluateExpression(const ExpressionNode &node, const ExpressionContext &context)
{
    return evaluateNode(node, context);
}

bool reportTruth(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return !value.toString().isEmpty() && value.toString() != QLatin1String("0");
    const auto number = reportNumber(value);
    return number && *number != 0;
}

void ReportExpression::addLiteral(const QString &text, bool unknown)
{
    if (text.isEmpty())
        return;
    if (!m_parts.isEmpty() && !m_parts.last().node && !unknown && !m_parts.last().unknown) {
        m_parts.last().text += text;
        return;
    }
    m_parts << Part{text, nullptr, false, unknown};
}

ReportExpression ReportExpression::parse(const QString &text)
{
    ReportExpression e;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), pos);
        if (open < 0) {
            e.addLiteral(text.mid(pos));
            break;
        }
        e.addLiteral(text.mid(pos, open - pos));
        if (open + 1 < text.size() && text[open + 1] == QLatin1Char('[')) {
            e.addLiteral(QStringLiteral("["));
            pos = open + 2;
            continue;
        }
        const qsizetype end = closingBracket(text, open);
        if (end < 0) {
            e.addLiteral(text.mid(open), true);
            break;
        }
        const QString written = text.mid(open, end - open);
        try {
            QStringList errors;
            NodePtr node = Parser(written.mid(1, written.size() - 2), errors).parseAll();
            e.m_errors << errors;
            e.m_parts << Part{written, node, !errors.isEmpty(), !errors.isEmpty()};
        } catch (const SyntaxError &) {
            e.addLiteral(written, true); // plain words in brackets
        }
        pos = end;
    }
    return e;
}

ReportExpression ReportExpression::parseExpression(const QString &expression)
{
    ReportExpression e;
    if (expression.trimmed().isEmpty())
        return e;
    try {
        NodePtr node = Parser(expression, e.m_errors).parseAll();
        e.m_parts << Part{expression, node, !e.m_errors.isEmpty(), !e.m_errors.isEmpty()};
    } catch (const SyntaxError &error) {
        e.m_errors << QStringLiteral("%1 in \"%2\"").arg(error.message, expression);
    }
    return e;
}

QString ReportExpression::fieldReference(const QString &dataSetName, const QString &column)
{
    return QLatin1Char('[') + fieldExpression(dataSetName, column) + QLatin1Char(']');
}

QString ReportExpression::fieldExpression(const QString &dataSetName, const QString &column)
{
    QString escaped = column;
    escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QStringLiteral("%1.\"%2\"").arg(dataSetName, escaped);
}

template <class Visit> void ReportExpression::visitNodes(Visit v) const
{
    for (const Part &part : m_parts) {
        if (part.node)
            visit(*part.node, v);
    }
}

void ReportExpression::bind(const ReportDataSet &data, const ExpressionNames &names)
{
    for (Part &part : m_parts) {
        if (!part.node)
            continue;
        bool unknown = false;
        auto bindNode = [&](const ExpressionNode &constNode) {
            auto &n = const_cast<ExpressionNode &>(constNode);
            if (n.kind == ExpressionNode::Field) {
                n.onDetail = !names.detail.isEmpty() && n.dataSet == names.detail;
                unknown = unknown || (n.dataSet != data.name() && !n.onDetail);
                n.boundSet = n.onDetail ? nullptr : &data;
                n.column = n.onDetail ? -1 : data.columnIndex(n.name);
            } else if (n.kind == ExpressionNode::Variable) {
                n.target = names.variables.value(n.name.toLower());
                unknown = unknown || !n.target;
            } else if (n.kind == ExpressionNode::Call && n.function == ExpressionNode::Function::Aggregate) {
                bool detail = false;
                if (n.aggregate.argument) {
                    auto onDetail = [&](const ExpressionNode &a) {
                        detail = detail
                                 || (a.kind == ExpressionNode::Field && a.dataSet == names.detail
                                     && !names.detail.isEmpty());
                    };
                    visit(*n.aggregate.argument, onDetail);
                }
                n.aggregate.onDetail = detail;
            }
        };
        visit(*part.node, bindNode);
        part.unknown = part.invalid || unknown;
    }
}

QVariant ReportExpression::evaluate(const ExpressionContext &context) const
{
    const ExpressionNode *node = root();
    return node ? evaluateNode(*node, context) : QVariant();
}

bool ReportExpression::isTrue(const ExpressionContext &context) const
{
    return reportTruth(evaluate(context));
}

const ExpressionNode *ReportExpression::root() const
{
    return m_parts.size() == 1 && m_parts[0].node && !m_parts[0].unknown ? m_parts[0].node.get() : nullptr;
}

QString ReportExpression::expand(const ExpressionContext &c) const
{
    QString out;
    for (const Part &part : m_parts) {
        if (!part.node || part.unknown) {
            out += part.text;
            continue;
        }
        const QVariant value = evaluateNode(*part.node, c);
        out += m_format.isEmpty() ? reportValueText(value) : m_format.apply(value).value_or(reportValueText(value));
    }
    return out;
}

bool ReportExpression::usesTotalPages() const
{
    bool found = false;
    visitNodes([&](const ExpressionNode &n) {
        found = found || (n.kind == ExpressionNode::System && n.system == ExpressionNode::SystemValue::TotalPages);
    });
    return found;
}

bool ReportExpression::usesPageAggregates() const
{
    bool found = false;
    visitNodes([&](const ExpressionNode &n) {
        found = found
                || (n.kind == ExpressionNode::Call && n.function == ExpressionNode::Function::Aggregate
                    && !n.aggregate.onDetail);
    });
    return found;
}

bool ReportExpression::isConstant() const
{
    bool constant = true;
    visitNodes([&](const ExpressionNode &n) {
        constant = constant
                   && (n.kind == ExpressionNode::Constant || n.kind == ExpressionNode::Binary
                       || n.kind == ExpressionNode::Not || n.kind == ExpressionNode::Negate
                       || (n.kind == ExpressionNode::Call && n.function != ExpressionNode::Function::Aggregate)
                       || (n.kind == ExpressionNode::System
                           && (n.system == ExpressionNode::SystemValue::Date
                               || n.system == ExpressionNode::SystemValue::Time)));
    });
    return constant;
}

int ReportExpression::singleFieldColumn() const
{
    if (m_parts.size() != 1 || !m_parts[0].node || m_parts[0].unknown)
        return -1;
    const ExpressionNode &n = *m_parts[0].node;
    return n.kind == ExpressionNode::Field && !n.onDetail ? n.column : -1;
}

QStringList ReportExpression::fieldNames(const QString &dataSetName) const
{
    QStringList names;
    visitNodes([&](const ExpressionNode &n) {
        if (n.kind == ExpressionNode::Field && n.dataSet == dataSetName)
            names << n.name;
    });
    return names;
}

QStringList ReportExpression::variableNames() const
{
    QStringList names;
    visitNodes([&](const ExpressionNode &n) {
        if (n.kind == ExpressionNode::Variable)
            names << n.name;
    });
    return names;
}

QStringList ReportExpression::unknownExpressions() const
{
    QStringList found;
    for (const Part &part : m_parts) {
        if (part.unknown)
            found << part.text;
    }
    return found;
}

QList<const AggregateCall *> ReportExpression::aggregates() const
{
    QList<const AggregateCall *> calls;
    visitNodes([&](const ExpressionNode &n) {
        if (n.kind == ExpressionNode::Call && n.function == ExpressionNode::Function::Aggregate)
            calls << &n.aggregate;
    });
    return calls;
}

} // namespace tarvo

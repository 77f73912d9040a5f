#pragma once
// The text of a text item, parsed once: literal pieces and [expressions]. [Report."column"]
// (a doubled quote stands for one), [Page#], [TotalPages#], [Line#], [Date], [Time]; "[[" is a
// literal "[". Anything else in brackets prints as written.
#include <QList>
#include <QString>
#include <QStringList>

namespace tarvo {

class ReportDataSet;

struct ExpressionContext {
    const ReportDataSet *data = nullptr;
    int row = -1;        // data row for fields; -1: fields print empty
    int page = 1;
    int totalPages = 1;
    int line = 0;
    QString date;
    QString time;
};

class ReportExpression {
public:
    static ReportExpression parse(const QString &text);
    static QString fieldReference(const QString &dataSetName, const QString &column);

    // Resolves field names against `data`; a missing column prints as empty text, a field of
    // another data set prints as written.
    void bind(const ReportDataSet &data);
    QString expand(const ExpressionContext &context) const;

    bool usesTotalPages() const;
    bool isConstant() const;         // no expression that changes from row to row or page to page
    int singleFieldColumn() const;   // the column when the text is one field and nothing else; -1
    QStringList fieldNames(const QString &dataSetName) const;
    QStringList unknownExpressions() const; // bracketed texts that print as written

private:
    struct Part {
        enum Kind { Literal, Field, Page, TotalPages, Line, Date, Time } kind = Literal;
        QString text;      // literal text, or the field's column name
        QString dataSet;   // fields only
        int column = -1;   // bound column; -1 prints empty
        bool unknown = false;
    };
    void addLiteral(const QString &text, bool unknown = false);
    QList<Part> m_parts;
};

} // namespace tarvo

// The text of a report item: literal pieces and [expressions], expanded without data and with
// a one-row data set.
#include "fuzzing.h"

#include "report/reportdataset.h"
#include "report/reportexpression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    ReportExpression expression = ReportExpression::parse(text);
    expression.usesTotalPages();
    expression.isConstant();
    expression.singleFieldColumn();
    expression.unknownExpressions();
    expression.fieldNames(QStringLiteral("Report"));
    expression.expand({});

    const ReportDataSet rows({QStringLiteral("Name"), QStringLiteral("Total")},
                             {{QStringLiteral("Ann"), 12.5}, {QVariant(), QByteArray("\x01\x02")}});
    expression.bind(rows);
    ExpressionContext context;
    context.data = &rows;
    for (context.row = -1; context.row < rows.rowCount(); ++context.row)
        expression.expand(context);
    return 0;
}

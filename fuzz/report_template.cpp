// Report templates: the reader with its bounds, and the writer. A template that was read must be
// written as a document that reads back to the same template.
#include "fuzzing.h"

#include "platform/errors.h"
#include "report/reportexpression.h"
#include "report/reporttemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    fuzz::startApplication();
    ReportTemplate report;
    try {
        report = ReportTemplate::fromXml(fuzz::bytes(data, size), QStringLiteral("fuzz.trp"));
    } catch (const Error &) {
        return 0;
    }
    for (const ReportBand &band : report.bands())
        for (const ReportItem &item : band.items)
            ReportExpression::parse(item.text).expand({});

    const QByteArray written = report.toXml();
    QByteArray rewritten;
    try {
        rewritten = ReportTemplate::fromXml(written, QStringLiteral("written.trp")).toXml();
    } catch (const Error &error) {
        fuzz::propertyFailed("a written template cannot be read back", error.message(), QString::fromUtf8(written));
    }
    if (rewritten != written)
        fuzz::propertyFailed("a written template reads back differently", QString::fromUtf8(written),
                             QString::fromUtf8(rewritten));
    return 0;
}

// Saved prepared reports: the reader with its bounds, and the writer. A report that was read must
// be written as bytes that read back to the same bytes.
#include "fuzzing.h"

#include "platform/errors.h"
#include "report/reportfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    fuzz::startApplication();
    PreparedReport report;
    try {
        report = preparedReportFromBytes(fuzz::bytes(data, size), QStringLiteral("fuzz.tpr"));
    } catch (const Error &) {
        return 0;
    }
    const QByteArray written = preparedReportBytes(report);
    QByteArray rewritten;
    try {
        rewritten = preparedReportBytes(preparedReportFromBytes(written, QStringLiteral("written.tpr")));
    } catch (const Error &error) {
        fuzz::propertyFailed("a written report cannot be read back", error.message(), QString());
    }
    if (rewritten != written)
        fuzz::propertyFailed("a written report reads back differently", QString::number(written.size()),
                             QString::number(rewritten.size()));
    return 0;
}

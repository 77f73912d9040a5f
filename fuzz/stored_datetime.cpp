// The stored date-time text, read from databases that other programs may have written. What the
// parser accepts must be written back as a text that parses to the same value.
#include "fuzzing.h"

#include "schema/storeddatetime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    for (const bool lenient : {false, true}) {
        DateTimeParseRules rules;
        rules.ignoreTextAfterTime = lenient;
        const std::optional<TDateTime> value = parseStoredDateTime(text, rules);
        if (!value)
            continue;
        const QString written = storedDateTimeText(*value);
        const std::optional<TDateTime> again = parseStoredDateTime(written);
        if (!again || storedDateTimeText(*again) != written)
            fuzz::propertyFailed("a parsed date-time does not survive being written and read again", text, written);
    }
    return 0;
}

#pragma once
// The stored date-time text "yyyy-mm-dd hh:nn:ss.zzz" (fixed separators, whatever the locale)
// and its parser, shared by the date controls and the grid's display of stored values.
#include "schema/datetime.h"

#include <QChar>
#include <QString>
#include <optional>

namespace tarvo {

// keepMilliseconds false writes ".000" whatever the value holds.
QString storedDateTimeText(const TDateTime &value, bool keepMilliseconds = true);

struct DateTimeParseRules {
    QChar millisecondSeparator = QLatin1Char('.');
    // After a date and a time, ignore whatever follows (display parsing) instead of rejecting it.
    bool ignoreTextAfterTime = false;
};

// A date "y-m-d" optionally followed by blanks and "h[:n[:s[<sep>z]]]"; or a time alone that
// fills the whole text (on 1899-12-30). Trailing blanks are ignored. Anything else: nullopt.
std::optional<TDateTime> parseStoredDateTime(const QString &text, DateTimeParseRules rules = {});

} // namespace tarvo

#pragma once
// Placeholder expansion of designer-written SQL: "{" + component name + "}" (any letter case) is
// replaced by the value of that input control of the form. A typed value (the text of an edit, a
// memo or a counter) can never change the statement around it: inside a quoted literal it is
// escaped for that literal; outside it becomes a number literal when it is a number and a quoted
// text literal otherwise (the server's E'…' literal, where a backslash escapes, included).
// Placeholders inside SQL comments are left as they are; after a comment inside a comment, where
// the engines disagree on the end of the comment, a value is refused with an Error.
#include <QString>
#include <optional>

class QObject;

namespace tarvo {

class FormBase;

struct PlaceholderValue {
    QString text;
    bool typed = true; // a user's text; false for values Tarvo forms itself (ids, NULL, dates)
};

// The value an input control puts in; nullopt for components that are no input control.
std::optional<PlaceholderValue> placeholderValue(QObject &component);

// Replaces every "{name}" (ignoring case) outside comments; raises Error as said above.
QString replacePlaceholder(const QString &sql, const QString &name, const QString &value, bool typed = true);

// Walks the form's components in order, each replacement working on the previous result.
QString expandPlaceholders(const FormBase &form, const QString &sql);

} // namespace tarvo

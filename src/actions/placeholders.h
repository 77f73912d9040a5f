#pragma once
// Placeholder expansion of designer-written SQL: "{" + component name + "}" (any letter case) is
// replaced by the value of that input control of the form. A value that lands inside a quoted
// literal is escaped for that literal, so a user's text cannot end it.
#include <QString>
#include <optional>

class QObject;

namespace tarvo {

class FormBase;

// The text an input control puts in; nullopt for components that are no input control.
std::optional<QString> placeholderValue(const QObject &component);

// Replaces every "{name}" (ignoring case) outside and inside quoted literals.
QString replacePlaceholder(const QString &sql, const QString &name, const QString &value);

// Walks the form's components in order, each replacement working on the previous result.
QString expandPlaceholders(const FormBase &form, const QString &sql);

} // namespace tarvo

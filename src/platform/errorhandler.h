#pragma once
// The general error handler and the guard that every entry from Qt into Tarvo runs through:
// no exception crosses Qt's event loop; the user sees the message and Tarvo goes on.
#include <QString>
#include <exception>

class QWidget;

namespace tarvo {

// The started program's file name (a link's own name) up to its first ".", every letter after the first in lower case.
QString applicationTitle();
// Appends "." unless the text is empty or already ends in a character whose code is at most ".".
QString withFullStop(const QString &text);

// The window that owns the handler's message boxes (the main window); may be null.
void setErrorOwner(QWidget *owner);
// Shows the error as the general error handler does; SilentAbort shows nothing.
void reportError(const std::exception &error);
void reportErrorText(const QString &text);

// Runs `body`; anything it throws goes to the general error handler. Returns false on an error.
template <class Body> bool guarded(Body &&body) noexcept
{
    try {
        body();
        return true;
    } catch (const std::exception &error) {
        reportError(error);
    } catch (...) {
        reportErrorText(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace tarvo

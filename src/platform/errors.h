#pragma once
// Tarvo's error model: every failure is an exception derived from Error, carrying the text the
// user sees. SilentAbort ends an action without any message.
#include <QByteArray>
#include <QString>
#include <exception>

namespace tarvo {

class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// SQLite's own message text.
class DatabaseError : public Error {
    using Error::Error;
};
// Another connection held the lock for longer than the busy timeout; nothing was written.
class DatabaseBusyError : public DatabaseError {
    using DatabaseError::DatabaseError;
};
// A value that cannot be converted (a text that is no date, no integer).
class ConversionError : public Error {
    using Error::Error;
};
// A file that cannot be read or written.
class FileError : public Error {
    using Error::Error;
};
// A definition file that cannot be parsed (forms.xml, report templates, graphics.dll).
class ParseError : public Error {
    using Error::Error;
};

// Ends the current event handler without a message.
class SilentAbort : public std::exception {
public:
    const char *what() const noexcept override { return "silent abort"; }
};

} // namespace tarvo

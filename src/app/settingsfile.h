#pragma once
// settings.ini edited in place: only the keys Tarvo owns change, every other line and comment,
// the file's encoding and its line ends stay as they were. A file that exists but cannot be read
// or decoded is never replaced.
#include <QString>
#include <QStringList>
#include <optional>

namespace tarvo {

class SettingsFile {
public:
    // Never raises: what went wrong is kept for save().
    explicit SettingsFile(const QString &path);

    std::optional<QString> value(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    void remove(const QString &section, const QString &key);
    // Writes through a temporary file. Raises FileError when the file could not be read (it is
    // left as it is) or cannot be written.
    void save() const;

private:
    enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Windows1251 };
    // The line of `key` in `section`, or -1; `sectionEnd` gets the index after the section's last
    // non-blank line (-1 when there is no such section).
    int findKey(const QString &section, const QString &key, int *sectionEnd = nullptr) const;

    QString m_path;
    QString m_unreadable; // why the existing file cannot be edited; empty when it can
    QStringList m_lines;
    Encoding m_encoding = Encoding::Utf8;
    QString m_lineEnd = QStringLiteral("\n");
};

} // namespace tarvo

#pragma once
// Reading initialisation files (tables.ini, settings.ini): sections and keys in file order,
// duplicates kept, lookups ignoring case, key case preserved. Decoding: UTF-16 (either byte order)
// or UTF-8 with a byte-order mark; otherwise UTF-8 when the bytes are valid UTF-8; otherwise
// Windows-1251. Nothing here writes files.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarvo {

// The encoding rule above, for any 8-bit or UTF-16 text Tarvo reads from a project folder.
QString decodeProjectText(const QByteArray &bytes);

class IniFile {
public:
    IniFile() = default;
    // A missing or unreadable file gives an empty IniFile.
    static IniFile load(const QString &path);
    static IniFile parse(const QString &text);

    QStringList sections() const;                   // file order
    QStringList keys(const QString &section) const; // file order, duplicates kept
    // (key, value) pairs in file order, duplicates kept.
    QList<QPair<QString, QString>> entries(const QString &section) const;
    std::optional<QString> value(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback) const;
    // A decimal integer, or hexadecimal with a "0x" or "$" prefix; otherwise `fallback`.
    int integer(const QString &section, const QString &key, int fallback) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };
    const Section *findSection(const QString &name) const;
    Section *findSection(const QString &name);
    QList<Section> m_sections;
};

} // namespace tarvo

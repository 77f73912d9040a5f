#pragma once
// Fixture project folders (tests/fixtures/<name>) copied into a temporary folder per test, and
// small file helpers.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tarvo::test {

class ProjectFolder {
public:
    // Copies tests/fixtures/<fixture> (may be empty: an empty folder) into a new temporary folder.
    explicit ProjectFolder(const QString &fixture = QString());
    QString path() const;                    // ends in "/"
    QString file(const QString &name) const; // path() + name
    void write(const QString &name, const QByteArray &bytes) const;
    void write(const QString &name, const QString &utf8Text) const { write(name, utf8Text.toUtf8()); }
    QByteArray read(const QString &name) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QString fixturePath(const QString &relative); // tests/fixtures/<relative>

// Four bytes, little-endian: the integers of binary project files such as graphics.dll.
QByteArray int32(qint32 value);

} // namespace tarvo::test

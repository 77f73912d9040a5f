#include "support/fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <stdexcept>

namespace tarvo::test {

QString fixturePath(const QString &relative)
{
    return QStringLiteral(TARVO_FIXTURES_DIR) + QLatin1Char('/') + relative;
}

QByteArray int32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

ProjectFolder::ProjectFolder(const QString &fixture) : m_dir(std::make_unique<QTemporaryDir>())
{
    if (!m_dir->isValid())
        throw std::runtime_error("cannot create a temporary folder");
    if (fixture.isEmpty())
        return;
    const QDir source(fixturePath(fixture));
    if (!source.exists())
        throw std::runtime_error("no fixture " + fixture.toStdString());
    QDirIterator it(source.path(), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = file(source.relativeFilePath(from));
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(from, to);
        QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

QString ProjectFolder::path() const
{
    return m_dir->path() + QLatin1Char('/');
}
QString ProjectFolder::file(const QString &name) const
{
    return path() + name;
}

void ProjectFolder::write(const QString &name, const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(file(name)).path());
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + name.toStdString());
}

QByteArray ProjectFolder::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tarvo::test

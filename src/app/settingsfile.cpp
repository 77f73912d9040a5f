#include "app/settingsfile.h"

#include "platform/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tarvo {

namespace {

bool sameName(QStringView a, QStringView b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// "[name]" gives name; anything else nullopt.
std::optional<QStringView> sectionHeader(QStringView line)
{
    line = line.trimmed();
    const qsizetype close = line.indexOf(u']');
    if (!line.startsWith(u'[') || close < 1)
        return std::nullopt;
    return line.mid(1, close - 1);
}

bool isKeyLine(QStringView line, const QString &key)
{
    const QStringView trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf(u'=');
    return !trimmed.startsWith(u';') && equals > 0 && sameName(trimmed.left(equals), key);
}

QString decodeStrictly(QStringConverter::Encoding encoding, const QByteArray &bytes, bool *ok)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return text;
}

} // namespace

SettingsFile::SettingsFile(const QString &path) : m_path(path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return; // nothing to keep; a folder in its place fails when written

    if (!file.open(QIODevice::ReadOnly)) {
        m_unreadable = file.errorString();
        return;
    }
    const QByteArray bytes = file.readAll();
    bool ok = true;
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16Le;
        text = decodeStrictly(QStringConverter::Utf16LE, bytes.mid(2), &ok);
    } else if (bytes.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16Be;
        text = decodeStrictly(QStringConverter::Utf16BE, bytes.mid(2), &ok);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8Bom;
        text = decodeStrictly(QStringConverter::Utf8, bytes.mid(3), &ok);
    } else if (bytes.contains('\0')) {
        ok = false; // UTF-16 without a byte-order mark, or no text at all
    } else {
        text = decodeStrictly(QStringConverter::Utf8, bytes, &ok);
        if (!ok) {
            QStringDecoder cp1251("windows-1251");
            ok = cp1251.isValid();
            text = cp1251.decode(bytes);
            m_encoding = Encoding::Windows1251;
        }
    }
    if (!ok) {
        m_unreadable = QStringLiteral("its text encoding is not known");
        return;
    }
    if (text.contains(QStringLiteral("\r\n")))
        m_lineEnd = QStringLiteral("\r\n");
    m_lines = text.split(m_lineEnd);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast(); // the final line end
}

int SettingsFile::findKey(const QString &section, const QString &key, int *sectionEnd) const
{
    bool inSection = false;
    int found = -1;
    int end = -1;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (const auto header = sectionHeader(m_lines[i])) {
            inSection = sameName(*header, section);
            if (inSection && end < 0)
                end = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (!m_lines[i].trimmed().isEmpty())
            end = i + 1;
        if (found < 0 && isKeyLine(m_lines[i], key))
            found = i;
    }
    if (sectionEnd)
        *sectionEnd = end;
    return found;
}

std::optional<QString> SettingsFile::value(const QString &section, const QString &key) const
{
    const int line = findKey(section, key);
    if (line < 0)
        return std::nullopt;
    const QString trimmed = m_lines[line].trimmed();
    return trimmed.mid(trimmed.indexOf(u'=') + 1).trimmed();
}

void SettingsFile::setValue(const QString &section, const QString &key, const QString &value)
{
    int sectionEnd = -1;
    const int line = findKey(section, key, &sectionEnd);
    if (line >= 0) {
        const QString &old = m_lines[line];
        m_lines[line] = old.left(old.indexOf(u'=') + 1) + value; // the key as written stays
    } else if (sectionEnd >= 0) {
        m_lines.insert(sectionEnd, key + u'=' + value);
    } else {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines << u'[' + section + u']' << key + u'=' + value;
    }
}

void SettingsFile::remove(const QString &section, const QString &key)
{
    for (int line = findKey(section, key); line >= 0; line = findKey(section, key))
        m_lines.removeAt(line);
}

void SettingsFile::save() const
{
    const QString where = QFileInfo(m_path).absoluteFilePath();
    if (!m_unreadable.isEmpty())
        throw FileError(QStringLiteral("%1 could not be read (%2), so Tarvo left it unchanged and did not store "
                                       "this session's settings.")
                            .arg(where, m_unreadable));
    const QString text = m_lines.join(m_lineEnd) + m_lineEnd;
    QByteArray bytes;
    switch (m_encoding) {
    case Encoding::Utf8:
        bytes = text.toUtf8();
        break;
    case Encoding::Utf8Bom:
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        break;
    case Encoding::Utf16Le:
        bytes = QByteArray("\xFF\xFE") + QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(text));
        break;
    case Encoding::Utf16Be:
        bytes = QByteArray("\xFE\xFF") + QByteArray(QStringEncoder(QStringConverter::Utf16BE).encode(text));
        break;
    case Encoding::Windows1251: {
        QStringEncoder cp1251("windows-1251");
        bytes = QByteArray(cp1251.encode(text));
        if (cp1251.hasError()) // a value the code page cannot hold: keep it, in UTF-8 with a mark
            bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        break;
    }
    }
    QSaveFile file(m_path);
    file.setDirectWriteFallback(true); // a writable file in a read-only folder is still written
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(QStringLiteral("Unable to write to ") + where);
}

} // namespace tarvo

#include "schema/inifile.h"

#include <QFile>
#include <QStringDecoder>
#include <utility>

namespace tarvo {

namespace {

QString decodeWith(QStringConverter::Encoding encoding, const QByteArray &bytes, bool *ok = nullptr)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString decodeProjectText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return decodeWith(QStringConverter::Utf16LE, bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16BE, bytes.mid(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringConverter::Utf8, bytes.mid(3));
    bool valid = false;
    const QString utf8 = decodeWith(QStringConverter::Utf8, bytes, &valid);
    if (valid)
        return utf8;
    QStringDecoder cp1251("windows-1251");
    if (!cp1251.isValid())
        return utf8; // no 8-bit code page available: the replacement characters are the best we have
    return cp1251.decode(bytes);
}

IniFile IniFile::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(decodeProjectText(file.readAll()));
}

IniFile IniFile::parse(const QString &text)
{
    IniFile ini;
    Section *current = nullptr;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    for (const QString &rawLine : normalised.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        const qsizetype close = line.indexOf(u']');
        if (line.startsWith(u'[') && close > 0) {
            const QString name = line.mid(1, close - 1).trimmed();
            // A repeated header continues its section, so a table stays one table.
            current = ini.findSection(name);
            if (!current) {
                ini.m_sections.append({name, {}});
                current = &ini.m_sections.last();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || !current)
            continue;
        current->entries.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return ini;
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    for (const Section &section : m_sections) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    return const_cast<Section *>(std::as_const(*this).findSection(name));
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section &section : m_sections)
        names.append(section.name);
    return names;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList names;
    if (const Section *found = findSection(section)) {
        for (const Entry &entry : found->entries)
            names.append(entry.key);
    }
    return names;
}

QList<QPair<QString, QString>> IniFile::entries(const QString &section) const
{
    QList<QPair<QString, QString>> pairs;
    if (const Section *found = findSection(section)) {
        for (const Entry &entry : found->entries)
            pairs.append({entry.key, entry.value});
    }
    return pairs;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    if (const Section *found = findSection(section)) {
        for (const Entry &entry : found->entries) {
            if (sameName(entry.key, key))
                return entry.value;
        }
    }
    return std::nullopt;
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    return value(section, key).value_or(fallback);
}

int IniFile::integer(const QString &section, const QString &key, int fallback) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return fallback;
    bool ok = false;
    int number;
    if (text->startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        number = int(text->mid(2).toUInt(&ok, 16));
    else if (text->startsWith(u'$'))
        number = int(text->mid(1).toUInt(&ok, 16));
    else
        number = text->toInt(&ok, 10);
    return ok ? number : fallback;
}

} // namespace tarvo

#include "controls/picture.h"

#include "platform/errors.h"

#include <QBuffer>

namespace tarvo {

QString fileNamePart(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

QString fileExtension(const QString &path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QByteArray Picture::formatForExtension(const QString &extension)
{
    QByteArray key = extension.startsWith(QLatin1Char('.')) ? extension.mid(1).toLatin1() : extension.toLatin1();
    // Only ASCII letters are folded; toLatin1 turns anything else into '?', which matches nothing.
    for (char &c : key)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    if (key == "bmp" || key == "png" || key == "gif")
        return key;
    if (key == "jpg" || key == "jpeg")
        return "jpeg";
    return {};
}

Picture Picture::decode(const QByteArray &bytes, const QByteArray &format)
{
    Picture picture;
    if (!picture.m_image.loadFromData(bytes, format.constData()))
        throw ConversionError(
            QStringLiteral("The picture cannot be decoded as %1.").arg(QString::fromLatin1(format).toUpper()));
    picture.m_bytes = bytes;
    picture.m_format = format;
    return picture;
}

std::optional<Picture> Picture::decodeByName(const QByteArray &bytes, const QString &fileName)
{
    const QByteArray format = formatForExtension(fileExtension(fileName));
    if (format.isEmpty())
        return std::nullopt;
    return decode(bytes, format);
}

Picture Picture::fromImage(const QImage &image)
{
    Picture picture;
    picture.m_image = image;
    picture.m_format = "bmp";
    return picture;
}

QByteArray Picture::encoded() const
{
    if (!m_bytes.isEmpty() || m_image.isNull())
        return m_bytes;
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    m_image.save(&buffer, "BMP");
    return bmp;
}

} // namespace tarvo

#pragma once
// A picture as Tarvo keeps it: the decoded image plus the encoded bytes it came from, so that it
// can be written back out in its own format. Decoding is chosen by the file name's extension.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace tarvo {

// The part after the last "\" or "/" (stored names may be Windows paths).
QString fileNamePart(const QString &path);
// The extension of the file-name part with its point (".png"), or empty.
QString fileExtension(const QString &path);

class Picture {
public:
    Picture() = default;

    // Qt's format for an extension or library format part, with or without the point, compared
    // in ASCII lower case: bmp, png, gif, jpg/jpeg; empty for anything else.
    static QByteArray formatForExtension(const QString &extension);
    // Decodes `bytes` as `format` (from formatForExtension); raises ConversionError when the
    // decoder rejects them.
    static Picture decode(const QByteArray &bytes, const QByteArray &format);
    // Decodes by the extension of `fileName`; nothing for an extension outside the table.
    static std::optional<Picture> decodeByName(const QByteArray &bytes, const QString &fileName);
    // A picture drawn by the program (no encoded form of its own; written out as BMP).
    static Picture fromImage(const QImage &image);

    bool isNull() const { return m_image.isNull(); }
    const QImage &image() const { return m_image; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    const QByteArray &format() const { return m_format; }
    // The picture in its own format: the original bytes, or BMP for a drawn picture; empty for
    // no picture.
    QByteArray encoded() const;

private:
    QImage m_image;
    QByteArray m_bytes;
    QByteArray m_format;
};

} // namespace tarvo

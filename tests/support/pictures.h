#pragma once
// Small real pictures, encoded as files hold them, for the tests of picture fields, the picture
// library and the record life cycle.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace tarvo::test {

// A w x h picture with a distinct top-left pixel, encoded by Qt as `format` ("PNG", "JPEG", ...).
inline QByteArray encodedPicture(const char *format, int w = 8, int h = 6, QColor fill = Qt::darkCyan)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    image.setPixelColor(0, 0, Qt::yellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Qt reads GIF but cannot write it: a w x h GIF in two colours (a yellow top-left pixel on
// dark cyan). The LZW table is reset after every two codes so the code size stays at 3 bits.
inline QByteArray gifPicture(int w, int h)
{
    QByteArray gif("GIF89a");
    const auto word = [&](int v) {
        gif += char(v & 0xff);
        gif += char((v >> 8) & 0xff);
    };
    word(w);
    word(h);
    gif += char(0x81);             // global colour table of 4 entries
    gif += QByteArray(2, char(0)); // background index, aspect ratio
    gif += QByteArray::fromHex("ffff00"
                               "008b8b"
                               "000000"
                               "ffffff");
    gif += ',';
    word(0);
    word(0);
    word(w);
    word(h);
    gif += char(0);
    gif += char(2); // minimum code size
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](int code) {
        bits |= quint32(code) << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data += char(bits & 0xff);
    };
    for (int i = 0; i < w * h; ++i) {
        if (i % 2 == 0)
            put(4); // clear
        put(i == 0 ? 0 : 1);
    }
    put(5); // end of information
    if (count > 0)
        data += char(bits & 0xff);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif += char(block.size());
        gif += block;
    }
    gif += char(0);
    gif += ';';
    return gif;
}

// encodedPicture for every format Tarvo reads, GIF included.
inline QByteArray anyPicture(const char *format, int w = 8, int h = 6)
{
    return QByteArray(format) == "GIF" ? gifPicture(w, h) : encodedPicture(format, w, h);
}

} // namespace tarvo::test

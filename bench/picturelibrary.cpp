// LoadPictureLibrary over 200 PNG and JPEG pictures (about 40 MB inflated) into TdbImage
// controls, against its floor in the same run: zlib inflating and Qt decoding the same pictures.
#include "app/picturelibrary.h"
#include "controls/dbimage.h"
#include "controls/tform.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

struct Entry {
    QString name;
    QByteArray format;
    QByteArray picture;
    QByteArray stream;
};

QByteArray encode(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Noisy pictures, so that neither PNG nor JPEG shrinks them much: about 200 KB each.
QImage noise(int w, int h, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = 0xff000000u | (random.generate() & 0x00ffffffu);
    }
    return image;
}

struct Library {
    QTemporaryDir dir;
    QString path;
    QList<Entry> entries;
    qint64 inflated = 0;

    Library()
    {
        QByteArray file(4, '\0');
        for (int i = 0; i < 200; ++i) {
            const bool png = i % 2 == 0;
            Entry e;
            e.name = QStringLiteral("Pictures.frmBench.img%1.%2").arg(i).arg(png ? u"png"_s : u"jpg"_s);
            e.format = png ? "png" : "jpeg";
            e.picture = png ? encode(noise(256, 256, i), "PNG", -1) : encode(noise(420, 420, i), "JPEG", 95);
            uLongf length = compressBound(uLong(e.picture.size()));
            e.stream.resize(qsizetype(length));
            compress2(reinterpret_cast<Bytef *>(e.stream.data()), &length,
                      reinterpret_cast<const Bytef *>(e.picture.constData()), uLong(e.picture.size()), 6);
            e.stream.resize(qsizetype(length));
            const QByteArray name = e.name.toLatin1();
            QByteArray header(4, '\0'), size(4, '\0');
            qToLittleEndian(qint32(name.size()), header.data());
            qToLittleEndian(qint32(e.picture.size()), size.data());
            file += header + name + size + e.stream;
            inflated += e.picture.size();
            entries << e;
        }
        qToLittleEndian(qint32(entries.size()), file.data());
        path = dir.filePath(QStringLiteral("graphics.dll"));
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(file);
    }
};

Library &library()
{
    static Library instance;
    return instance;
}

void BM_LoadPictureLibrary(benchmark::State &state)
{
    Library &lib = library();
    tarvo::TForm form;
    form.setObjectName(QStringLiteral("frmBench"));
    for (int i = 0; i < lib.entries.size(); ++i) {
        auto *image = new tarvo::TdbImage(&form);
        image->setObjectName(QStringLiteral("img%1").arg(i));
        form.addComponent(image);
    }
    for (auto _ : state)
        tarvo::LoadPictureLibrary(lib.path, tarvo::loadLibraryPicture);
    state.SetBytesProcessed(state.iterations() * lib.inflated);
}

void BM_Floor_InflateAndDecode(benchmark::State &state)
{
    Library &lib = library();
    for (auto _ : state)
        for (const Entry &e : lib.entries) {
            QByteArray out(e.picture.size(), Qt::Uninitialized);
            uLongf length = uLongf(out.size());
            uncompress(reinterpret_cast<Bytef *>(out.data()), &length,
                       reinterpret_cast<const Bytef *>(e.stream.constData()), uLong(e.stream.size()));
            QImage image;
            image.loadFromData(out, e.format.constData());
            benchmark::DoNotOptimize(image);
        }
    state.SetBytesProcessed(state.iterations() * lib.inflated);
}

BENCHMARK(BM_Floor_InflateAndDecode)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_LoadPictureLibrary)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

#include "app/picturelibrary.h"

#include "controls/dbimage.h"
#include "controls/form.h"
#include "controls/picture.h"
#include "platform/errors.h"
#include "schema/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <zlib.h>

namespace tarvo {

namespace {

// Reads the container held in memory; every read is checked against the bytes left.
class LibraryReader {
public:
    LibraryReader(const QString &fileName, const uchar *data, qint64 size)
        : m_file(QFileInfo(fileName).fileName()), m_data(data), m_size(size)
    {
    }

    void read(const PictureCallback &loadPicture)
    {
        m_entry = 0;
        const qint32 count = readInt32(QStringLiteral("the entry count"));
        for (m_entry = 1; m_entry <= count; ++m_entry) {
            m_name.clear();
            const qint32 nameLength = readInt32(QStringLiteral("the name length"));
            if (nameLength < 0 || nameLength > kMaxPictureNameLength || nameLength > left())
                fail(QStringLiteral("the name length %1 is not valid").arg(nameLength));
            m_name = decodeProjectText(QByteArray(reinterpret_cast<const char *>(m_data + m_pos), nameLength));
            m_pos += nameLength;
            const qint32 size = readInt32(QStringLiteral("the picture size"));
            if (size < 0 || size > kMaxPictureSize)
                fail(QStringLiteral("the picture size %1 is not valid").arg(size));
            const QByteArray picture = inflatePicture(size);
            loadPicture(picture, m_name);
        }
    }

private:
    qint64 left() const { return m_size - m_pos; }

    [[noreturn]] void fail(const QString &reason) const
    {
        QString where = m_entry == 0 ? QString() : QStringLiteral(", entry %1").arg(m_entry);
        if (!m_name.isEmpty())
            where += QStringLiteral(" \"%1\"").arg(m_name);
        throw ParseError(QStringLiteral("The picture library %1 is damaged%2: %3.").arg(m_file, where, reason));
    }

    qint32 readInt32(const QString &what)
    {
        if (left() < 4)
            fail(QStringLiteral("the file ends before %1").arg(what));
        const qint32 value = qFromLittleEndian<qint32>(m_data + m_pos);
        m_pos += 4;
        return value;
    }

    // Inflates one zlib stream from the current position into exactly `size` bytes and moves
    // past the stream's end. The buffer grows with the output, so a stated size never decides
    // an allocation by itself.
    QByteArray inflatePicture(qint32 size)
    {
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK)
            fail(QStringLiteral("zlib cannot be initialised"));
        const auto release = qScopeGuard([&] { inflateEnd(&zs); });
        zs.next_in = const_cast<Bytef *>(m_data + m_pos);
        zs.avail_in = uInt(std::min<qint64>(left(), UINT_MAX));

        // Deflate expands at most 1032-fold, so the bytes left bound what a stream can produce;
        // up to 16 MiB the stated size is taken at once, beyond that the buffer grows as needed.
        QByteArray out;
        out.resize(qsizetype(std::min<qint64>({size, 16 * 1024 * 1024, left() * 1032 + 64})));
        qint64 produced = 0;
        for (;;) {
            if (produced == out.size() && produced < size)
                out.resize(qsizetype(std::min<qint64>(qint64(out.size()) * 2, size)));
            // At the stated size one more byte of room tells "more than stated" from the end.
            char spare;
            const bool full = produced == size;
            zs.next_out = reinterpret_cast<Bytef *>(full ? &spare : out.data() + produced);
            zs.avail_out = uInt(full ? 1 : out.size() - produced);
            const uInt room = zs.avail_out;
            const int rc = inflate(&zs, Z_NO_FLUSH);
            const uInt written = room - zs.avail_out;
            if (full && written > 0)
                fail(QStringLiteral("the picture inflates to more than the stated %1 bytes").arg(size));
            produced += written;
            if (rc == Z_STREAM_END)
                break;
            if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_STREAM_ERROR)
                fail(QStringLiteral("the compressed picture is damaged (%1)")
                         .arg(QString::fromLatin1(zs.msg ? zs.msg : "invalid data")));
            if (rc == Z_MEM_ERROR)
                fail(QStringLiteral("out of memory while inflating the picture"));
            if (zs.avail_in == 0 && written == 0)
                fail(QStringLiteral("the compressed picture ends early"));
        }
        if (produced != size)
            fail(QStringLiteral("the picture inflates to %1 bytes instead of the stated %2").arg(produced).arg(size));
        m_pos += qint64(reinterpret_cast<const uchar *>(zs.next_in) - (m_data + m_pos));
        out.resize(size);
        // The buffer may have grown past the picture, which is kept for as long as it is shown.
        if (out.capacity() - size > 64 * 1024)
            out.squeeze();
        return out;
    }

    QString m_file;
    const uchar *m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    qint32 m_entry = 0;
    QString m_name;
};

} // namespace

void LoadPictureLibrary(const QString &FileName, const PictureCallback &loadPicture)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, file.errorString()));
    const qint64 size = file.size();
    if (size == 0)
        return LibraryReader(FileName, nullptr, 0).read(loadPicture);
    // Mapping reads the file forward once without copying it; a file that cannot be mapped is read.
    if (const uchar *mapped = file.map(0, size))
        return LibraryReader(FileName, mapped, size).read(loadPicture);
    const QByteArray bytes = file.readAll();
    LibraryReader(FileName, reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()).read(loadPicture);
}

void loadLibraryPicture(const QByteArray &picture, const QString &sName)
{
    const QStringList parts = sName.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return;
    const QString &formName = parts.at(1);
    const QString &controlName = parts.at(2);
    const QByteArray format = Picture::formatForExtension(parts.at(3));
    TdbImage *target = nullptr;
    for (FormBase *form : openForms())
        if (form->name() == formName)
            for (TdbImage *image : form->componentsOf<TdbImage>())
                if (image->objectName() == controlName)
                    target = image;
    if (!target || format.isEmpty())
        return;
    try {
        target->setPicture(Picture::decode(picture, format));
    } catch (const ConversionError &error) {
        throw ParseError(
            QStringLiteral("The picture library entry \"%1\" cannot be used: %2").arg(sName, error.message()));
    }
}

} // namespace tarvo

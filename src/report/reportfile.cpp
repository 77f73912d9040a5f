#include "report/reportfile.h"

#include "platform/errors.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QScopeGuard>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <deque>
#include <zlib.h>

namespace tarvo {

namespace {

const QByteArray magic = QByteArrayLiteral("TarvoRpt");
constexpr quint16 formatVersion = 1;
// The file and what it inflates to; a saved report of this size would be tens of thousands of
// pages.
constexpr qint64 maxBytes = 256 * 1024 * 1024;
constexpr qsizetype headerSize = 8 + 2 + 4;
// Lengths in mm and font sizes beyond these are no report of ours.
constexpr double maxLength = 100000;
constexpr double maxFontSize = 1000;
constexpr quint32 maxOutlineLevel = 1000;

class Writer {
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void u32(quint32 v) { raw(qToBigEndian(v)); }
    void i32(qint32 v) { raw(qToBigEndian(v)); }
    void i64(qint64 v) { raw(qToBigEndian(v)); }
    void f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        raw(qToBigEndian(bits));
    }
    void bytes(const QByteArray &b)
    {
        u32(quint32(b.size()));
        m_out.append(b);
    }
    void text(const QString &s) { bytes(s.toUtf8()); }
    void colour(const QColor &c)
    {
        u8(c.isValid());
        u32(c.isValid() ? c.rgba() : 0);
    }
    const QByteArray &data() const { return m_out; }

private:
    template <class T> void raw(T v) { m_out.append(reinterpret_cast<const char *>(&v), sizeof v); }
    QByteArray m_out;
};

class Reader {
public:
    Reader(const QByteArray &data, const QString &source) : m_data(data), m_source(source) {}

    [[noreturn]] void fail(const QString &problem) const
    {
        throw ParseError(QStringLiteral("Saved report \"%1\": %2").arg(m_source, problem));
    }

    qsizetype left() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }

    quint8 u8() { return raw<quint8>(); }
    quint32 u32() { return qFromBigEndian(raw<quint32>()); }
    qint32 i32() { return qFromBigEndian(raw<qint32>()); }
    qint64 i64() { return qFromBigEndian(raw<qint64>()); }
    double f64(double min, double max, const char *what)
    {
        const quint64 bits = qFromBigEndian(raw<quint64>());
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || v < min || v > max)
            fail(QStringLiteral("the %1 %2 is out of range").arg(QLatin1String(what)).arg(v));
        return v;
    }
    bool flag() { return choice(1, "flag") == 1; }
    // A small enumeration: a byte of at most `max`.
    quint8 choice(quint8 max, const char *what)
    {
        const quint8 v = u8();
        if (v > max)
            fail(QStringLiteral("unknown %1 %2").arg(QLatin1String(what)).arg(v));
        return v;
    }
    QByteArray bytes()
    {
        const quint32 n = u32();
        if (n > quint64(left()))
            fail(QStringLiteral("it ends early"));
        const QByteArray b = m_data.mid(m_pos, n);
        m_pos += n;
        return b;
    }
    QString text() { return QString::fromUtf8(bytes()); }
    QColor colour()
    {
        const bool valid = flag();
        const QRgb rgba = u32();
        return valid ? QColor::fromRgba(rgba) : QColor();
    }
    // A count of records taking at least `minSize` bytes each: never more than the bytes left
    // can hold, so a damaged count cannot make anything large.
    quint32 count(qsizetype minSize)
    {
        const quint32 n = u32();
        if (quint64(n) * quint64(minSize) > quint64(left()))
            fail(QStringLiteral("it ends early"));
        return n;
    }

private:
    template <class T> T raw()
    {
        if (left() < qsizetype(sizeof(T)))
            fail(QStringLiteral("it ends early"));
        T v;
        std::memcpy(&v, m_data.constData() + m_pos, sizeof v);
        m_pos += sizeof v;
        return v;
    }

    const QByteArray &m_data;
    QString m_source;
    qsizetype m_pos = 0;
};

// Record sizes for Reader::count: the fixed part of each record.
constexpr qsizetype styleSize = 1 + 4 + 8 + 3 + 3 * 5 + 8 + 4 + 1 + 8;
constexpr qsizetype itemSize = 4 + 1 + 4 + 4 * 8 + 4 + 4 + 1;
constexpr qsizetype pageSize = 4;
constexpr qsizetype entrySize = 4 + 4 + 4 + 8;

void writeStyle(Writer &w, const ReportItem &s)
{
    w.u8(quint8(s.kind));
    w.text(s.font);
    w.f64(s.size);
    w.u8(s.bold);
    w.u8(s.italic);
    w.u8(s.underline);
    w.colour(s.colour);
    w.colour(s.fill);
    w.colour(s.borderColour);
    w.f64(s.border);
    w.u32(quint32(s.align.toInt()));
    w.u8(s.wrap);
    w.f64(s.lineWidth);
}

ReportItem readStyle(Reader &r)
{
    ReportItem s;
    s.kind = ItemKind(r.choice(quint8(ItemKind::Image), "item kind"));
    s.font = r.text();
    s.size = r.f64(0.1, maxFontSize, "font size");
    s.bold = r.flag();
    s.italic = r.flag();
    s.underline = r.flag();
    s.colour = r.colour();
    s.fill = r.colour();
    s.borderColour = r.colour();
    s.border = r.f64(0, maxLength, "frame width");
    s.align = Qt::Alignment::fromInt(int(r.u32())) & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask);
    s.wrap = r.flag();
    s.lineWidth = r.f64(0, maxLength, "line width");
    return s;
}

void writeLayout(Writer &w, const QPageLayout &layout)
{
    const QSizeF size = layout.pageSize().size(QPageSize::Millimeter);
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    w.f64(size.width());
    w.f64(size.height());
    w.u8(layout.orientation() == QPageLayout::Landscape);
    for (double m : {margins.left(), margins.top(), margins.right(), margins.bottom()})
        w.f64(m);
}

QPageLayout readLayout(Reader &r)
{
    const double width = r.f64(1, maxLength, "page width");
    const double height = r.f64(1, maxLength, "page height");
    const auto orientation = r.flag() ? QPageLayout::Landscape : QPageLayout::Portrait;
    double m[4];
    for (double &v : m)
        v = r.f64(0, maxLength, "margin");
    const QPageSize size(QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    QPageLayout layout(size, orientation, QMarginsF(), QPageLayout::Millimeter);
    const QSizeF paper = layout.fullRect(QPageLayout::Millimeter).size();
    if (m[0] + m[2] >= paper.width() || m[1] + m[3] >= paper.height())
        r.fail(QStringLiteral("the margins leave no room on the page"));
    layout.setMargins(QMarginsF(m[0], m[1], m[2], m[3]));
    return layout;
}

void writeItem(Writer &w, const PreparedItem &item, quint32 style)
{
    w.u32(style);
    w.u8(quint8(item.band));
    w.i32(item.row);
    for (double v : {item.rect.x(), item.rect.y(), item.rect.width(), item.rect.height()})
        w.f64(v);
    w.text(item.text);
    QByteArray png;
    if (!item.image.isNull()) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        item.image.save(&buffer, "PNG");
    }
    w.bytes(png);
    if (item.number.typeId() == QMetaType::Double) {
        w.u8(2);
        w.f64(item.number.toDouble());
    } else if (item.number.isValid()) {
        w.u8(1);
        w.i64(item.number.toLongLong());
    } else {
        w.u8(0);
    }
}

PreparedItem readItem(Reader &r, const std::deque<ReportItem> &styles)
{
    PreparedItem item;
    const quint32 style = r.u32();
    if (style >= styles.size())
        r.fail(QStringLiteral("an item refers to the missing style %1").arg(style));
    item.source = &styles[style];
    item.band = BandType(r.choice(quint8(BandType::DetailFooter), "band"));
    item.row = r.i32();
    if (item.row < -1)
        item.row = -1;
    double v[4];
    for (double &x : v)
        x = r.f64(-maxLength, maxLength, "item position");
    item.rect = QRectF(v[0], v[1], v[2], v[3]);
    item.text = r.text();
    const QByteArray png = r.bytes();
    if (!png.isEmpty()) {
        item.image = QImage::fromData(png, "PNG");
        if (item.image.isNull())
            r.fail(QStringLiteral("a picture is damaged"));
    }
    switch (r.choice(2, "number kind")) {
    case 1:
        item.number = r.i64();
        break;
    case 2:
        item.number = r.f64(-HUGE_VAL, HUGE_VAL, "number");
        break;
    default:
        break;
    }
    return item;
}

QByteArray payloadOf(const PreparedReport &report)
{
    Writer w;
    w.text(report.title);
    writeLayout(w, report.layout);
    w.bytes(report.source ? report.source->toXml() : QByteArray());
    // Items share styles: each distinct one is written once and referred to by its index.
    QHash<const ReportItem *, quint32> index;
    QList<const ReportItem *> styles;
    for (const PreparedPage &page : report.pages) {
        for (const PreparedItem &item : page.items) {
            if (!index.contains(item.source)) {
                index.insert(item.source, quint32(styles.size()));
                styles << item.source;
            }
        }
    }
    w.u32(quint32(styles.size()));
    for (const ReportItem *style : styles)
        writeStyle(w, *style);
    w.u32(quint32(report.pages.size()));
    for (const PreparedPage &page : report.pages) {
        w.u32(quint32(page.items.size()));
        for (const PreparedItem &item : page.items)
            writeItem(w, item, index.value(item.source));
    }
    w.u32(quint32(report.outline.size()));
    for (const OutlineEntry &e : report.outline) {
        w.text(e.text);
        w.u32(quint32(e.level));
        w.u32(quint32(e.page));
        w.f64(e.y);
    }
    return w.data();
}

PreparedReport reportOf(const QByteArray &payload, const QString &sourceName)
{
    Reader r(payload, sourceName);
    PreparedReport report;
    report.title = r.text();
    report.layout = readLayout(r);
    const QByteArray xml = r.bytes();
    try {
        report.source = std::make_shared<const ReportTemplate>(
            xml.isEmpty() ? ReportTemplate() : ReportTemplate::fromXml(xml, sourceName));
    } catch (const ParseError &e) {
        r.fail(QStringLiteral("its template is damaged: %1").arg(e.message()));
    }
    auto styles = std::make_shared<std::deque<ReportItem>>();
    for (quint32 n = r.count(styleSize); n > 0; --n)
        styles->push_back(readStyle(r));
    report.styles = styles;
    for (quint32 pages = r.count(pageSize); pages > 0; --pages) {
        PreparedPage page;
        for (quint32 n = r.count(itemSize); n > 0; --n)
            page.items << readItem(r, *styles);
        report.pages << page;
    }
    for (quint32 n = r.count(entrySize); n > 0; --n) {
        OutlineEntry e;
        e.text = r.text();
        const quint32 level = r.u32();
        const quint32 page = r.u32();
        if (level > maxOutlineLevel || page >= quint32(report.pages.size()))
            r.fail(QStringLiteral("an outline entry points past the pages"));
        e.level = int(level);
        e.page = int(page);
        e.y = r.f64(-maxLength, maxLength, "outline position");
        report.outline << e;
    }
    if (!r.atEnd())
        r.fail(QStringLiteral("unknown data follows the report"));
    return report;
}

// Inflates a zlib stream that must give exactly `expected` bytes. The output grows only with
// what the stream really produces, so neither the stated size nor a stream that inflates far
// beyond it can claim more memory than `expected`.
QByteArray inflated(const QByteArray &stream, quint32 expected, const Reader &r)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        r.fail(QStringLiteral("zlib cannot be initialised"));
    const auto release = qScopeGuard([&] { inflateEnd(&zs); });
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.constData()));
    zs.avail_in = uInt(stream.size());
    QByteArray out;
    char chunk[64 * 1024];
    for (;;) {
        zs.next_out = reinterpret_cast<Bytef *>(chunk);
        zs.avail_out = sizeof chunk;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof chunk - zs.avail_out);
        if (out.size() + produced > qsizetype(expected))
            r.fail(QStringLiteral("it holds more than it states"));
        out.append(chunk, produced);
        if (rc == Z_STREAM_END)
            break;
        if (rc != Z_OK && !(rc == Z_BUF_ERROR && zs.avail_in > 0))
            r.fail(zs.avail_in == 0 ? QStringLiteral("it ends early") : QStringLiteral("it is damaged"));
    }
    if (zs.avail_in != 0)
        r.fail(QStringLiteral("unknown data follows the report"));
    if (out.size() != qsizetype(expected))
        r.fail(QStringLiteral("it holds less than it states"));
    return out;
}

} // namespace

QByteArray preparedReportBytes(const PreparedReport &report)
{
    const QByteArray payload = payloadOf(report);
    if (payload.size() > maxBytes)
        throw FileError(QStringLiteral("The report is too large to save (%1 MB).").arg(payload.size() >> 20));
    uLongf size = compressBound(uLong(payload.size()));
    QByteArray stream(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(stream.data()), &size, reinterpret_cast<const Bytef *>(payload.constData()),
                  uLong(payload.size()), Z_DEFAULT_COMPRESSION)
        != Z_OK)
        throw FileError(QStringLiteral("The report cannot be compressed."));
    stream.truncate(qsizetype(size));
    QByteArray out = magic;
    const quint16 version = qToBigEndian(formatVersion);
    const quint32 length = qToBigEndian(quint32(payload.size()));
    out.append(reinterpret_cast<const char *>(&version), sizeof version);
    out.append(reinterpret_cast<const char *>(&length), sizeof length);
    return out + stream;
}

PreparedReport preparedReportFromBytes(const QByteArray &bytes, const QString &sourceName)
{
    const Reader header(bytes, sourceName);
    if (bytes.isEmpty())
        header.fail(QStringLiteral("the file is empty"));
    if (!bytes.startsWith(magic))
        header.fail(QStringLiteral("the file is no saved Tarvo report"));
    if (bytes.size() < headerSize)
        header.fail(QStringLiteral("it ends early"));
    const quint16 version = qFromBigEndian<quint16>(bytes.constData() + magic.size());
    if (version != formatVersion)
        header.fail(QStringLiteral("it was saved in format %1; this version of Tarvo reads format %2")
                        .arg(version)
                        .arg(formatVersion));
    const quint32 length = qFromBigEndian<quint32>(bytes.constData() + magic.size() + 2);
    if (length > maxBytes)
        header.fail(QStringLiteral("it states a size of %1 bytes, more than a report can have").arg(length));
    return reportOf(inflated(bytes.mid(headerSize), length, header), sourceName);
}

void savePreparedReport(const PreparedReport &report, const QString &path)
{
    const QByteArray bytes = preparedReportBytes(report);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(QStringLiteral("Cannot write the file %1: %2").arg(path, file.errorString()));
}

PreparedReport loadPreparedReport(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot read the file %1: %2").arg(path, file.errorString()));
    if (file.size() > maxBytes)
        throw FileError(QStringLiteral("The file %1 is too large to be a saved report.").arg(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read the file %1: %2").arg(path, file.errorString()));
    return preparedReportFromBytes(bytes, path);
}

} // namespace tarvo

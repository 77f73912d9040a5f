// Reading and writing the template format. Templates come from files that anyone may edit, so
// every number is checked against a range before it sizes anything.
#include "report/reporttemplate.h"

#include "platform/errors.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <cmath>

namespace tarvo {

namespace {

constexpr qint64 maxFileBytes = 64 * 1024 * 1024;
constexpr int maxItemsPerBand = 10000;
constexpr int maxTextLength = 100000;
constexpr qsizetype maxImageBase64 = 32 * 1024 * 1024;
constexpr double maxLength = 2000; // mm, larger than any paper

struct Reader {
    QString source;

    [[noreturn]] void fail(const QString &problem) const
    {
        throw ParseError(QStringLiteral("Report template \"%1\": %2").arg(source, problem));
    }

    double number(const QDomElement &e, const char *name, double fallback, double min,
                   double max) const
    {
        const QString raw = e.attribute(QLatin1String(name));
        if (raw.isEmpty())
            return fallback;
        bool ok = false;
        const double value = raw.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < min || value > max)
            fail(QStringLiteral("attribute %1=\"%2\" of <%3> is not a number from %4 to %5")
                     .arg(QLatin1String(name), raw, e.tagName())
                     .arg(min)
                     .arg(max));
        return value;
    }

    bool flag(const QDomElement &e, const char *name, bool fallback) const
    {
        const QString raw = e.attribute(QLatin1String(name)).trimmed().toLower();
        if (raw.isEmpty())
            return fallback;
        if (raw == QLatin1String("1") || raw == QLatin1String("true"))
            return true;
        if (raw == QLatin1String("0") || raw == QLatin1String("false"))
            return false;
        fail(QStringLiteral("attribute %1=\"%2\" of <%3> is not 0 or 1")
                 .arg(QLatin1String(name), raw, e.tagName()));
    }

    QColor colour(const QDomElement &e, const char *name, QColor fallback) const
    {
        const QString raw = e.attribute(QLatin1String(name)).trimmed();
        if (raw.isEmpty())
            return fallback;
        const QColor c = QColor::fromString(raw);
        if (!raw.startsWith(QLatin1Char('#')) || raw.size() != 7 || !c.isValid())
            fail(QStringLiteral("attribute %1=\"%2\" of <%3> is not a colour #RRGGBB")
                     .arg(QLatin1String(name), raw, e.tagName()));
        return c;
    }

    template <class T, size_t N>
    T choice(const QDomElement &e, const char *name, const std::pair<const char *, T> (&table)[N],
             T fallback) const
    {
        const QString raw = e.attribute(QLatin1String(name)).trimmed();
        if (raw.isEmpty())
            return fallback;
        for (const auto &[key, value] : table) {
            if (raw.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return value;
        }
        fail(QStringLiteral("attribute %1=\"%2\" of <%3> is not allowed")
                 .arg(QLatin1String(name), raw, e.tagName()));
    }
};

const std::pair<const char *, Qt::Alignment> horizontal[] = {
    {"left", Qt::AlignLeft}, {"center", Qt::AlignHCenter}, {"right", Qt::AlignRight},
    {"justify", Qt::AlignJustify}};
const std::pair<const char *, Qt::Alignment> vertical[] = {
    {"top", Qt::AlignTop}, {"center", Qt::AlignVCenter}, {"bottom", Qt::AlignBottom}};
const std::pair<const char *, QPageLayout::Orientation> orientations[] = {
    {"portrait", QPageLayout::Portrait}, {"landscape", QPageLayout::Landscape}};
const std::pair<const char *, ItemKind> itemKinds[] = {
    {"text", ItemKind::Text}, {"line", ItemKind::Line}, {"rect", ItemKind::Rect},
    {"image", ItemKind::Image}};

template <class T, size_t N>
const char *keyOf(const std::pair<const char *, T> (&table)[N], T value)
{
    for (const auto &[key, v] : table) {
        if (v == value)
            return key;
    }
    return table[0].first;
}

QPageSize parsePageSize(const Reader &r, const QDomElement &e)
{
    const QString raw = e.attribute(QStringLiteral("size"), QStringLiteral("A4")).trimmed();
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        if (id != QPageSize::Custom
            && QPageSize::key(QPageSize::PageSizeId(id)).compare(raw, Qt::CaseInsensitive) == 0)
            return QPageSize(QPageSize::PageSizeId(id));
    }
    const QStringList wh = raw.split(QLatin1Char('x'));
    bool okW = false, okH = false;
    const double w = wh.value(0).toDouble(&okW), h = wh.value(1).toDouble(&okH);
    if (wh.size() != 2 || !okW || !okH || !(w >= 10 && w <= maxLength && h >= 10 && h <= maxLength))
        r.fail(QStringLiteral("page size \"%1\" is neither a paper name nor WIDTHxHEIGHT in mm "
                              "(10 to 2000)").arg(raw));
    return QPageSize(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

void readPage(const Reader &r, const QDomElement &e, PageSetup &page)
{
    page.size = parsePageSize(r, e);
    page.orientation = r.choice(e, "orientation", orientations, QPageLayout::Portrait);
    const QSizeF mm = page.layout().fullRect(QPageLayout::Millimeter).size();
    page.margins = QMarginsF(r.number(e, "left", 10, 0, mm.width() / 2),
                             r.number(e, "top", 10, 0, mm.height() / 2),
                             r.number(e, "right", 10, 0, mm.width() / 2),
                             r.number(e, "bottom", 10, 0, mm.height() / 2));
}

ReportItem readItem(const Reader &r, const QDomElement &e)
{
    ReportItem item;
    for (const auto &[key, kind] : itemKinds) {
        if (e.tagName() == QLatin1String(key))
            item.kind = kind;
    }
    item.rect = QRectF(r.number(e, "x", 0, -maxLength, maxLength),
                       r.number(e, "y", 0, -maxLength, maxLength),
                       r.number(e, "w", 0, item.kind == ItemKind::Line ? -maxLength : 0, maxLength),
                       r.number(e, "h", 0, item.kind == ItemKind::Line ? -maxLength : 0, maxLength));
    item.colour = r.colour(e, "colour", Qt::black);
    item.lineWidth = r.number(e, "width", 0.2, 0, 50);
    switch (item.kind) {
    case ItemKind::Text:
        item.text = e.text();
        if (item.text.size() > maxTextLength)
            r.fail(QStringLiteral("a text item is longer than %1 characters").arg(maxTextLength));
        item.font = e.attribute(QStringLiteral("font"), item.font);
        item.size = r.number(e, "size", 10, 1, 500);
        item.bold = r.flag(e, "bold", false);
        item.italic = r.flag(e, "italic", false);
        item.underline = r.flag(e, "underline", false);
        item.align = r.choice(e, "align", horizontal, Qt::Alignment(Qt::AlignLeft))
            | r.choice(e, "valign", vertical, Qt::Alignment(Qt::AlignTop));
        item.wrap = r.flag(e, "wrap", true);
        item.grow = r.flag(e, "grow", false);
        break;
    case ItemKind::Rect:
        item.fill = r.colour(e, "fill", QColor());
        break;
    case ItemKind::Image: {
        item.field = e.attribute(QStringLiteral("field"));
        const QString base64 = e.text().trimmed();
        if (base64.size() > maxImageBase64)
            r.fail(QStringLiteral("an embedded picture is larger than %1 MB").arg(maxImageBase64 >> 20));
        item.png = QByteArray::fromBase64(base64.toLatin1());
        if (!item.png.isEmpty() && !item.image.loadFromData(item.png))
            r.fail(QStringLiteral("an embedded picture cannot be decoded"));
        break;
    }
    case ItemKind::Line:
        break;
    }
    return item;
}

BandType bandTypeOf(const QString &tag, bool *ok)
{
    for (BandType t : allBandTypes()) {
        if (bandTypeName(t) == tag) {
            *ok = true;
            return t;
        }
    }
    *ok = false;
    return BandType::MasterData;
}

void readBand(const Reader &r, const QDomElement &e, ReportTemplate &t, BandType type)
{
    if (t.band(type))
        r.fail(QStringLiteral("band <%1> appears twice").arg(e.tagName()));
    ReportBand &band = t.addBand(type);
    band.height = r.number(e, "height", 10, 0, maxLength);
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        bool known = false;
        for (const auto &[key, kind] : itemKinds)
            known = known || c.tagName() == QLatin1String(key);
        if (!known)
            r.fail(QStringLiteral("unknown item <%1> in <%2>").arg(c.tagName(), e.tagName()));
        if (band.items.size() >= maxItemsPerBand)
            r.fail(QStringLiteral("band <%1> has more than %2 items").arg(e.tagName()).arg(maxItemsPerBand));
        band.items << readItem(r, c);
    }
}

QString mm(double value)
{
    return QString::number(value, 'g', 10);
}

void writeItem(QXmlStreamWriter &w, const ReportItem &item)
{
    w.writeStartElement(QLatin1String(keyOf(itemKinds, item.kind)));
    w.writeAttribute(QStringLiteral("x"), mm(item.rect.x()));
    w.writeAttribute(QStringLiteral("y"), mm(item.rect.y()));
    w.writeAttribute(QStringLiteral("w"), mm(item.rect.width()));
    w.writeAttribute(QStringLiteral("h"), mm(item.rect.height()));
    if (item.colour != Qt::black)
        w.writeAttribute(QStringLiteral("colour"), item.colour.name());
    if (item.kind != ItemKind::Text && item.kind != ItemKind::Image)
        w.writeAttribute(QStringLiteral("width"), mm(item.lineWidth));
    switch (item.kind) {
    case ItemKind::Text: {
        w.writeAttribute(QStringLiteral("font"), item.font);
        w.writeAttribute(QStringLiteral("size"), mm(item.size));
        const std::pair<const char *, bool> flags[] = {
            {"bold", item.bold}, {"italic", item.italic}, {"underline", item.underline},
            {"grow", item.grow}};
        for (const auto &[name, on] : flags) {
            if (on)
                w.writeAttribute(QLatin1String(name), QStringLiteral("1"));
        }
        if (!item.wrap)
            w.writeAttribute(QStringLiteral("wrap"), QStringLiteral("0"));
        w.writeAttribute(QStringLiteral("align"),
                         QLatin1String(keyOf(horizontal, item.align & Qt::AlignHorizontal_Mask)));
        w.writeAttribute(QStringLiteral("valign"),
                         QLatin1String(keyOf(vertical, item.align & Qt::AlignVertical_Mask)));
        w.writeCharacters(item.text);
        break;
    }
    case ItemKind::Rect:
        if (item.fill.isValid())
            w.writeAttribute(QStringLiteral("fill"), item.fill.name());
        break;
    case ItemKind::Image:
        if (!item.field.isEmpty())
            w.writeAttribute(QStringLiteral("field"), item.field);
        if (!item.png.isEmpty())
            w.writeCharacters(QString::fromLatin1(item.png.toBase64()));
        break;
    case ItemKind::Line:
        break;
    }
    w.writeEndElement();
}

} // namespace

ReportTemplate ReportTemplate::load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw FileError(QStringLiteral("Report template not found: %1").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot read the report template %1: %2").arg(path, file.errorString()));
    if (file.size() > maxFileBytes)
        throw ParseError(QStringLiteral("Report template \"%1\": the file is larger than 64 MB").arg(path));
    return fromXml(file.readAll(), path);
}

ReportTemplate ReportTemplate::fromXml(const QByteArray &xml, const QString &sourceName)
{
    const Reader r{sourceName};
    if (xml.trimmed().isEmpty())
        r.fail(QStringLiteral("the file is empty"));
    QDomDocument doc;
    QString error;
    int line = 0, column = 0;
    if (!doc.setContent(xml, &error, &line, &column))
        r.fail(QStringLiteral("not valid XML: %1 (line %2, column %3)").arg(error).arg(line).arg(column));
    const QDomElement root = doc.documentElement();
    if (root.tagName() != QLatin1String("report"))
        r.fail(QStringLiteral("the root element is <%1>, not <report>").arg(root.tagName()));

    ReportTemplate t;
    t.title = root.attribute(QStringLiteral("title"));
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        bool isBand = false;
        const BandType type = bandTypeOf(e.tagName(), &isBand);
        if (e.tagName() == QLatin1String("page"))
            readPage(r, e, t.page);
        else if (isBand)
            readBand(r, e, t, type);
        else
            r.fail(QStringLiteral("unknown element <%1>").arg(e.tagName()));
    }
    return t;
}

QByteArray ReportTemplate::toXml() const
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("report"));
    if (!title.isEmpty())
        w.writeAttribute(QStringLiteral("title"), title);
    w.writeStartElement(QStringLiteral("page"));
    const QString sizeText = page.size.id() == QPageSize::Custom
        ? mm(page.size.size(QPageSize::Millimeter).width()) + QLatin1Char('x')
            + mm(page.size.size(QPageSize::Millimeter).height())
        : QPageSize::key(page.size.id());
    w.writeAttribute(QStringLiteral("size"), sizeText);
    w.writeAttribute(QStringLiteral("orientation"), QLatin1String(keyOf(orientations, page.orientation)));
    w.writeAttribute(QStringLiteral("left"), mm(page.margins.left()));
    w.writeAttribute(QStringLiteral("top"), mm(page.margins.top()));
    w.writeAttribute(QStringLiteral("right"), mm(page.margins.right()));
    w.writeAttribute(QStringLiteral("bottom"), mm(page.margins.bottom()));
    w.writeEndElement();
    for (const ReportBand &band : m_bands) {
        w.writeStartElement(bandTypeName(band.type));
        w.writeAttribute(QStringLiteral("height"), mm(band.height));
        for (const ReportItem &item : band.items)
            writeItem(w, item);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

void ReportTemplate::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toXml()) < 0 || !file.commit())
        throw FileError(QStringLiteral("Cannot write the report template %1: %2").arg(path, file.errorString()));
}

} // namespace tarvo

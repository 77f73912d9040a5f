// Reading and writing the template format. Templates come from files that anyone may edit, so
// every number is checked against a range before it sizes anything.
#include "report/reporttemplate.h"

#include "platform/errors.h"
#include "report/reportformat.h"

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
constexpr int maxColumns = 100;

struct Reader {
    QString source;

    [[noreturn]] void fail(const QString &problem) const
    {
        throw ParseError(QStringLiteral("Report template \"%1\": %2").arg(source, problem));
    }

    double number(const QDomElement &e, const char *name, double fallback, double min, double max) const
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
        fail(QStringLiteral("attribute %1=\"%2\" of <%3> is not 0 or 1").arg(QLatin1String(name), raw, e.tagName()));
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
    T choice(const QDomElement &e, const char *name, const std::pair<const char *, T> (&table)[N], T fallback) const
    {
        const QString raw = e.attribute(QLatin1String(name)).trimmed();
        if (raw.isEmpty())
            return fallback;
        for (const auto &[key, value] : table) {
            if (raw.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return value;
        }
        fail(QStringLiteral("attribute %1=\"%2\" of <%3> is not allowed").arg(QLatin1String(name), raw, e.tagName()));
    }
};

const std::pair<const char *, Qt::Alignment> horizontal[] = {{"left", Qt::AlignLeft},
                                                             {"center", Qt::AlignHCenter},
                                                             {"right", Qt::AlignRight},
                                                             {"justify", Qt::AlignJustify}};
const std::pair<const char *, Qt::Alignment> vertical[] = {{"top", Qt::AlignTop},
                                                           {"center", Qt::AlignVCenter},
                                                           {"bottom", Qt::AlignBottom}};
const std::pair<const char *, QPageLayout::Orientation> orientations[] = {{"portrait", QPageLayout::Portrait},
                                                                          {"landscape", QPageLayout::Landscape}};
const std::pair<const char *, ItemKind> itemKinds[] = {{"text", ItemKind::Text},
                                                       {"line", ItemKind::Line},
                                                       {"rect", ItemKind::Rect},
                                                       {"image", ItemKind::Image}};

template <class T, size_t N> const char *keyOf(const std::pair<const char *, T> (&table)[N], T value)
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
        if (id != QPageSize::Custom && QPageSize::key(QPageSize::PageSizeId(id)).compare(raw, Qt::CaseInsensitive) == 0)
            return QPageSize(QPageSize::PageSizeId(id));
    }
    const QStringList wh = raw.split(QLatin1Char('x'));
    bool okW = false, okH = false;
    const double w = wh.value(0).toDouble(&okW), h = wh.value(1).toDouble(&okH);
    if (wh.size() != 2 || !okW || !okH || !(w >= 10 && w <= maxLength && h >= 10 && h <= maxLength))
        r.fail(QStringLiteral("page size \"%1\" is neither a paper name nor WIDTHxHEIGHT in mm "
                              "(10 to 2000)")
                   .arg(raw));
    return QPageSize(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

void readPage(const Reader &r, const QDomElement &e, PageSetup &page)
{
    page.size = parsePageSize(r, e);
    page.orientation = r.choice(e, "orientation", orientations, QPageLayout::Portrait);
    const QSizeF mm = page.layout().fullRect(QPageLayout::Millimeter).size();
    page.margins = QMarginsF(r.number(e, "left", 10, 0, mm.width() / 2), r.number(e, "top", 10, 0, mm.height() / 2),
                             r.number(e, "right", 10, 0, mm.width() / 2),
                             r.number(e, "bottom", 10, 0, mm.height() / 2));
}

// The text of a text item: its own text, not that of its <highlight> children.
QString ownText(const QDomElement &e)
{
    QString text;
    for (QDomNode n = e.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText() || n.isCDATASection())
            text += n.toCharacterData().data();
    }
    return text;
}

void readHighlights(const Reader &r, const QDomElement &e, ReportItem &item)
{
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        if (c.tagName() != QLatin1String("highlight"))
            r.fail(QStringLiteral("line %1: unknown element <%2> in <%3>")
                       .arg(c.lineNumber())
                       .arg(c.tagName(), e.tagName()));
        ReportHighlight h;
        h.condition = c.attribute(QStringLiteral("if"));
        h.colour = r.colour(c, "colour", QColor());
        h.fill = r.colour(c, "fill", QColor());
        if (c.hasAttribute(QStringLiteral("bold")))
            h.bold = r.flag(c, "bold", false);
        item.highlights << h;
    }
}

ReportItem readItem(const Reader &r, const QDomElement &e)
{
    ReportItem item;
    item.line = e.lineNumber();
    item.printIf = e.attribute(QStringLiteral("printIf"));
    for (const auto &[key, kind] : itemKinds) {
        if (e.tagName() == QLatin1String(key))
            item.kind = kind;
    }
    item.rect = QRectF(r.number(e, "x", 0, -maxLength, maxLength), r.number(e, "y", 0, -maxLength, maxLength),
                       r.number(e, "w", 0, item.kind == ItemKind::Line ? -maxLength : 0, maxLength),
                       r.number(e, "h", 0, item.kind == ItemKind::Line ? -maxLength : 0, maxLength));
    item.colour = r.colour(e, "colour", Qt::black);
    item.lineWidth = r.number(e, "width", 0.2, 0, 50);
    switch (item.kind) {
    case ItemKind::Text:
        item.text = ownText(e);
        item.fill = r.colour(e, "fill", QColor());
        item.border = r.number(e, "border", 0, 0, 50);
        item.borderColour = r.colour(e, "borderColour", Qt::black);
        item.format = e.attribute(QStringLiteral("format"));
        if (QString problem; DisplayFormat::parse(item.format, &problem), !problem.isEmpty())
            r.fail(QStringLiteral("line %1: %2").arg(item.line).arg(problem));
        readHighlights(r, e, item);
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

void readBandContent(const Reader &r, const QDomElement &e, ReportBand &band)
{
    band.line = e.lineNumber();
    band.height = r.number(e, "height", 10, 0, maxLength);
    band.printIf = e.attribute(QStringLiteral("printIf"));
    band.pageBreakAfter = r.flag(e, "pageBreakAfter", false);
    if (e.hasAttribute(QStringLiteral("columns"))) {
        const double columns = r.number(e, "columns", 1, 1, maxColumns);
        if (band.type != BandType::MasterData || columns != std::floor(columns))
            r.fail(QStringLiteral("line %1: columns is a whole number of <masterData>").arg(e.lineNumber()));
        band.columns = int(columns);
    }
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        bool known = false;
        for (const auto &[key, kind] : itemKinds)
            known = known || c.tagName() == QLatin1String(key);
        if (!known)
            r.fail(
                QStringLiteral("line %1: unknown item <%2> in <%3>").arg(c.lineNumber()).arg(c.tagName(), e.tagName()));
        if (band.items.size() >= maxItemsPerBand)
            r.fail(QStringLiteral("band <%1> has more than %2 items").arg(e.tagName()).arg(maxItemsPerBand));
        band.items << readItem(r, c);
    }
}

void readBand(const Reader &r, const QDomElement &e, ReportTemplate &t, BandType type)
{
    if (t.band(type))
        r.fail(QStringLiteral("band <%1> appears twice").arg(e.tagName()));
    readBandContent(r, e, t.addBand(type));
}

// Reads the child bands of a <group> or <detail>; each of the given kinds at most once.
void readOwnedBands(const Reader &r, const QDomElement &e,
                    std::initializer_list<std::pair<BandType, std::optional<ReportBand> *>> owned)
{
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        auto slot = std::find_if(owned.begin(), owned.end(),
                                 [&](const auto &s) { return bandTypeName(s.first) == c.tagName(); });
        if (slot == owned.end())
            r.fail(QStringLiteral("line %1: unknown element <%2> in <%3>")
                       .arg(c.lineNumber())
                       .arg(c.tagName(), e.tagName()));
        if (*slot->second)
            r.fail(QStringLiteral("line %1: band <%2> appears twice in <%3>")
                       .arg(c.lineNumber())
                       .arg(c.tagName(), e.tagName()));
        ReportBand band;
        band.type = slot->first;
        readBandContent(r, c, band);
        *slot->second = band;
    }
}

QString requiredAttribute(const Reader &r, const QDomElement &e, const char *name)
{
    const QString value = e.attribute(QLatin1String(name)).trimmed();
    if (value.isEmpty())
        r.fail(QStringLiteral("line %1: <%2> needs the attribute %3")
                   .arg(e.lineNumber())
                   .arg(e.tagName(), QLatin1String(name)));
    return value;
}

void readGroup(const Reader &r, const QDomElement &e, ReportTemplate &t)
{
    ReportGroup g;
    g.line = e.lineNumber();
    g.name = requiredAttribute(r, e, "name");
    g.condition = requiredAttribute(r, e, "condition");
    g.keepTogether = r.flag(e, "keepTogether", false);
    g.newPage = r.flag(e, "newPage", false);
    g.repeatHeader = r.flag(e, "repeatHeader", false);
    readOwnedBands(r, e, {{BandType::GroupHeader, &g.header}, {BandType::GroupFooter, &g.footer}});
    t.groups << g;
}

void readDetail(const Reader &r, const QDomElement &e, ReportTemplate &t)
{
    if (t.detail)
        r.fail(QStringLiteral("line %1: <detail> appears twice").arg(e.lineNumber()));
    ReportDetail d;
    d.line = e.lineNumber();
    d.name = requiredAttribute(r, e, "name");
    d.sql = requiredAttribute(r, e, "sql");
    readOwnedBands(r, e,
                   {{BandType::DetailHeader, &d.header},
                    {BandType::DetailData, &d.data},
                    {BandType::DetailFooter, &d.footer}});
    t.detail = d;
}

void readVariable(const Reader &r, const QDomElement &e, ReportTemplate &t)
{
    t.variables << ReportVariable{requiredAttribute(r, e, "name"), requiredAttribute(r, e, "expression"),
                                  e.lineNumber()};
}

bool isText(const QString &text)
{
    return QStringView(text).isValidUtf16();
}

// A declared encoding may decode to a lone surrogate, which no XML text may hold and no file can
// keep: such a template is refused rather than saved with its text changed.
void checkText(const Reader &r, const QDomElement &root)
{
    QDomNode n = root;
    while (!n.isNull()) {
        bool valid = !n.isCharacterData() || isText(n.toCharacterData().data());
        const QDomNamedNodeMap attributes = n.attributes();
        for (int i = 0; valid && i < attributes.count(); ++i)
            valid = isText(attributes.item(i).nodeValue());
        if (!valid)
            r.fail(QStringLiteral("line %1: a character that is no Unicode").arg(n.lineNumber()));
        // On to the next node in document order, without recursion: nesting may be deep.
        if (!n.firstChild().isNull()) {
            n = n.firstChild();
            continue;
        }
        while (n != root && n.nextSibling().isNull())
            n = n.parentNode();
        n = n == root ? QDomNode() : n.nextSibling();
    }
}

QString mm(double value)
{
    return QString::number(value, 'g', 10);
}

void writeOptional(QXmlStreamWriter &w, const char *name, const QString &value)
{
    if (!value.isEmpty())
        w.writeAttribute(QLatin1String(name), value);
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
        const std::pair<const char *, bool> flags[] = {{"bold", item.bold},
                                                       {"italic", item.italic},
                                                       {"underline", item.underline},
                                                       {"grow", item.grow}};
        for (const auto &[name, on] : flags) {
            if (on)
                w.writeAttribute(QLatin1String(name), QStringLiteral("1"));
        }
        if (!item.wrap)
            w.writeAttribute(QStringLiteral("wrap"), QStringLiteral("0"));
        w.writeAttribute(QStringLiteral("align"),
                         QLatin1String(keyOf(horizontal, item.align & Qt::AlignHorizontal_Mask)));
        w.writeAttribute(QStringLiteral("valign"), QLatin1String(keyOf(vertical, item.align & Qt::AlignVertical_Mask)));
        if (item.fill.isValid())
            w.writeAttribute(QStringLiteral("fill"), item.fill.name());
        if (item.border > 0) {
            w.writeAttribute(QStringLiteral("border"), mm(item.border));
            w.writeAttribute(QStringLiteral("borderColour"), item.borderColour.name());
        }
        if (!item.format.isEmpty())
            w.writeAttribute(QStringLiteral("format"), item.format);
        writeOptional(w, "printIf", item.printIf);
        w.writeCharacters(item.text);
        for (const ReportHighlight &h : item.highlights) {
            w.writeEmptyElement(QStringLiteral("highlight"));
            w.writeAttribute(QStringLiteral("if"), h.condition);
            if (h.colour.isValid())
                w.writeAttribute(QStringLiteral("colour"), h.colour.name());
            if (h.fill.isValid())
                w.writeAttribute(QStringLiteral("fill"), h.fill.name());
            if (h.bold)
                w.writeAttribute(QStringLiteral("bold"), *h.bold ? QStringLiteral("1") : QStringLiteral("0"));
        }
        break;
    }
    case ItemKind::Rect:
        if (item.fill.isValid())
            w.writeAttribute(QStringLiteral("fill"), item.fill.name());
        writeOptional(w, "printIf", item.printIf);
        break;
    case ItemKind::Image:
        writeOptional(w, "printIf", item.printIf);
        if (!item.field.isEmpty())
            w.writeAttribute(QStringLiteral("field"), item.field);
        if (!item.png.isEmpty())
            w.writeCharacters(QString::fromLatin1(item.png.toBase64()));
        break;
    case ItemKind::Line:
        writeOptional(w, "printIf", item.printIf);
        break;
    }
    w.writeEndElement();
}

void writeBand(QXmlStreamWriter &w, const ReportBand &band)
{
    w.writeStartElement(bandTypeName(band.type));
    w.writeAttribute(QStringLiteral("height"), mm(band.height));
    writeOptional(w, "printIf", band.printIf);
    if (band.pageBreakAfter)
        w.writeAttribute(QStringLiteral("pageBreakAfter"), QStringLiteral("1"));
    if (band.columns > 1)
        w.writeAttribute(QStringLiteral("columns"), QString::number(band.columns));
    for (const ReportItem &item : band.items)
        writeItem(w, item);
    w.writeEndElement();
}

void writeOwnedBands(QXmlStreamWriter &w, std::initializer_list<const std::optional<ReportBand> *> bands)
{
    for (const std::optional<ReportBand> *band : bands) {
        if (*band)
            writeBand(w, **band);
    }
}

void writeGroup(QXmlStreamWriter &w, const ReportGroup &g)
{
    w.writeStartElement(QStringLiteral("group"));
    w.writeAttribute(QStringLiteral("name"), g.name);
    w.writeAttribute(QStringLiteral("condition"), g.condition);
    const std::pair<const char *, bool> flags[] = {{"keepTogether", g.keepTogether},
                                                   {"newPage", g.newPage},
                                                   {"repeatHeader", g.repeatHeader}};
    for (const auto &[name, on] : flags) {
        if (on)
            w.writeAttribute(QLatin1String(name), QStringLiteral("1"));
    }
    writeOwnedBands(w, {&g.header, &g.footer});
    w.writeEndElement();
}

void writeDetail(QXmlStreamWriter &w, const ReportDetail &d)
{
    w.writeStartElement(QStringLiteral("detail"));
    w.writeAttribute(QStringLiteral("name"), d.name);
    w.writeAttribute(QStringLiteral("sql"), d.sql);
    writeOwnedBands(w, {&d.header, &d.data, &d.footer});
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

    checkText(r, root);

    ReportTemplate t;
    t.sourceName = sourceName;
    t.title = root.attribute(QStringLiteral("title"));
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        bool isBand = false;
        const BandType type = bandTypeOf(e.tagName(), &isBand);
        if (e.tagName() == QLatin1String("page"))
            readPage(r, e, t.page);
        else if (e.tagName() == QLatin1String("group"))
            readGroup(r, e, t);
        else if (e.tagName() == QLatin1String("detail"))
            readDetail(r, e, t);
        else if (e.tagName() == QLatin1String("variable"))
            readVariable(r, e, t);
        else if (isBand && allBandTypes().contains(type))
            readBand(r, e, t, type);
        else
            r.fail(QStringLiteral("line %1: unknown element <%2>").arg(e.lineNumber()).arg(e.tagName()));
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
    for (const ReportVariable &v : variables) {
        w.writeEmptyElement(QStringLiteral("variable"));
        w.writeAttribute(QStringLiteral("name"), v.name);
        w.writeAttribute(QStringLiteral("expression"), v.expression);
    }
    for (const ReportBand &band : m_bands) {
        // Groups and the detail frame the rows, so they are written with them.
        if (band.type == BandType::MasterData) {
            for (const ReportGroup &g : groups)
                writeGroup(w, g);
        }
        writeBand(w, band);
        if (band.type == BandType::MasterData && detail)
            writeDetail(w, *detail);
    }
    if (!this->band(BandType::MasterData)) {
        for (const ReportGroup &g : groups)
            writeGroup(w, g);
        if (detail)
            writeDetail(w, *detail);
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

#include "forms/attributes.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStringList>

namespace tarvo {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Length of the hexadecimal prefix at `pos`, or 0 when there is none.
qsizetype hexPrefix(QStringView text, qsizetype pos)
{
    const QStringView rest = text.mid(pos);
    if (rest.startsWith(u"0x") || rest.startsWith(u"0X"))
        return 2;
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X'))
        return 1;
    return 0;
}

std::optional<quint32> parseHex(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + quint32(d);
    }
    return value;
}

// Magnitude up to 2^31, enough for both signs; larger or malformed gives nullopt.
std::optional<quint64> parseDecimal(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + quint64(c.unicode() - '0');
        if (value > 0x80000000ull)
            return std::nullopt;
    }
    return value;
}

struct SystemColour {
    int index;
    QPalette::ColorRole role;
};

// The system colour numbers a designer can write, mapped to the nearest palette role.
constexpr SystemColour systemColours[] = {
    {0, QPalette::Button},          {1, QPalette::Window},      {2, QPalette::Highlight},
    {3, QPalette::Window},          {4, QPalette::Window},      {5, QPalette::Base},
    {6, QPalette::Shadow},          {7, QPalette::WindowText},  {8, QPalette::Text},
    {9, QPalette::HighlightedText}, {10, QPalette::Mid},        {11, QPalette::Mid},
    {12, QPalette::Dark},           {13, QPalette::Highlight},  {14, QPalette::HighlightedText},
    {15, QPalette::Button},         {16, QPalette::Dark},       {17, QPalette::PlaceholderText},
    {18, QPalette::ButtonText},     {19, QPalette::WindowText}, {20, QPalette::Light},
    {21, QPalette::Shadow},         {22, QPalette::Midlight},   {23, QPalette::ToolTipText},
    {24, QPalette::ToolTipBase},    {26, QPalette::Link},       {27, QPalette::Highlight},
    {28, QPalette::Highlight},      {29, QPalette::Highlight},  {30, QPalette::Button},
};

QPalette::ColorRole systemColourRole(int index)
{
    for (const SystemColour &c : systemColours)
        if (c.index == index)
            return c.role;
    return QPalette::Window;
}

} // namespace

std::optional<qint32> parseInteger(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text.at(pos) == u' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text.at(pos) == u'+' || text.at(pos) == u'-')) {
        negative = text.at(pos) == u'-';
        ++pos;
    }
    if (const qsizetype prefix = hexPrefix(text, pos)) {
        const std::optional<quint32> pattern = parseHex(text.mid(pos + prefix));
        if (!pattern)
            return std::nullopt;
        return qint32(negative ? 0u - *pattern : *pattern);
    }
    const std::optional<quint64> magnitude = parseDecimal(text.mid(pos));
    if (!magnitude || (!negative && *magnitude > 0x7FFFFFFFull))
        return std::nullopt;
    return qint32(negative ? -qint64(*magnitude) : qint64(*magnitude));
}

qint32 readInteger(QStringView text, qint32 fallback)
{
    return parseInteger(text).value_or(fallback);
}

QColor colourFromValue(qint32 value)
{
    const quint32 bits = quint32(value);
    if ((bits >> 24) == 0xFF)
        return QGuiApplication::palette().color(systemColourRole(int(bits & 0xFF)));
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

std::optional<QColor> readColour(QStringView text)
{
    const std::optional<qint32> value = parseInteger(text);
    if (!value)
        return std::nullopt;
    return colourFromValue(*value);
}

bool readBoolean(QStringView text)
{
    return text == u"True";
}

std::optional<int> readEnumeration(QStringView text, const QMetaEnum &keys)
{
    for (int i = 0; i < keys.keyCount(); ++i)
        if (text == QLatin1StringView(keys.key(i)))
            return keys.value(i);
    return std::nullopt;
}

QString readComparison(QStringView text, bool translateBrackets)
{
    QString op = text.toString();
    if (translateBrackets)
        op.replace(u'(', u'<').replace(u')', u'>');
    static const QStringList accepted = {QStringLiteral("="), QStringLiteral(">"), QStringLiteral(">="),
                                         QStringLiteral("<"), QStringLiteral("<=")};
    return accepted.contains(op) ? op : QStringLiteral("=");
}

QString readStatement(QStringView text)
{
    QString statement = text.toString();
    return statement.replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
}

void applyFontStyle(QFont &font, qint32 style)
{
    font.setBold(style & 1);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    font.setStrikeOut(style & 8);
}

bool isIdentifier(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool ok = c.isLetter() || c == u'_' || (i > 0 && c.isDigit());
        if (!ok)
            return false;
    }
    return true;
}

} // namespace tarvo

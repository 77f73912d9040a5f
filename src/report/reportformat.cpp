#include "report/reportformat.h"

#include <cmath>

namespace tarvo {

namespace {

const QChar currencyMark(0x00A4);

bool isNumberPatternChar(QChar c)
{
    return c == QLatin1Char('#') || c == QLatin1Char('0') || c == QLatin1Char(',') || c == QLatin1Char('.');
}

} // namespace

std::optional<double> reportNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return double(value.toLongLong());
    case QMetaType::Int:
        return double(value.toInt());
    case QMetaType::Double:
        return value.toDouble();
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::QString: {
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

QDateTime reportDateTime(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return {};
    const QString text = value.toString().trimmed();
    static const char *const patterns[] = {
        "yyyy-MM-dd hh:mm:ss.zzz", "yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd hh:mm", "yyyy-MM-dd", "hh:mm:ss.zzz", "hh:mm:ss"};
    for (const char *pattern : patterns) {
        const QString p = QLatin1String(pattern);
        if (text.size() != p.size())
            continue;
        if (p.startsWith(QLatin1String("hh"))) {
            const QTime t = QTime::fromString(text, p);
            if (t.isValid())
                return QDateTime(QDate(1899, 12, 30), t);
        } else {
            const QDateTime dt = QDateTime::fromString(text, p);
            if (dt.isValid())
                return dt;
        }
    }
    return {};
}

DisplayFormat DisplayFormat::parse(const QString &format, QString *problem)
{
    problem->clear();
    DisplayFormat f;
    const QString trimmed = format.trimmed();
    if (trimmed.isEmpty())
        return f;
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    const QString kind = (colon < 0 ? trimmed : trimmed.left(colon)).toLower();
    const QString pattern = colon < 0 ? QString() : trimmed.mid(colon + 1);
    const std::pair<const char *, Kind> kinds[] = {{"number", Kind::Number},
                                                   {"currency", Kind::Currency},
                                                   {"date", Kind::Date},
                                                   {"time", Kind::Time},
                                                   {"datetime", Kind::DateTime}};
    for (const auto &[name, k] : kinds) {
        if (kind == QLatin1String(name))
            f.m_kind = k;
    }
    if (f.m_kind == Kind::None) {
        *problem = QStringLiteral("unknown format \"%1\" (number, currency, date, time or datetime)").arg(format);
        return f;
    }
    f.m_pattern = pattern;
    if (f.m_kind != Kind::Number)
        return f;
    const QStringList sections = pattern.isEmpty() ? QStringList{QStringLiteral("#,##0.##")}
                                                   : pattern.split(QLatin1Char(';'));
    for (qsizetype s = 0; s < sections.size() && s < 2; ++s) {
        const QString &text = sections[s];
        const qsizetype begin = std::find_if(text.begin(), text.end(), isNumberPatternChar) - text.begin();
        qsizetype end = begin;
        while (end < text.size() && isNumberPatternChar(text[end]))
            ++end;
        if (begin == text.size()) {
            *problem = QStringLiteral("number format \"%1\" has no digits (#, 0)").arg(pattern);
            return f;
        }
        NumberSection section;
        const QString core = text.mid(begin, end - begin);
        section.prefix = text.left(begin);
        section.suffix = text.mid(end);
        section.grouping = core.contains(QLatin1Char(','));
        const qsizetype point = core.indexOf(QLatin1Char('.'));
        section.decimals = point < 0 ? 0 : int(core.size() - point - 1);
        if (s == 0)
            f.m_positive = section;
        else
            f.m_negative = section;
    }
    return f;
}

QString DisplayFormat::applyNumber(double value, const QLocale &locale) const
{
    const NumberSection &section = value < 0 && m_negative ? *m_negative : m_positive;
    QLocale l = locale;
    l.setNumberOptions(section.grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString digits = l.toString(value < 0 && m_negative ? -value : value, 'f', section.decimals);
    // "-0.00" reads as a loss that is not there.
    if (value < 0 && !m_negative && l.toDouble(digits) == 0)
        digits.remove(0, l.negativeSign().size());
    auto expand = [&](QString text) { return text.replace(currencyMark, locale.currencySymbol()); };
    return expand(section.prefix) + digits + expand(section.suffix);
}

std::optional<QString> DisplayFormat::apply(const QVariant &value, const QLocale &locale) const
{
    switch (m_kind) {
    case Kind::None:
        break;
    case Kind::Number:
    case Kind::Currency:
        if (const auto number = reportNumber(value))
            return m_kind == Kind::Number ? applyNumber(*number, locale) : locale.toCurrencyString(*number);
        break;
    case Kind::Date:
    case Kind::Time:
    case Kind::DateTime: {
        const QDateTime dt = reportDateTime(value);
        if (!dt.isValid())
            break;
        if (!m_pattern.isEmpty())
            return locale.toString(dt, m_pattern);
        if (m_kind == Kind::Date)
            return locale.toString(dt.date(), QLocale::ShortFormat);
        if (m_kind == Kind::Time)
            return locale.toString(dt.time(), QLocale::ShortFormat);
        return locale.toString(dt, QLocale::ShortFormat);
    }
    }
    return std::nullopt;
}

} // namespace tarvo

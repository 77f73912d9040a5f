#include "schema/textmatch.h"

namespace tarvo {

namespace {

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// The UTF-16 units of the character at `i`: "_" stands for a whole character, surrogate pairs too.
qsizetype characterLength(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

QString comparableText(QStringView text)
{
    if (isAscii(text))
        return text.toString().toLower(); // folding is lower-casing here, and no composition applies
    return text.toString().normalized(QString::NormalizationForm_C).toCaseFolded();
}

TextPattern::TextPattern(QStringView pattern, QChar escape) : m_folded(comparableText(pattern)), m_escape(escape) {}

// Greedy matching with one remembered "%": on a mismatch the last "%" takes one more character.
bool TextPattern::matches(QStringView original) const
{
    const QString folded = comparableText(original);
    const QStringView text(folded);
    const QStringView pattern(m_folded);
    qsizetype t = 0, p = 0;
    qsizetype starPattern = -1, starText = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar c = pattern[p];
            if (c == u'%' && c != m_escape) {
                starPattern = ++p;
                starText = t;
                continue;
            }
            if (c == u'_' && c != m_escape) {
                ++p;
                t += characterLength(text, t);
                continue;
            }
            const bool escaped = !m_escape.isNull() && c == m_escape && p + 1 < pattern.size();
            const QChar literal = escaped ? pattern[p + 1] : c;
            if (literal == text[t]) {
                p += escaped ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (starPattern < 0)
            return false;
        p = starPattern;
        starText += characterLength(text, starText);
        t = starText;
    }
    while (p < pattern.size() && pattern[p] == u'%' && pattern[p] != m_escape)
        ++p;
    return p == pattern.size();
}

} // namespace tarvo

#pragma once
// The LIKE of searches, case-insensitive beyond ASCII: "müller" finds "MÜLLER", "café" finds
// "CAFÉ", and a decomposed "á" matches a composed one (both sides are compared in NFC).
#include <QString>

namespace tarvo {

// NFC, then Unicode case folding: the form in which two texts are compared.
QString comparableText(QStringView text);

// A LIKE pattern: "%" any run of characters, "_" one character, `escape` (if any) takes the next
// pattern character literally.
class TextPattern {
public:
    explicit TextPattern(QStringView pattern, QChar escape = QChar());
    bool matches(QStringView text) const;
    QChar escape() const { return m_escape; }

private:
    QString m_folded;
    QChar m_escape;
};

} // namespace tarvo

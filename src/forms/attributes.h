#pragma once
// The rules by which forms.xml attribute texts become values. Each rule is total: a text it
// cannot read gives the caller's default, never an error.
#include <QColor>
#include <QFont>
#include <QMetaEnum>
#include <QString>
#include <QStringView>
#include <optional>

namespace tarvo {

// Leading blanks, optional sign, then decimal digits fitting 32 bits or at most eight hex
// digits after "$", "x", "X", "0x", "0X" (a 32-bit pattern). Anything else: nullopt.
std::optional<qint32> parseInteger(QStringView text);
qint32 readInteger(QStringView text, qint32 fallback);

// A 32-bit colour value: 0x00BBGGRR, or 0xFF0000nn for system colour nn (from the palette).
QColor colourFromValue(qint32 value);
std::optional<QColor> readColour(QStringView text);

// True only for the exact text "True".
bool readBoolean(QStringView text);

// The value of the key of `keys` that equals `text` exactly (no scope prefix, no case folding);
// nullopt leaves the property as it was.
std::optional<int> readEnumeration(QStringView text, const QMetaEnum &keys);

// One of "=", ">", ">=", "<", "<=", else "="; with bracket translation "(" reads "<", ")" ">".
QString readComparison(QStringView text, bool translateBrackets);

// Every backslash-r-backslash-n becomes CR LF; other backslashes stay.
QString readStatement(QStringView text);

// Low bits of the style integer: 1 bold, 2 italic, 4 underline, 8 strike-out.
void applyFontStyle(QFont &font, qint32 style);

// A letter of any script or "_", then letters, digits or "_".
bool isIdentifier(const QString &name);

} // namespace tarvo

#pragma once

#include <QString>

namespace quorrel {

// Full-width ASCII forms (digits, point, letters, signs) and the ideographic blank become their
// single-byte forms; everything else is kept.
QString toHalfWidth(const QString& text);

// The longest leading decimal number of the text (blanks skipped, optional sign, digits, point,
// digits, exponent), after ToHalfWidth; 0 when there is none.
double textToNumber(const QString& text);

// The same number rounded to single precision, as some sums take their cells.
float textToSingle(const QString& text);

// The leading whole part only ("3.50" → 3, "-2.5" → -2, no digits → 0), after ToHalfWidth.
qint64 textToWhole(const QString& text);

// Shortest form with at most 13 significant digits ("%.13g"): 12.5 → "12.5", 0.1 + 0.2 → "0.3".
QString doubleToText(double value);

// Rounds half away from zero after adding 1e-12 to the scaled magnitude, then DoubleToText:
// roundToText(2.675, 2) → "2.68", roundToText(1.005, 2) → "1.01".
QString roundToText(double value, int places);

// Two decimals without rounding: "12" → "12.00", "3.5" → "3.50", "3.14159" → "3.14", "12." → "12.".
QString formatMoney(const QString& text);

} // namespace quorrel

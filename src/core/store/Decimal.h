#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quorrel {

// An exact decimal number, units × 10^-scale. Quantities, prices and amounts are stored as number
// texts; sums and products of them are worked out here, never through binary floating point, so a
// total is the exact sum of its lines.
struct Decimal
{
    qint64 units = 0;
    int scale = 0; // 0 to kMaxDecimalScale places after the point

    friend bool operator==(const Decimal& a, const Decimal& b) = default;
};

inline constexpr int kMaxDecimalScale = 18;

// The leading decimal number of the text, read as textToNumber reads it (full-width forms first,
// blanks skipped, sign, digits, point, digits, exponent); 0 when there is none. nullopt when it
// cannot be held exactly (more than 18 significant digits, or beyond ±9.2e18); zeros ending the
// fraction do not count ("10000000000000000.00" is read).
std::optional<Decimal> decimalFromText(const QString& text);

// nullopt when the result cannot be held exactly.
std::optional<Decimal> addDecimals(const Decimal& a, const Decimal& b);
std::optional<Decimal> multiplyDecimals(const Decimal& a, const Decimal& b);

// Rounded half away from zero to `places` places (a scale already at or below it is kept).
Decimal roundDecimal(const Decimal& value, int places);

// Plain digits without exponent and without trailing zeros after the point: 3.50 → "3.5", 2.0 → "2",
// -0 → "0".
QString decimalToText(const Decimal& value);

// The exact sum of the cells' leading numbers as decimalToText writes it; nullopt when it overflows.
std::optional<QString> exactSum(const QStringList& cells);

// A running total of the leading numbers of texts, exact over 38 digits (up to 36 of them after the
// point): what stored quantities and amounts are added up with, whatever a cell holds.
class DecimalTotal
{
public:
    // Adds the text's leading number; false, and nothing added, when it or the total cannot be held
    // exactly.
    bool add(const QString& text);
    // The total rounded half away from zero to `places`, in plain digits without trailing zeros
    // after the point.
    QString roundedText(int places) const;

private:
    static constexpr int kMaxScale = 36;
    __extension__ __int128 m_units = 0;
    int m_scale = 0;
};

} // namespace quorrel

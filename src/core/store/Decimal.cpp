#include "core/store/Decimal.h"

#include "core/store/Conversions.h"

#include <algorithm>
#include <limits>

namespace quorrel {

namespace {

__extension__ typedef __int128 Wide; // products of two 64-bit factors

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

Wide powerOfTen(int exponent)
{
    Wide value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

// Drops trailing zeros after the point so that equal values compare equal and scales stay small.
Decimal normalised(Wide units, int scale)
{
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    return Decimal{static_cast<qint64>(units), scale};
}

// Fits `units` × 10^-scale into a Decimal, dropping trailing zeros first; nullopt when it cannot.
std::optional<Decimal> fitted(Wide units, int scale)
{
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    if (scale > kMaxDecimalScale || units > kMax || units < -kMax)
        return std::nullopt;
    return Decimal{static_cast<qint64>(units), scale};
}

} // namespace

namespace {

// A number read from a text: units × 10^-scale.
struct Parsed
{
    Wide units = 0;
    int scale = 0;
};

// The longest leading decimal number of the text (full-width forms first, blanks skipped, sign,
// digits, point, digits, exponent); 0 when there is none. nullopt when it has more than `maxDigits`
// significant digits or needs more than `maxScale` places. Zeros at the end of the fraction count
// for nothing: "1.00" is read as 1.
std::optional<Parsed> leadingNumber(const QString& text, int maxDigits, int maxScale)
{
    const QString half = toHalfWidth(text);
    int i = 0;
    const int n = int(half.size());
    while (i < n && (half[i] == u' ' || half[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (half[i] == u'+' || half[i] == u'-')) {
        negative = half[i] == u'-';
        ++i;
    }
    Wide units = 0;
    int scale = 0;
    int significant = 0;
    int zeros = 0; // zeros after the point not yet taken: they count only before another digit
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < n; ++i) {
        const QChar c = half[i];
        if (c == u'.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        anyDigit = true;
        if (afterPoint && c == u'0') {
            ++zeros;
            continue;
        }
        if (zeros > 0) {
            if (significant > 0)
                significant += zeros;
            if (significant > maxDigits)
                return std::nullopt;
            units *= powerOfTen(zeros);
            scale += zeros;
            zeros = 0;
        }
        if (significant > 0 || c != u'0')
            ++significant;
        if (significant > maxDigits)
            return std::nullopt;
        units = units * 10 + (c.unicode() - u'0');
        if (afterPoint)
            ++scale;
    }
    if (!anyDigit || units == 0)
        return Parsed{};
    int exponent = 0;
    if (i < n && (half[i] == u'e' || half[i] == u'E')) {
        int j = i + 1;
        bool negativeExponent = false;
        if (j < n && (half[j] == u'+' || half[j] == u'-')) {
            negativeExponent = half[j] == u'-';
            ++j;
        }
        if (j < n && half[j].isDigit() && half[j].unicode() < 128) {
            for (; j < n && half[j] >= u'0' && half[j] <= u'9'; ++j) {
                exponent = exponent * 10 + (half[j].unicode() - u'0');
                if (exponent > 1000)
                    return std::nullopt;
            }
            if (negativeExponent)
                exponent = -exponent;
        }
    }
    scale -= exponent;
    if (scale < 0) {
        if (significant - scale > maxDigits)
            return std::nullopt;
        units *= powerOfTen(-scale);
        scale = 0;
    }
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    if (scale > maxScale)
        return std::nullopt;
    return Parsed{negative ? -units : units, scale};
}

// The plain digits of units × 10^-scale, without trailing zeros after the point.
QString wideToText(Wide units, int scale)
{
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    if (units == 0)
        return QStringLiteral("0");
    const bool negative = units < 0;
    QString digits;
    for (Wide rest = negative ? -units : units; rest > 0; rest /= 10)
        digits.prepend(QChar(u'0' + int(rest % 10)));
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale - digits.size() + 1, u'0'));
        digits.insert(digits.size() - scale, u'.');
    }
    return negative ? u'-' + digits : digits;
}

} // namespace

std::optional<Decimal> decimalFromText(const QString& text)
{
    const std::optional<Parsed> number = leadingNumber(text, 18, kMaxDecimalScale);
    if (!number)
        return std::nullopt;
    return fitted(number->units, number->scale);
}

bool DecimalTotal::add(const QString& text)
{
    // 38 digits fit in 128 bits.
    const std::optional<Parsed> number = leadingNumber(text, 38, kMaxScale);
    if (!number)
        return false;
    const int scale = std::max(m_scale, number->scale);
    Wide held = 0;
    Wide added = 0;
    Wide sum = 0;
    if (__builtin_mul_overflow(Wide(m_units), powerOfTen(scale - m_scale), &held) ||
        __builtin_mul_overflow(number->units, powerOfTen(scale - number->scale), &added) ||
        __builtin_add_overflow(held, added, &sum))
        return false;
    m_units = sum;
    m_scale = scale;
    return true;
}

QString DecimalTotal::roundedText(int places) const
{
    if (m_scale <= places)
        return wideToText(m_units, m_scale);
    const Wide divisor = powerOfTen(m_scale - places);
    Wide units = Wide(m_units) / divisor;
    const Wide rest = Wide(m_units) % divisor;
    if (rest * 2 >= divisor)
        ++units;
    else if (rest * 2 <= -divisor)
        --units;
    return wideToText(units, places);
}

std::optional<Decimal> addDecimals(const Decimal& a, const Decimal& b)
{
    const int scale = std::max(a.scale, b.scale);
    const Wide sum = Wide(a.units) * powerOfTen(scale - a.scale) + Wide(b.units) * powerOfTen(scale - b.scale);
    return fitted(sum, scale);
}

std::optional<Decimal> multiplyDecimals(const Decimal& a, const Decimal& b)
{
    // Both factors hold at most 19 digits, so the product fits in 128 bits.
    Wide product = Wide(a.units) * Wide(b.units);
    int scale = a.scale + b.scale;
    while (scale > kMaxDecimalScale) {
        // Beyond 18 places only digits far below a cent are lost; round them half away from zero.
        const Wide rest = product % 10;
        product /= 10;
        if (rest >= 5)
            ++product;
        else if (rest <= -5)
            --product;
        --scale;
    }
    return fitted(product, scale);
}

Decimal roundDecimal(const Decimal& value, int places)
{
    if (value.scale <= places)
        return value;
    const Wide divisor = powerOfTen(value.scale - places);
    Wide units = Wide(value.units) / divisor;
    const Wide rest = Wide(value.units) % divisor;
    if (rest * 2 >= divisor)
        ++units;
    else if (rest * 2 <= -divisor)
        --units;
    return normalised(units, places);
}

QString decimalToText(const Decimal& value)
{
    const Decimal shown = normalised(value.units, value.scale);
    if (shown.units == 0)
        return QStringLiteral("0");
    const bool negative = shown.units < 0;
    // The magnitude of the smallest qint64 is not a qint64; go through its unsigned form.
    quint64 magnitude = negative ? 0 - static_cast<quint64>(shown.units) : static_cast<quint64>(shown.units);
    QString digits = QString::number(magnitude);
    if (shown.scale > 0) {
        if (digits.size() <= shown.scale)
            digits.prepend(QString(shown.scale - digits.size() + 1, u'0'));
        digits.insert(digits.size() - shown.scale, u'.');
    }
    return negative ? u'-' + digits : digits;
}

std::optional<QString> exactSum(const QStringList& cells)
{
    Decimal sum;
    for (const QString& cell : cells) {
        const std::optional<Decimal> value = decimalFromText(cell);
        if (!value)
            return std::nullopt;
        const std::optional<Decimal> next = addDecimals(sum, *value);
        if (!next)
            return std::nullopt;
        sum = *next;
    }
    return decimalToText(sum);
}

} // namespace quorrel

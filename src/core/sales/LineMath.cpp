#include "core/sales/LineMath.h"

#include "core/store/Conversions.h"
#include "core/store/Decimal.h"

namespace quorrel {

namespace {

// At most 16 digits before the point: written with its two decimals, an amount or price has at most
// the 18 significant digits every reader of a stored number takes exactly.
bool fitsCents(const Decimal& value)
{
    constexpr qint64 kLimit = 9'999'999'999'999'999;
    const Decimal cents = roundDecimal(value, 2);
    qint64 whole = cents.units;
    for (int scale = cents.scale; scale > 0; --scale)
        whole /= 10;
    return whole <= kLimit && whole >= -kLimit;
}

struct Factors
{
    Decimal quantity;
    Decimal price;
    Decimal amount;     // quantity × price, exact
    Decimal discounted; // amount × rate / 10, exact
};

std::optional<Factors> factors(const LineEntry& entry)
{
    const std::optional<Decimal> quantity = decimalFromText(entry.quantity);
    const std::optional<Decimal> price = decimalFromText(entry.unitPrice);
    if (!quantity || !price)
        return std::nullopt;
    const std::optional<Decimal> amount = multiplyDecimals(*price, *quantity);
    if (!amount || !fitsCents(*amount) || !fitsCents(*price))
        return std::nullopt;
    if (!entry.discountOn)
        return Factors{*quantity, *price, *amount, *amount};
    const std::optional<Decimal> rate = decimalFromText(entry.discountRate);
    if (!rate)
        return std::nullopt;
    std::optional<Decimal> discounted = multiplyDecimals(*amount, *rate);
    if (discounted)
        discounted = multiplyDecimals(*discounted, Decimal{1, 1});
    if (!discounted || !fitsCents(*discounted))
        return std::nullopt;
    return Factors{*quantity, *price, *amount, *discounted};
}

QString rounded(const Decimal& value)
{
    return decimalToText(roundDecimal(value, 2));
}

} // namespace

QString shownName(const QString& name)
{
    const qsizetype dash = name.indexOf(u'-');
    return dash < 0 ? name : name.mid(dash + 1);
}

std::optional<LineCells> addedLine(const LineEntry& entry)
{
    const std::optional<Factors> exact = factors(entry);
    if (!exact)
        return std::nullopt;
    LineCells cells;
    cells.name = shownName(entry.name);
    cells.quantity = toHalfWidth(entry.quantity);
    cells.unitPrice = formatMoney(decimalToText(exact->price));
    cells.amount = formatMoney(rounded(exact->amount));
    cells.discounted = entry.discountOn ? formatMoney(rounded(exact->discounted)) : cells.amount;
    cells.discountRate = entry.discountOn ? toHalfWidth(entry.discountRate) : LineCells::kNoDiscount;
    return cells;
}

std::optional<LineCells> changedLine(const LineEntry& entry)
{
    const std::optional<Factors> exact = factors(entry);
    if (!exact)
        return std::nullopt;
    LineCells cells;
    cells.name = entry.name;
    cells.quantity = toHalfWidth(entry.quantity);
    cells.unitPrice = formatMoney(decimalToText(exact->price));
    cells.amount = formatMoney(decimalToText(exact->amount));
    cells.discounted = entry.discountOn ? rounded(exact->discounted) : decimalToText(exact->amount);
    cells.discountRate = entry.discountOn ? toHalfWidth(entry.discountRate) : LineCells::kNoDiscount;
    return cells;
}

int wheelStep(int notches)
{
    return notches == 1 ? -1 : 1;
}

std::optional<QString> steppedQuantity(const QString& text, int step)
{
    const qint64 value = textToWhole(text);
    if (value == 0 && step == -1)
        return std::nullopt;
    return QString::number(value + step);
}

std::optional<QString> steppedPrice(const QString& text, int step)
{
    const qint64 value = textToWhole(text);
    if (value == 0 && step == -1)
        return std::nullopt;
    // The cents are kept; a price typed with one, three or no decimals still steps to a price shape
    // ("12.5" → "13.50", "12.345" → "13.34", "12." → "13.00").
    const qsizetype point = text.indexOf(u'.');
    const QString cents = point < 0 ? QString() : text.mid(point + 1, 2);
    return QString::number(value + step) + u'.' + cents.leftJustified(2, u'0');
}

} // namespace quorrel

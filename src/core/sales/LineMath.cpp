#include "core/sales/LineMath.h"

#include "core/store/Conversions.h"

namespace quorrel {

QString shownName(const QString& name)
{
    const qsizetype dash = name.indexOf(u'-');
    return dash < 0 ? name : name.mid(dash + 1);
}

LineCells addedLine(const LineEntry& entry)
{
    const double price = textToNumber(entry.unitPrice);
    const double quantity = textToNumber(entry.quantity);
    const double factor = textToNumber(entry.discountRate) * 0.1;
    LineCells cells;
    cells.name = shownName(entry.name);
    cells.quantity = entry.quantity;
    cells.unitPrice = formatMoney(entry.unitPrice);
    cells.amount = formatMoney(roundToText(price * quantity, 2));
    cells.discounted = entry.discountOn ? formatMoney(roundToText(price * quantity * factor, 2)) : cells.amount;
    return cells;
}

LineCells changedLine(const LineEntry& entry)
{
    const double price = textToNumber(entry.unitPrice);
    const double quantity = textToNumber(entry.quantity);
    const double factor = textToNumber(entry.discountRate) * 0.1;
    LineCells cells;
    cells.name = entry.name;
    cells.quantity = entry.quantity;
    cells.unitPrice = formatMoney(entry.unitPrice);
    cells.amount = formatMoney(doubleToText(price * quantity));
    cells.discounted = entry.discountOn ? roundToText(price * quantity * factor, 2) : doubleToText(price * quantity);
    return cells;
}

QString sumColumn(const QStringList& cells)
{
    double sum = 0.0;
    for (const QString& cell : cells)
        sum += static_cast<double>(textToSingle(cell));
    return roundToText(sum, 2);
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

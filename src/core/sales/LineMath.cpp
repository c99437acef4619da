#include "core/sales/LineMath.h"

#include "core/store/Conversions.h"

namespace quorrel {

QString ShownName(const QString& name)
{
    const qsizetype dash = name.indexOf(u'-');
    return dash < 0 ? name : name.mid(dash + 1);
}

LineCells AddedLine(const LineEntry& entry)
{
    const double price = TextToNumber(entry.unitPrice);
    const double quantity = TextToNumber(entry.quantity);
    const double factor = TextToNumber(entry.discountRate) * 0.1;
    LineCells cells;
    cells.name = ShownName(entry.name);
    cells.quantity = entry.quantity;
    cells.unitPrice = FormatMoney(entry.unitPrice);
    cells.amount = FormatMoney(RoundToText(price * quantity, 2));
    cells.discounted = entry.discountOn ? FormatMoney(RoundToText(price * quantity * factor, 2)) : cells.amount;
    return cells;
}

LineCells ChangedLine(const LineEntry& entry)
{
    const double price = TextToNumber(entry.unitPrice);
    const double quantity = TextToNumber(entry.quantity);
    const double factor = TextToNumber(entry.discountRate) * 0.1;
    LineCells cells;
    cells.name = entry.name;
    cells.quantity = entry.quantity;
    cells.unitPrice = FormatMoney(entry.unitPrice);
    cells.amount = FormatMoney(DoubleToText(price * quantity));
    cells.discounted = entry.discountOn ? RoundToText(price * quantity * factor, 2) : DoubleToText(price * quantity);
    return cells;
}

QString SumColumn(const QStringList& cells)
{
    double sum = 0.0;
    for (const QString& cell : cells)
        sum += static_cast<double>(TextToSingle(cell));
    return RoundToText(sum, 2);
}

int WheelStep(int notches)
{
    return notches == 1 ? -1 : 1;
}

std::optional<QString> SteppedQuantity(const QString& text, int step)
{
    const qint64 value = TextToWhole(text);
    if (value == 0 && step == -1)
        return std::nullopt;
    return QString::number(value + step);
}

std::optional<QString> SteppedPrice(const QString& text, int step)
{
    const qint64 value = TextToWhole(text);
    if (value == 0 && step == -1)
        return std::nullopt;
    // The cents are kept; a price typed with one, three or no decimals still steps to a price shape
    // ("12.5" → "13.50", "12.345" → "13.34", "12." → "13.00").
    const qsizetype point = text.indexOf(u'.');
    const QString cents = point < 0 ? QString() : text.mid(point + 1, 2);
    return QString::number(value + step) + u'.' + cents.leftJustified(2, u'0');
}

} // namespace quorrel

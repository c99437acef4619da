#include "core/sales/Sale.h"

#include "core/store/Conversions.h"
#include "core/store/Decimal.h"

#include <algorithm>
#include <functional>

namespace quorrel {

namespace {

QStringList column(const QList<LineCells>& lines, QString LineCells::*cell)
{
    QStringList cells;
    cells.reserve(lines.size());
    for (const LineCells& line : lines)
        cells << line.*cell;
    return cells;
}

} // namespace

QString roundedSum(const QStringList& cells)
{
    const std::optional<QString> sum = exactSum(cells);
    if (!sum)
        return QString();
    const std::optional<Decimal> value = decimalFromText(*sum);
    return value ? decimalToText(roundDecimal(*value, 2)) : QString();
}

bool Sale::totalsHold(const QList<LineCells>& lines)
{
    for (QString LineCells::*cell : {&LineCells::quantity, &LineCells::amount, &LineCells::discounted}) {
        if (!exactSum(column(lines, cell)))
            return false;
    }
    return true;
}

bool Sale::addLine(const LineCells& line)
{
    QList<LineCells> next = m_lines;
    next.append(line);
    if (!totalsHold(next))
        return false;
    m_lines = std::move(next);
    return true;
}

bool Sale::changeLine(int row, const LineCells& line)
{
    if (row < 0 || row >= m_lines.size())
        return false;
    QList<LineCells> next = m_lines;
    next[row] = line;
    if (!totalsHold(next))
        return false;
    m_lines = std::move(next);
    return true;
}

void Sale::removeLines(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row >= 0 && row < m_lines.size())
            m_lines.removeAt(row);
    }
}

QString Sale::totalQuantity() const
{
    return roundedSum(column(m_lines, &LineCells::quantity));
}

QString Sale::totalAmount() const
{
    return formatMoney(roundedSum(column(m_lines, &LineCells::amount)));
}

QString Sale::totalDiscounted() const
{
    return formatMoney(roundedSum(column(m_lines, &LineCells::discounted)));
}

QString Sale::amountDue(bool discountOn) const
{
    return roundedSum(column(m_lines, discountOn ? &LineCells::discounted : &LineCells::amount));
}

} // namespace quorrel

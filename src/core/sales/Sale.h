#pragma once

#include "core/sales/LineMath.h"

#include <QList>
#include <QString>

namespace quorrel {

// What a sale carries besides its lines: the ticket header as the main window shows it when the sale
// is printed or saved. A stored sale fills the same fields when it is printed again.
struct SaleHeader
{
    QString shopName;      // 店名, printed on top
    QString ticketNumber;  // 销售票号
    QString time;          // as printed
    QString cashier;       // 收银员
    QString remark;        // 备注, may hold several lines
    QString received;      // 实收
    QString change;        // 找零
    QString paymentMethod; // 付款方式
    QString till;          // 收银台: the till the sale was made at
};

// The sale being entered (or one read back): its lines as the list shows them, with their totals.
// Totals are exact decimal sums of the lines' texts, shown rounded to two places.
class Sale
{
public:
    const QList<LineCells>& lines() const { return m_lines; }
    int lineCount() const { return static_cast<int>(m_lines.size()); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    const LineCells& line(int row) const { return m_lines[row]; }

    // False (and nothing changes) when the line would carry the totals beyond what is held exactly.
    bool addLine(const LineCells& line);
    bool changeLine(int row, const LineCells& line);
    // Removes the rows, given in any order.
    void removeLines(QList<int> rows);
    void clear() { m_lines.clear(); }

    QString totalQuantity() const;   // 标签_总量: "8.5"
    QString totalAmount() const;     // 标签_总金额: "11.65"
    QString totalDiscounted() const; // 标签_打折后
    // The amount due, unpadded: the discounted total when the discount is on, else the plain total.
    QString amountDue(bool discountOn) const;

private:
    static bool totalsHold(const QList<LineCells>& lines);

    QList<LineCells> m_lines;
};

// The exact sum of the texts rounded half away from zero to two places, without padding ("3.13",
// "8.5", "0"); empty when it cannot be held exactly.
QString roundedSum(const QStringList& cells);

} // namespace quorrel

#include "core/records/StoredReceipt.h"

#include "core/store/DateTexts.h"

namespace quorrel {

ReceiptContent storedReceipt(const QString& shopName, const SaleRecord& sale, const QList<SaleLine>& lines)
{
    ReceiptContent content;
    content.shopName = shopName;
    content.ticketNumber = sale.ticketNumber;
    const QDateTime time = parseStoredDateTime(sale.time);
    content.time = time.isValid() ? dateTimeText(time) : sale.time;
    QStringList discounted;
    for (const SaleLine& line : lines) {
        const LineCells& c = line.cells;
        content.items.append({c.name, c.quantity, c.unitPrice, c.amount});
        discounted << c.discounted;
    }
    content.totalQuantity = sale.quantity;
    content.totalAmount = sale.amount;
    content.totalDiscounted = amountTotalText(discounted).value_or(QString());
    content.cashier = sale.cashier;
    // A sale's remark is stored with one blank after it.
    content.remark = sale.remark.endsWith(u' ') ? sale.remark.chopped(1) : sale.remark;
    return content;
}

} // namespace quorrel

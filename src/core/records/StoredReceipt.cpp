#include "core/records/StoredReceipt.h"

#include "core/store/DateTexts.h"

namespace quorrel {

std::pair<Sale, SaleHeader> storedSale(const QString& shopName, const SaleRecord& sale, const QList<SaleLine>& lines)
{
    Sale stored;
    for (const SaleLine& line : lines)
        stored.addLine(line.cells);
    SaleHeader header;
    header.shopName = shopName;
    header.ticketNumber = sale.ticketNumber;
    const QDateTime time = parseStoredDateTime(sale.time);
    header.time = time.isValid() ? dateTimeText(time) : sale.time;
    header.cashier = sale.cashier;
    // A sale's remark is stored with one blank after it.
    header.remark = sale.remark.endsWith(u' ') ? sale.remark.chopped(1) : sale.remark;
    header.paymentMethod = sale.paymentMethod;
    header.received = sale.received;
    header.change = sale.change;
    header.till = sale.till;
    return {stored, header};
}

} // namespace quorrel

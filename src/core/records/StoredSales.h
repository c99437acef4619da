#pragma once

#include "core/records/SaleRecords.h"
#include "core/sales/SaleStore.h"
#include "core/shop/ShopTable.h"

namespace quorrel {

// The shop's stored sales as they are changed: a sale stored at the till, a sale deleted, a stored
// line changed or deleted. Each change is made in one transaction and announced once it is stored:
// saleStored, saleChanged or saleDeleted with the sale's ID, and changed() for any of them.
class StoredSales : public ShopTable
{
    Q_OBJECT
public:
    explicit StoredSales(Database& db, QObject* parent = nullptr) : ShopTable(db, parent) {}

    // Stores the sale under the number that follows the header's (see storeNextSale).
    Result<StoredSale> storeNext(int ticketFormat, const SaleHeader& header, const Sale& sale);
    // The sale with its lines; the number of the newest sale is remembered, so it is not given
    // out again.
    Done remove(qint64 saleId);
    // A stored line changed or deleted; the sale's 数量 and 金额 follow in the same transaction.
    Done updateLine(qint64 saleId, const SaleLine& line);
    Done removeLine(qint64 saleId, qint64 lineId);

signals:
    void saleStored(qint64 saleId);
    void saleChanged(qint64 saleId);
    void saleDeleted(qint64 saleId);
};

} // namespace quorrel

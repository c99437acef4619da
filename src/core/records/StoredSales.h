#pragma once

#include "core/records/SaleRecords.h"
#include "core/sales/SaleStore.h"
#include "core/shop/ShopTable.h"

#include <functional>

namespace quorrel {

// The shop's stored sales as they are changed: a sale stored at the till, a sale deleted, a stored
// line changed or deleted. Each change is made in one transaction and announced once it is stored:
// saleStored, saleChanged or saleDeleted with the sale's ID, and changed() for any of them. A
// deletion or a change of a stored sale writes its row of 销售变更 in the same transaction, with
// the user and till set by setOperator().
class StoredSales : public ShopTable
{
    Q_OBJECT
public:
    explicit StoredSales(Database& db, QObject* parent = nullptr) : ShopTable(db, parent) {}

    // Who works at which till: the change log's 用户 and 收银台, and a stored sale's 收银台.
    void setOperator(const QString& user, const QString& till);

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

private:
    // Writes the change's log row, then runs `change`, in one transaction. A null `before` stands
    // for the sale's own texts.
    Done changeLogged(qint64 saleId, const QString& action, const QString& before, const QString& after,
                      const std::function<bool()>& change);

    QString m_user;
    QString m_till;
};

} // namespace quorrel

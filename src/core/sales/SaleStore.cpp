#include "core/sales/SaleStore.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"

namespace quorrel {

std::optional<qint64> StoreSale(Database& db, const SaleHeader& header, const QList<LineCells>& lines)
{
    Transaction transaction(db);
    if (!transaction.Began())
        return std::nullopt;
    if (!db.Execute(QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
                                   "(?,now(),?,?,?,?)"),
                    {header.ticketNumber, header.quantity, header.amount, header.cashier, header.remark + u' '}))
        return std::nullopt;
    const qint64 id = db.LastInsertId();
    const QString lineRemark = u' ' + header.remark;
    for (const LineCells& line : lines) {
        if (!db.Execute(QStringLiteral("insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values "
                                       "(?,?,?,?,?,?,? )"),
                        {id, line.name, line.quantity, line.unitPrice, line.amount, line.discounted, lineRemark}))
            return std::nullopt;
    }
    if (!transaction.Commit())
        return std::nullopt;
    return id;
}

std::optional<QString> LastSaleId(Database& db)
{
    auto records = db.Query(QStringLiteral("select top 1 ID from [销售记录] order by ID desc"));
    if (!records)
        return std::nullopt;
    records->MoveFirst();
    return records->Text(1);
}

} // namespace quorrel

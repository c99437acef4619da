#include "core/records/SaleRecords.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/Decimal.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"

namespace quorrel {

namespace {

// Cells are summed in batches so that a result of millions of rows never sits in memory at once.
constexpr qsizetype kSumBatch = 4096;

std::optional<Decimal> addBatch(const Decimal& sum, QStringList& cells)
{
    const std::optional<QString> part = exactSum(cells);
    cells.clear();
    if (!part)
        return std::nullopt;
    const std::optional<Decimal> value = decimalFromText(*part);
    return value ? addDecimals(sum, *value) : std::nullopt;
}

QString roundedText(const Decimal& sum)
{
    return decimalToText(roundDecimal(sum, 2));
}

bool refreshHeader(Database& db, qint64 saleId)
{
    auto lines = db.query(QStringLiteral("select 数量, 金额 from 销售详情 where 关联=?"), {saleId});
    if (!lines)
        return false;
    QStringList quantities;
    QStringList amounts;
    for (; !lines->atEnd(); lines->moveNext()) {
        quantities << lines->text(1);
        amounts << lines->text(2);
    }
    const bool complete = !lines->failed();
    lines->close();
    const std::optional<QString> quantity = quantityTotalText(quantities);
    const std::optional<QString> amount = amountTotalText(amounts);
    if (!complete || !quantity || !amount)
        return false;
    return db.execute(QStringLiteral("update 销售记录 set 数量=?, 金额=? where ID=?"), {*quantity, *amount, saleId});
}

} // namespace

std::optional<QString> quantityTotalText(const QStringList& cells)
{
    const std::optional<QString> sum = exactSum(cells);
    const std::optional<Decimal> value = sum ? decimalFromText(*sum) : std::nullopt;
    return value ? std::optional<QString>(roundedText(*value)) : std::nullopt;
}

std::optional<QString> amountTotalText(const QStringList& cells)
{
    const std::optional<QString> rounded = quantityTotalText(cells);
    return rounded ? std::optional<QString>(formatMoney(*rounded)) : std::nullopt;
}

std::optional<RecordTotals> recordTotals(Database& db, const RecordsQuery& query)
{
    auto records = db.query(recordsSql(query, QStringLiteral("s.数量, s.金额")), query.params);
    if (!records)
        return std::nullopt;
    Decimal quantity;
    Decimal amount;
    QStringList quantities;
    QStringList amounts;
    quantities.reserve(kSumBatch);
    amounts.reserve(kSumBatch);
    for (; !records->atEnd(); records->moveNext()) {
        quantities << records->text(1);
        amounts << records->text(2);
        if (quantities.size() == kSumBatch) {
            const std::optional<Decimal> q = addBatch(quantity, quantities);
            const std::optional<Decimal> a = addBatch(amount, amounts);
            if (!q || !a)
                return std::nullopt;
            quantity = *q;
            amount = *a;
        }
    }
    if (records->failed())
        return std::nullopt;
    const std::optional<Decimal> q = addBatch(quantity, quantities);
    const std::optional<Decimal> a = addBatch(amount, amounts);
    if (!q || !a)
        return std::nullopt;
    return RecordTotals{roundedText(*q), formatMoney(roundedText(*a))};
}

bool deleteSale(Database& db, qint64 saleId)
{
    Transaction transaction(db);
    if (!transaction.began())
        return false;
    // Only when it is the newest sale: an older one's number lies behind the counter already.
    if (!db.execute(QStringLiteral("insert or replace into 末单票号 (ID, 销售ID, 销售票号) "
                                   "select 1, ID, 销售票号 from 销售记录 "
                                   "where ID=? and ID=(select max(ID) from 销售记录)"),
                    {saleId}))
        return false;
    if (!db.execute(QStringLiteral("delete from 销售详情 where 关联=?"), {saleId}) ||
        !db.execute(QStringLiteral("delete from 销售记录  where ID=?"), {saleId}))
        return false;
    return transaction.commit();
}

std::optional<SaleRecord> loadSale(Database& db, qint64 saleId)
{
    RecordsQuery query;
    query.where = QStringLiteral("s.ID=?");
    query.params = {saleId};
    auto records = db.query(recordsSql(query, kRecordColumns), query.params);
    if (!records || records->atEnd())
        return std::nullopt;
    return SaleRecord{textToWhole(records->text(1)),
                      records->text(2),
                      records->text(3),
                      records->text(4),
                      records->text(5),
                      records->text(6),
                      records->text(7)};
}

std::optional<QList<SaleLine>> loadSaleLines(Database& db, qint64 saleId)
{
    auto records =
        db.query(QStringLiteral("select ID, 名称, 数量, 单价, 金额, 折后, 备注 from 销售详情 where 关联=?"), {saleId});
    if (!records)
        return std::nullopt;
    QList<SaleLine> lines;
    for (; !records->atEnd(); records->moveNext()) {
        lines.append(SaleLine{
            textToWhole(records->text(1)),
            LineCells{records->text(2), records->text(3), records->text(4), records->text(5), records->text(6)},
            records->text(7)});
    }
    if (records->failed())
        return std::nullopt;
    return lines;
}

bool updateSaleLine(Database& db, qint64 saleId, const SaleLine& line)
{
    Transaction transaction(db);
    if (!transaction.began())
        return false;
    const LineCells& c = line.cells;
    if (!db.execute(
            QStringLiteral("update 销售详情  set   名称=?,数量=?,单价=?,金额=?,折后=?,备注=? where ID=? and 关联=?"),
            {c.name, c.quantity, c.unitPrice, c.amount, c.discounted, line.remark, line.id, saleId}))
        return false;
    return refreshHeader(db, saleId) && transaction.commit();
}

bool deleteSaleLine(Database& db, qint64 saleId, qint64 lineId)
{
    Transaction transaction(db);
    if (!transaction.began())
        return false;
    if (!db.execute(QStringLiteral("delete from 销售详情  where ID=? and 关联=?"), {lineId, saleId}))
        return false;
    return refreshHeader(db, saleId) && transaction.commit();
}

std::optional<QStringList> cashierNames(Database& db)
{
    auto records = db.query(QStringLiteral("select * from 用户登录"));
    if (!records)
        return std::nullopt;
    QStringList names;
    for (; !records->atEnd(); records->moveNext())
        names << records->text(QStringLiteral("用户名"));
    return names;
}

} // namespace quorrel

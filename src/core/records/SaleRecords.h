#pragma once

#include "core/records/RecordsQuery.h"
#include "core/sales/LineMath.h"

#include <QList>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// One stored sale header as the records list shows it.
struct SaleRecord
{
    qint64 id = 0;
    QString ticketNumber; // 销售票号
    QString time;         // 销售时间 as stored, "YYYY-MM-DD HH:MM:SS"
    QString quantity;     // 数量
    QString amount;       // 金额
    QString cashier;      // 收银员
    QString remark;       // 备注 as stored (the remark and one blank)
};

// One stored line of a sale.
struct SaleLine
{
    qint64 id = 0; // 0 for a line that exists only on screen
    LineCells cells;
    QString remark; // 备注 as stored
};

// The columns a records query reads, in SaleRecord's order.
inline const QString kRecordColumns = QStringLiteral("s.ID, s.销售票号, s.销售时间, s.数量, s.金额, s.收银员, s.备注");

// Totals of every sale a query finds, summed exactly: the quantity rounded to two places in its
// shortest form, the amount as a two-decimal money text.
struct RecordTotals
{
    QString quantity = QStringLiteral("0");
    QString amount = QStringLiteral("0.00");
};
std::optional<RecordTotals> recordTotals(Database& db, const RecordsQuery& query);

// The shortest form of the exact sum rounded to two places, and the money text of the amounts'
// sum: what a sale's header holds for its lines. nullopt when a sum cannot be held exactly.
std::optional<QString> quantityTotalText(const QStringList& cells);
std::optional<QString> amountTotalText(const QStringList& cells);

// The sale with its lines, in one transaction. The number of the newest sale is remembered, so it
// is not given out again.
bool deleteSale(Database& db, qint64 saleId);

std::optional<SaleRecord> loadSale(Database& db, qint64 saleId);
std::optional<QList<SaleLine>> loadSaleLines(Database& db, qint64 saleId);

// A stored line changed or deleted; the header's 数量 and 金额 then become the sums of its stored
// lines in the same transaction, so the list of sales and the lines never disagree.
bool updateSaleLine(Database& db, qint64 saleId, const SaleLine& line);
bool deleteSaleLine(Database& db, qint64 saleId, qint64 lineId);

// The user names of 用户登录 in the database's order, for the cashier list of the search.
std::optional<QStringList> cashierNames(Database& db);

} // namespace quorrel

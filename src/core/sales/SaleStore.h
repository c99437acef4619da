#pragma once

#include "core/sales/LineMath.h"

#include <QList>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// The header of a sale as the main window shows it when it is saved.
struct SaleHeader
{
    QString ticketNumber; // 销售票号
    QString quantity;     // 数量, the total quantity label
    QString amount;       // 金额, the total before discount
    QString cashier;      // 收银员
    QString remark;       // 备注 as typed
};

// Stores the header and every line in one transaction: all of it or, on any failure, nothing.
// The header's time is the database's now(); each line points at the new header's ID.
// The header's remark is stored with one blank after it, each line's with one blank before it.
// Returns the new header's ID.
std::optional<qint64> storeSale(Database& db, const SaleHeader& header, const QList<LineCells>& lines);

// The highest 销售记录 ID as text; empty when there is no sale; nullopt when the query failed.
std::optional<QString> lastSaleId(Database& db);

} // namespace quorrel
